#include "integration/file_type_access.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "resources/resources.h"

namespace tavimo {
namespace {

constexpr char kClassName[] = "Tavimo Video File";
constexpr char kIconName[] = "tavimo";
constexpr char kUnknownType[] = "application/octet-stream";

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

// The MimeType list of an entry written before, so registrations add up.
std::vector<std::string> ExistingMimeTypes(const std::string& path) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("MimeType=", 0) == 0)
            return SplitList(line.substr(9));
    }
    return {};
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
        return Fail("an empty name was given for a file to write");
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
            return Fail("cannot write " + target.string() + ": " + std::strerror(saved));
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        std::filesystem::remove(temporary, ec);
        return Fail("cannot write " + target.string() + ": " + std::strerror(saved));
    }
    return true;
}

bool CGCFileTypeAccess::WriteExtensionKey() {
    if (extension.empty())
        return true;
    const std::string known = context_.associations.ContentTypeOf("file." + extension);
    if (!known.empty() && known != kUnknownType) {
        contentType = known;
        return true;
    }
    // shared-mime-info does not know the extension: a type of our own.
    contentType = "video/x-tavimo-" + extension;
    const std::string package =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        contentType + "\">\n    <comment>" + className + "</comment>\n    <glob pattern=\"*." +
        extension + "\"/>\n  </mime-type>\n</mime-info>\n";
    if (!WriteDefaultValue(context_.dataHome, "mime/packages/tavimo-" + extension + ".xml",
                           package))
        return false;
    const int status =
        context_.associations.RunTool({"update-mime-database", context_.dataHome + "/mime"});
    if (status != 0)
        return Fail(status < 0 ? "update-mime-database is not installed"
                               : "update-mime-database failed on " + context_.dataHome + "/mime");
    return true;
}

bool CGCFileTypeAccess::WriteClassKey() {
    if (className.empty())
        return true;
    const std::string entryPath = "applications/" + std::string(kDesktopId);
    std::vector<std::string> types = ExistingMimeTypes(context_.dataHome + "/" + entryPath);
    if (!contentType.empty() && std::find(types.begin(), types.end(), contentType) == types.end())
        types.push_back(contentType);
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Tavimo\n"
        "Comment=" +
        KeyFileEscape(className) + "\nExec=" + KeyFileEscape(openCommand) + "\n";
    if (!defaultIcon.empty())
        entry += "Icon=" + defaultIcon + "\n";
    entry += "Terminal=false\nCategories=AudioVideo;Video;Player;\nMimeType=";
    for (const std::string& type : types)
        entry += type + ";";
    entry += "\n";
    if (!WriteDefaultValue(context_.dataHome, entryPath, entry))
        return false;
    if (!defaultIcon.empty() && !context_.iconSvg.empty())
        return WriteDefaultValue(context_.dataHome,
                                 "icons/hicolor/scalable/apps/" + defaultIcon + ".svg",
                                 context_.iconSvg);
    return true;
}

bool CGCFileTypeAccess::WriteDefaultApplication() {
    if (contentType.empty())
        return true;
    std::string why;
    if (!context_.associations.SetDefaultApplication(contentType, kDesktopId, &why))
        return Fail("the default application for " + contentType + " was not set: " + why);
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
    if (access.extension.empty()) {
        dialogs.MessageBox("\"" + FileNameOf(clipPath) +
                               "\" has no file extension, so no file type was registered.",
                           res::kAppTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    access.openCommand = DesktopExecArgument(context.selfExe) + " %f";
    access.secondCommand = access.openCommand;
    access.className = kClassName;
    access.defaultIcon = kIconName;
    const std::string type = "Filetype \"." + access.extension + "\"";
    if (access.WriteAll()) {
        dialogs.MessageBox(type + " registered with Tavimo", res::kAppTitle, platform::MB_OK);
    } else {
        dialogs.MessageBox(type + " could not be registered with Tavimo:\n" + access.error,
                           res::kAppTitle, platform::MB_OK | platform::MB_ICONHAND);
    }
}

}  // namespace tavimo
