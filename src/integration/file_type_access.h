// Register Filetype For Current File: the current clip's extension is
// associated with this program the way Linux desktops look it up: a desktop
// entry, the extension's MIME type (a glob package of our own when
// shared-mime-info does not know it) and the user's default application for
// that type.
#pragma once

#include <string>

namespace tavimo {

namespace platform {
class Dialogs;
class FileAssociations;
}  // namespace platform

// The desktop entry every registration writes and names as the default.
inline constexpr char kDesktopId[] = "tavimo.desktop";

// Where the association goes and what it names.
struct FileTypeContext {
    platform::FileAssociations& associations;
    std::string dataHome;  // $XDG_DATA_HOME, or ~/.local/share
    std::string selfExe;   // the running executable
    std::string iconSvg;   // the program's icon, installed as "tavimo"
};

// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share. Any thread.
std::string UserDataHome();

// `path` as one argument of a desktop entry's Exec line: quoted when it holds
// a reserved character, with "%" doubled. Any thread.
std::string DesktopExecArgument(const std::string& path);

// The extension to register for `clipPath`: the lower-cased text after the
// last dot of its file name; empty when the name has none (or only a leading
// dot) or the text is not a plain extension (letters, digits, "_", "-", "+").
std::string RegistrableExtension(const std::string& clipPath);

// Eleven text fields and the write steps in the order a registration runs them.
class CGCFileTypeAccess {
  public:
    explicit CGCFileTypeAccess(const FileTypeContext& context) : context_(context) {}
    virtual ~CGCFileTypeAccess() = default;

    // Empties all eleven fields.
    virtual void ClearStrings();
    // Runs the four write steps in order; true when all of them succeeded.
    virtual bool WriteAll();
    // The extension's MIME type: the one shared-mime-info gives "*.ext"; when
    // it gives several, the one the clip's first bytes settle on (with a glob
    // of ours when the name must lean to it); for an unknown extension a type
    // of our own. A glob package means a rebuilt MIME database. Fails when
    // neither the name nor the bytes tell the type.
    virtual bool WriteExtensionKey();
    // The user's desktop entry "tavimo.desktop": the installed entry (every
    // key kept) or else the user's own, with this program's Exec and TryExec
    // and every type declared or registered so far; and the icon.
    virtual bool WriteClassKey();
    // The desktop entry becomes the type's default application; the desktop
    // and icon caches are refreshed where their tools exist.
    virtual bool WriteDefaultApplication();
    // A further step that does nothing.
    virtual bool WriteNothing() { return true; }

    // Writes `text` to `root`/`subPath` (folders made as needed, the file
    // replaced whole). An empty root or sub-path fails and writes nothing.
    bool WriteDefaultValue(const std::string& root, const std::string& subPath,
                           const std::string& text);

    // The fields, in their order; the spare ones are never filled.
    std::string extension;         // 1, lower case, without the dot
    std::string spare2;            // 2
    std::string openCommand;       // 3, the Exec value: program and %f
    std::string spare4, spare5;    // 4, 5
    std::string className;         // 6, "Tavimo Video File"
    std::string classDescription;  // 7, never set
    std::string spare8, spare9;    // 8, 9
    std::string defaultIcon;       // 10, the icon's name
    std::string secondCommand;     // 11, set as 3, never written

    // The clip whose first bytes decide an extension of several types.
    std::string clipPath;
    // Filled by the steps: the extension's type, and what could not be
    // written (the first failure).
    std::string contentType;
    std::string error;

  private:
    bool Fail(const std::string& what);
    // Our glob package for "*.<extension>" under `contentType` (with
    // `comment`, and `weight` unless 0), and the rebuilt MIME database.
    bool WriteGlobPackage(const std::string& comment, int weight);
    // The entry written when neither an installed nor a user entry exists.
    std::string MinimalEntry() const;
    const FileTypeContext& context_;
};

// The command: nothing for an empty `clipPath`; a box saying why for a name
// without an extension; otherwise the association is written and a box
// confirms it (caption "Tavimo") or says what could not be written. UI thread.
void RegisterFileType(const std::string& clipPath, const FileTypeContext& context,
                      platform::Dialogs& dialogs);

}  // namespace tavimo
