// Scripted desktop answers: content types by extension, default programs by
// type, and a record of every question asked for a program.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace tavimo::testing {

class FakeAssociations : public platform::FileAssociations {
  public:
    std::map<std::string, std::string> typeByExtension;  // "avi" -> "video/x-msvideo"
    std::map<std::string, std::string> programByType;    // type -> resolved executable
    std::vector<std::string> typeQuestions;              // DefaultAppExecutable, in order
    int toolStatus = 0;
    bool setDefaultFails = false;

    std::string ContentTypeOf(const std::string& fileName) override {
        auto it = typeByExtension.find(fileName.substr(fileName.rfind('.') + 1));
        return it != typeByExtension.end() ? it->second : "application/octet-stream";
    }
    std::string DefaultAppExecutable(const std::string& contentType) override {
        typeQuestions.push_back(contentType);
        return programByType[contentType];
    }
    bool SetDefaultApplication(const std::string&, const std::string&,
                               std::string* error) override {
        if (setDefaultFails)
            *error = "mimeapps.list is read-only";
        return !setDefaultFails;
    }
    int RunTool(const std::vector<std::string>&) override { return toolStatus; }
};

}  // namespace tavimo::testing
