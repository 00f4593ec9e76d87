#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/desktop.h"
#include "resources/translate.h"

namespace tavimo::platform {
namespace {

// GLib strings and objects freed at the end of their scope.
struct GFreeString {
    gchar* text = nullptr;
    ~GFreeString() { g_free(text); }
};
template <typename T>
struct GUnref {
    T* object = nullptr;
    ~GUnref() {
        if (object != nullptr)
            g_object_unref(object);
    }
};

// As much of a file as GIO's own file information reads to sniff a type.
constexpr size_t kSniffBytes = 16384;

// The first bytes of the file at `path`; empty when it cannot be read.
std::string FirstBytes(const std::string& path) {
    std::string bytes(kSniffBytes, '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(in ? bytes.size()
                    : static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

// GIO's guess from `name` (may be null) and `bytes` (none when empty).
ContentGuess Guess(const char* name, const std::string& bytes) {
    gboolean uncertain = FALSE;
    const auto* data = reinterpret_cast<const guchar*>(bytes.empty() ? nullptr : bytes.data());
    GFreeString type{g_content_type_guess(name, data, bytes.size(), &uncertain)};
    return {type.text != nullptr ? type.text : "", uncertain == FALSE};
}

// The program a GIO application runs: the first word of its command line as a
// shell splits it (GIO's own executable name stops at the first space, even
// inside quotes), found through PATH, every link resolved. Empty when unknown.
std::string ExecutableOf(GAppInfo* app) {
    const char* commandLine = g_app_info_get_commandline(app);
    gchar** argv = nullptr;
    if (commandLine == nullptr || !g_shell_parse_argv(commandLine, nullptr, &argv, nullptr))
        return {};
    GFreeString found{g_find_program_in_path(argv[0])};
    g_strfreev(argv);
    if (found.text == nullptr)
        return {};
    char* resolved = ::realpath(found.text, nullptr);
    if (resolved == nullptr)
        return {};
    std::string result = resolved;
    ::free(resolved);
    return result;
}

class GioAssociations final : public FileAssociations {
  public:
    ContentGuess GuessFromName(const std::string& fileName) override {
        return Guess(fileName.c_str(), {});
    }

    ContentGuess GuessForFile(const std::string& path) override {
        const ContentGuess byName = Guess(path.c_str(), {});
        if (byName.certain)
            return byName;
        const std::string bytes = FirstBytes(path);
        return bytes.empty() ? byName : Guess(path.c_str(), bytes);
    }

    ContentGuess GuessFromBytes(const std::string& path) override {
        const std::string bytes = FirstBytes(path);
        if (bytes.empty())
            return {"application/octet-stream", false};
        return Guess(nullptr, bytes);
    }

    std::vector<std::string> ApplicationExecutables(const std::string& contentType) override {
        std::vector<std::string> executables;
        GList* apps = g_app_info_get_all_for_type(contentType.c_str());
        for (GList* app = apps; app != nullptr; app = app->next) {
            std::string executable = ExecutableOf(G_APP_INFO(app->data));
            if (!executable.empty())
                executables.push_back(std::move(executable));
        }
        g_list_free_full(apps, g_object_unref);
        return executables;
    }

    bool TypeIsA(const std::string& type, const std::string& superType) override {
        return g_content_type_is_a(type.c_str(), superType.c_str());
    }

    std::string InstalledDesktopEntry(const std::string& desktopId) override {
        for (const gchar* const* dir = g_get_system_data_dirs(); *dir != nullptr; ++dir) {
            const std::string path = std::string(*dir) + "/applications/" + desktopId;
            if (g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR))
                return path;
        }
        return {};
    }

    bool SetDefaultApplication(const std::string& contentType, const std::string& desktopId,
                               std::string* error) override {
        // GIO learns of a desktop entry written a moment ago through a file
        // monitor; give it a little time to see the new file.
        GUnref<GDesktopAppInfo> info{g_desktop_app_info_new(desktopId.c_str())};
        for (int i = 0; info.object == nullptr && i < 100; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            info.object = g_desktop_app_info_new(desktopId.c_str());
        }
        if (info.object == nullptr) {
            *error = TrArg(TrText("Boxes", "the desktop entry %1 is not usable"), {desktopId});
            return false;
        }
        GError* gerror = nullptr;
        if (!g_app_info_set_as_default_for_type(G_APP_INFO(info.object), contentType.c_str(),
                                                &gerror)) {
            *error = gerror != nullptr ? gerror->message
                                       : TrText("Boxes", "mimeapps.list could not be written");
            g_clear_error(&gerror);
            return false;
        }
        return true;
    }

    int RunTool(const std::vector<std::string>& args) override {
        std::vector<gchar*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<gchar*>(a.c_str()));
        argv.push_back(nullptr);
        gint status = 0;
        if (!g_spawn_sync(
                nullptr, argv.data(), nullptr,
                static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL |
                                         G_SPAWN_STDERR_TO_DEV_NULL),
                nullptr, nullptr, nullptr, nullptr, &status, nullptr))
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
};

class GioLauncher final : public Launcher {
  public:
    void OpenWithDefault(const std::string& uri) override {
        std::thread([uri] {
            (void)g_app_info_launch_default_for_uri(uri.c_str(), nullptr, nullptr);
        }).detach();
    }
};

}  // namespace

FileAssociations& DesktopAssociations() {
    static GioAssociations instance;
    return instance;
}

Launcher& DesktopLauncher() {
    static GioLauncher instance;
    return instance;
}

}  // namespace tavimo::platform
