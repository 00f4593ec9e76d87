// What the desktop knows about files and programs: content types, default
// applications and launching through them. The program uses the GIO-backed
// instances; tests give fakes.
#pragma once

#include <string>
#include <vector>

namespace tavimo::platform {

class FileAssociations {
  public:
    virtual ~FileAssociations() = default;
    // The content type of a file judged by its name alone (the file is not
    // read), e.g. "video/mp4"; "application/octet-stream" when the name says
    // nothing. Any thread.
    virtual std::string ContentTypeOf(const std::string& fileName) = 0;
    // The executable of the default application for `contentType`, looked up
    // through PATH and with every link resolved; empty when no application
    // opens the type. Any thread.
    virtual std::string DefaultAppExecutable(const std::string& contentType) = 0;
    // Makes the desktop entry `desktopId` (already written to the user's
    // applications folder) the default application for `contentType` in the
    // user's mimeapps.list. False with `error` set when it could not be done.
    // UI thread.
    virtual bool SetDefaultApplication(const std::string& contentType, const std::string& desktopId,
                                       std::string* error) = 0;
    // Runs a database tool (update-mime-database and the like) with `args` and
    // waits for it. 0 on success; the tool's status otherwise; -1 when it
    // could not be started (not installed).
    virtual int RunTool(const std::vector<std::string>& args) = 0;
};

class Launcher {
  public:
    virtual ~Launcher() = default;
    // Hands `uri` to the default application for it, on a worker thread that
    // nobody waits for; failures are silent. Any thread.
    virtual void OpenWithDefault(const std::string& uri) = 0;
};

// The process-wide instances backed by GIO.
FileAssociations& DesktopAssociations();
Launcher& DesktopLauncher();

}  // namespace tavimo::platform
