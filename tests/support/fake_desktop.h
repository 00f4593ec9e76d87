// Scripted desktop answers: content types by extension (sure ones), the
// programs offered for each type, and tool and mimeapps.list failures.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace tavimo::testing {

class FakeAssociations : public platform::FileAssociations {
  public:
    std::map<std::string, std::string> typeByExtension;              // "avi" -> "video/x-msvideo"
    std::map<std::string, std::vector<std::string>> programsByType;  // type -> resolved executables
    int toolStatus = 0;
    bool setDefaultFails = false;

    platform::ContentGuess GuessFromName(const std::string& fileName) override {
        auto it = typeByExtension.find(fileName.substr(fileName.rfind('.') + 1));
        if (it == typeByExtension.end())
            return {"application/octet-stream", false};
        return {it->second, true};
    }
    platform::ContentGuess GuessForFile(const std::string& path) override {
        return GuessFromName(path);
    }
    platform::ContentGuess GuessFromBytes(const std::string&) override {
        return {"application/octet-stream", false};
    }
    std::vector<std::string> ApplicationExecutables(const std::string& contentType) override {
        return programsByType[contentType];
    }
    std::string installedEntry;  // the path InstalledDesktopEntry gives, for any id
    std::string InstalledDesktopEntry(const std::string&) override { return installedEntry; }
    bool SetDefaultApplication(const std::string&, const std::string&,
                               std::string* error) override {
        if (setDefaultFails)
            *error = "mimeapps.list is read-only";
        return !setDefaultFails;
    }
    int RunTool(const std::vector<std::string>&) override { return toolStatus; }
};

}  // namespace tavimo::testing
