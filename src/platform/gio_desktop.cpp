#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "platform/desktop.h"

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

class GioAssociations final : public FileAssociations {
  public:
    std::string ContentTypeOf(const std::string& fileName) override {
        GFreeString type{g_content_type_guess(fileName.c_str(), nullptr, 0, nullptr)};
        return type.text != nullptr ? type.text : "";
    }

    std::string DefaultAppExecutable(const std::string& contentType) override {
        GUnref<GAppInfo> app{g_app_info_get_default_for_type(contentType.c_str(), FALSE)};
        if (app.object == nullptr)
            return {};
        // The program is the first word of the command line as a shell splits
        // it (GIO's own executable name stops at the first space, even inside
        // quotes).
        const char* commandLine = g_app_info_get_commandline(app.object);
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
            *error = "the desktop entry " + desktopId + " is not usable";
            return false;
        }
        GError* gerror = nullptr;
        if (!g_app_info_set_as_default_for_type(G_APP_INFO(info.object), contentType.c_str(),
                                                &gerror)) {
            *error = gerror != nullptr ? gerror->message : "mimeapps.list could not be written";
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
