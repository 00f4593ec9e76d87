// What the desktop knows about files and programs: content types, the
// applications offered for them and launching through them. The program uses
// the GIO-backed instances; tests give fakes.
#pragma once

#include <string>
#include <vector>

namespace tavimo::platform {

// What the desktop makes of a file's type.
struct ContentGuess {
    std::string type;      // e.g. "video/mp4"; "application/octet-stream" when nothing fits
    bool certain = false;  // false when the evidence fits several types, or none
};

class FileAssociations {
  public:
    virtual ~FileAssociations() = default;
    // The type a file's name gives (the file is not read); uncertain when the
    // name fits several types ("clip.ts": a Qt translation or an MPEG
    // transport stream) or none. Any thread.
    virtual ContentGuess GuessFromName(const std::string& fileName) = 0;
    // The type the desktop gives the file at `path`, as file managers show it:
    // the name's guess, and when that is uncertain, the guess from the name and
    // the file's first bytes together. The file is read only then; one that
    // cannot be read keeps the name's guess. Any thread.
    virtual ContentGuess GuessForFile(const std::string& path) = 0;
    // The type the first bytes of the file at `path` give on their own (the
    // name is not used); uncertain when they fit nothing or cannot be read.
    // Any thread.
    virtual ContentGuess GuessFromBytes(const std::string& path) = 0;
    // The executables of every application the desktop offers for
    // `contentType` (the default, those that declare or were given the type,
    // and those of its parent types), each looked up through PATH with every
    // link resolved; one that cannot be found is left out. Any thread.
    virtual std::vector<std::string> ApplicationExecutables(const std::string& contentType) = 0;
    // Whether files of `type` are files of `superType` for the desktop: the
    // same type, an alias of it (video/vnd.avi and video/x-msvideo) or a kind
    // of it. Any thread.
    virtual bool TypeIsA(const std::string& type, const std::string& superType) {
        return type == superType;
    }
    // The desktop entry `desktopId` as installed for all users: the first
    // applications/`desktopId` of the system data folders ($XDG_DATA_DIRS,
    // searched in the order GIO searches them). Empty when there is none.
    // Any thread.
    virtual std::string InstalledDesktopEntry(const std::string& desktopId) = 0;
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
