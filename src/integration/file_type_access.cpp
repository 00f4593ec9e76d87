#include "integration/file_type_access.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "resources/resources.h"
#include "resources/translate.h"

namespace tavimo {
namespace {

constexpr char kClassName[] = "Tavimo Video File";
constexpr char kIconName[] = "tavimo";
constexpr char kUnknownType[] = "application/octet-stream";
// Above shared-mime-info's usual 50, below the 80 of names that are sure.
constexpr int kLeaningGlobWeight = 60;

bool IsMediaType(const std::string& type) {
    return type.rfind("video/", 0) == 0 || type.rfind("audio/", 0) == 0;
}

// A desktop entry's string value: backslashes and control characters escaped.
std::string KeyFileEscape(const std::string& value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ';');)
        if (!item.empty())
            items.push_back(item);
    return items;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The lines of a desktop entry, and where its [Desktop Entry] group runs
// ([begin, end) of the lines after the header); nothing without that group.
struct EntryLines {
    std::vector<std::string> lines;
    size_t begin = 0, end = 0;
};

std::optional<EntryLines> SplitEntry(const std::string& text) {
    EntryLines entry;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        entry.lines.push_back(line);
    bool found = false;
    for (size_t i = 0; i < entry.lines.size(); ++i) {
        const std::string line = Trimmed(entry.lines[i]);
        if (line.empty() || line[0] != '[')
            continue;
        if (found) {
            entry.end = i;
            return entry;
        }
        found = line == "[Desktop Entry]";
        entry.begin = entry.end = i + 1;
    }
    if (!found)
        return std::nullopt;
    entry.end = entry.lines.size();
    return entry;
}

// The line index of `key` (untranslated) in the group; `end` when absent.
size_t FindKey(const EntryLines& entry, const std::string& key) {
    for (size_t i = entry.begin; i < entry.end; ++i) {
        const std::string& line = entry.lines[i];
        const size_t equals = line.find('=');
        if (equals != std::string::npos && Trimmed(line.substr(0, equals)) == key)
            return i;
    }
    return entry.end;
}

std::string ValueOf(const EntryLines& entry, const std::string& key) {
    const size_t at = FindKey(entry, key);
    return at == entry.end ? std::string()
                           : Trimmed(entry.lines[at].substr(entry.lines[at].find('=') + 1));
}

// Sets `key` of the group to `value` (already escaped), in place or at the
// group's end.
void SetKey(EntryLines& entry, const std::string& key, const std::string& value) {
    const size_t at = FindKey(entry, key);
    if (at != entry.end) {
        entry.lines[at] = key + "=" + value;
        return;
    }
    size_t insert = entry.end;
    while (insert > entry.begin && Trimmed(entry.lines[insert - 1]).empty())
        --insert;  // before the blank lines that end the group
    entry.lines.insert(entry.lines.begin() + static_cast<std::ptrdiff_t>(insert),
                       key + "=" + value);
    ++entry.end;
}

std::string JoinLines(const EntryLines& entry) {
    std::string text;
    for (const std::string& line : entry.lines)
        text += line + "\n";
    return text;
}

// The MimeType list of an entry's text (none when it has no such group).
std::vector<std::string> MimeTypesOf(const std::string& text) {
    const auto entry = SplitEntry(text);
    return entry ? SplitList(ValueOf(*entry, "MimeType")) : std::vector<std::string>{};
}

void AddNew(std::vector<std::string>& list, const std::vector<std::string>& more) {
    for (const std::string& item : more)
        if (std::find(list.begin(), list.end(), item) == list.end())
            list.push_back(item);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string UserDataHome() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return data;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share";
}

std::string DesktopExecArgument(const std::string& path) {
    static constexpr char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
    std::string doubled;
    for (char c : path)
        doubled += c == '%' ? std::string("%%") : std::string(1, c);
    if (doubled.find_first_of(kReserved) == std::string::npos)
        return doubled;
    std::string quoted = "\"";
    for (char c : doubled) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string RegistrableExtension(const std::string& clipPath) {
    const std::string name = FileNameOf(clipPath);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size())
        return {};
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 || !(std::isalnum(u) || c == '_' || c == '-' || c == '+'))
            return {};
        c = static_cast<char>(std::tolower(u));
    }
    return ext;
}

void CGCFileTypeAccess::ClearStrings() {
    for (std::string* field : {&extension, &spare2, &openCommand, &spare4, &spare5, &className,
                               &classDescription, &spare8, &spare9, &defaultIcon, &secondCommand})
        field->clear();
}

bool CGCFileTypeAccess::WriteAll() {
    return WriteExtensionKey() && WriteClassKey() && WriteDefaultApplication() && WriteNothing();
}

bool CGCFileTypeAccess::Fail(const std::string& what) {
    if (error.empty())
        error = what;
    return false;
}

bool CGCFileTypeAccess::WriteDefaultValue(const std::string& root, const std::string& subPath,
                                          const std::string& text) {
    if (root.empty() || subPath.empty())
        return Fail(TrText("Boxes", "an empty name was given for a file to write"));
    const std::filesystem::path target = std::filesystem::path(root) / subPath;
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    const std::string temporary = target.string() + ".new-" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            const int saved = errno;
            std::filesystem::remove(temporary, ec);
            return Fail(TrArg(TrText("Boxes", "cannot write %1: %2"),
                              {target.string(), std::strerror(saved)}));
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        std::filesystem::remove(temporary, ec);
        return Fail(
            TrArg(TrText("Boxes", "cannot write %1: %2"), {target.string(), std::strerror(saved)}));
    }
    return true;
}

bool CGCFileTypeAccess::WriteGlobPackage(const std::string& comment, int weight) {
    std::string type = "  <mime-type type=\"" + contentType + "\">\n";
    if (!comment.empty())
        type += "    <comment>" + comment + "</comment>\n";
    type += "    <glob pattern=\"*." + extension + "\"";
    if (weight != 0)
        type += " weight=\"" + std::to_string(weight) + "\"";
    type += "/>\n  </mime-type>\n";
    const std::string package =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" +
        type + "</mime-info>\n";
    if (!WriteDefaultValue(context_.dataHome, "mime/packages/tavimo-" + extension + ".xml",
                           package))
        return false;
    const int status =
        context_.associations.RunTool({"update-mime-database", context_.dataHome + "/mime"});
    if (status != 0)
        return Fail(status < 0 ? TrText("Boxes", "update-mime-database is not installed")
                               : TrArg(TrText("Boxes", "update-mime-database failed on %1"),
                                       {context_.dataHome + "/mime"}));
    return true;
}

bool CGCFileTypeAccess::WriteExtensionKey() {
    if (extension.empty())
        return true;
    auto& desktop = context_.associations;
    const platform::ContentGuess byName = desktop.GuessFromName("file." + extension);
    if (byName.certain) {
        contentType = byName.type;
        return true;
    }
    if (byName.type.empty() || byName.type == kUnknownType) {
        // shared-mime-info does not know the extension: a type of our own.
        contentType = "video/x-tavimo-" + extension;
        return WriteGlobPackage(className, 0);
    }
    // Several types share the extension: the clip's first bytes decide, as
    // they do when a file manager looks at such a file.
    const platform::ContentGuess byFile = desktop.GuessForFile(clipPath);
    if (byFile.certain) {
        contentType = byFile.type;
        return true;
    }
    // The bytes name a media type the extension is not known for (an MPEG
    // program stream in .mod): a glob weighted above the others makes the
    // name lean to it, and the bytes then settle each file.
    const platform::ContentGuess byBytes = desktop.GuessFromBytes(clipPath);
    if (byBytes.certain && IsMediaType(byBytes.type)) {
        contentType = byBytes.type;
        return WriteGlobPackage("", kLeaningGlobWeight);
    }
    return Fail(TrArg(
        TrText("Boxes", "\"%1\" may be %2 or another type, and its contents do not tell which"),
        {FileNameOf(clipPath), byName.type}));
}

bool CGCFileTypeAccess::WriteClassKey() {
    if (className.empty())
        return true;
    const std::string entryPath = "applications/" + std::string(kDesktopId);
    const std::string userEntry = context_.dataHome + "/" + entryPath;
    // The installed entry is where every key comes from (the user's copy
    // shadows it); the user's copy adds the types registered before.
    std::string installed;
    const std::string installedPath = context_.associations.InstalledDesktopEntry(kDesktopId);
    std::error_code ec;
    if (!installedPath.empty() && !std::filesystem::equivalent(installedPath, userEntry, ec))
        installed = ReadWhole(installedPath);
    const std::string previous = ReadWhole(userEntry);
    std::vector<std::string> types = MimeTypesOf(installed);
    AddNew(types, MimeTypesOf(previous));
    if (!contentType.empty())
        AddNew(types, {contentType});

    auto entry = SplitEntry(installed);
    if (!entry)
        entry = SplitEntry(previous);
    if (!entry)
        entry = SplitEntry(MinimalEntry());
    SetKey(*entry, "Exec", KeyFileEscape(openCommand));
    SetKey(*entry, "TryExec", KeyFileEscape(context_.selfExe));
    std::string list;
    for (const std::string& type : types)
        list += type + ";";
    SetKey(*entry, "MimeType", list);
    if (!WriteDefaultValue(context_.dataHome, entryPath, JoinLines(*entry)))
        return false;
    if (!defaultIcon.empty() && !context_.iconSvg.empty())
        return WriteDefaultValue(context_.dataHome,
                                 "icons/hicolor/scalable/apps/" + defaultIcon + ".svg",
                                 context_.iconSvg);
    return true;
}

std::string CGCFileTypeAccess::MinimalEntry() const {
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Tavimo\n"
        "GenericName=Video Player\n"
        "Comment=" +
        KeyFileEscape(className) + "\n";
    if (!defaultIcon.empty())
        entry += "Icon=" + defaultIcon + "\n";
    return entry + "Terminal=false\nCategories=AudioVideo;Video;Player;\n";
}

bool CGCFileTypeAccess::WriteDefaultApplication() {
    if (contentType.empty())
        return true;
    std::string why;
    if (!context_.associations.SetDefaultApplication(contentType, kDesktopId, &why))
        return Fail(TrArg(TrText("Boxes", "the default application for %1 was not set: %2"),
                          {contentType, why}));
    // Caches that launchers and icon views read; a missing tool is no fault.
    (void)context_.associations.RunTool(
        {"update-desktop-database", "-q", context_.dataHome + "/applications"});
    (void)context_.associations.RunTool(
        {"gtk-update-icon-cache", "-q", "-t", "-f", context_.dataHome + "/icons/hicolor"});
    return true;
}

void RegisterFileType(const std::string& clipPath, const FileTypeContext& context,
                      platform::Dialogs& dialogs) {
    if (clipPath.empty())
        return;
    CGCFileTypeAccess access(context);
    access.extension = RegistrableExtension(clipPath);
    access.clipPath = clipPath;
    if (access.extension.empty()) {
        dialogs.MessageBox(
            TrArg(TrText("Boxes", "\"%1\" has no file extension, so no file type was registered."),
                  {FileNameOf(clipPath)}),
            res::kAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    access.openCommand = DesktopExecArgument(context.selfExe) + " %f";
    access.secondCommand = access.openCommand;
    access.className = kClassName;
    access.defaultIcon = kIconName;
    const std::string type = "." + access.extension;
    if (access.WriteAll()) {
        dialogs.MessageBox(TrArg(TrText("Boxes", "Filetype \"%1\" registered with Tavimo"), {type}),
                           res::kAppTitle, platform::MB_OK);
    } else {
        dialogs.MessageBox(
            TrArg(TrText("Boxes", "Filetype \"%1\" could not be registered with Tavimo:\n%2"),
                  {type, access.error}),
            res::kAppTitle, platform::MB_OK | platform::MB_ICONHAND);
    }
}

}  // namespace tavimo
