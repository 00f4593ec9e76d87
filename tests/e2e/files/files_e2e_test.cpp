// The real program in a desktop of its own (XDG data and config folders made
// for the test): Ctrl+R makes .mp4 files ours, Page Down / Page Up walk a
// folder of a.mp4, b.mp4, c.txt and d.mp4, Auto Next moves on at the end of a
// clip, the update check reaches the browser registered for https, and the
// About and Enter URL dialogs appear under their titles.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "app/settings.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class FilesE2eTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = new XServer();
        clips = new QTemporaryDir();
        // One-second clips; c.txt is a text file between them.
        for (const char* name : {"a.mp4", "b.mp4", "d.mp4"}) {
            const std::string command =
                "gst-launch-1.0 -q videotestsrc num-buffers=30 ! "
                "video/x-raw,width=160,height=120,framerate=30/1 ! x264enc ! mp4mux ! "
                "filesink location=" +
                Clip(name) + " >/dev/null 2>&1";
            ASSERT_EQ(std::system(command.c_str()), 0);
        }
        std::ofstream(Clip("c.txt")) << "notes\n";
    }
    static void TearDownTestSuite() {
        delete clips;
        delete server;
    }
    // Each test has a desktop of its own: no type is ours at the start.
    void SetUp() override {
        ASSERT_TRUE(server->Running());
        setenv("XDG_DATA_HOME", (data.path() + "/data").toUtf8().constData(), 1);
    }

    static std::string Clip(const std::string& name) {
        return clips->filePath(QString::fromStdString(name)).toStdString();
    }
    std::string Title(unsigned long window) {
        std::string title =
            RunIn(server->Display(), "xdotool getwindowname " + std::to_string(window));
        return title.empty() ? title : title.substr(0, title.size() - 1);
    }
    // The title once it reads "Tavimo - <clip>", or what it read last.
    std::string WaitForClip(unsigned long window, const std::string& name,
                            std::chrono::milliseconds timeout = 10s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        std::string title;
        while (std::chrono::steady_clock::now() < end) {
            title = Title(window);
            if (title == "Tavimo - " + Clip(name))
                break;
            std::this_thread::sleep_for(50ms);
        }
        return title;
    }
    // The visible windows of `player` (the main window, the video surface, dialogs).
    std::set<unsigned long> Shown(Player& player) {
        std::set<unsigned long> ids;
        std::stringstream out(RunIn(
            server->Display(),
            "xdotool search --onlyvisible --pid " + std::to_string(player.Pid()) + " --name '.*'"));
        for (unsigned long id = 0; out >> id;)
            ids.insert(id);
        return ids;
    }
    // A window that was not shown `before` and is titled exactly `title`,
    // waiting up to 10 s; 0 when none came.
    unsigned long NewWindow(Player& player, const std::set<unsigned long>& before,
                            const std::string& title) {
        for (int i = 0; i < 100; ++i) {
            for (unsigned long id : Shown(player)) {
                if (before.count(id) == 0 && Title(id) == title)
                    return id;
            }
            std::this_thread::sleep_for(100ms);
        }
        return 0;
    }
    // Whether window `id` is gone within 10 s.
    bool Gone(Player& player, unsigned long id) {
        for (int i = 0; i < 100; ++i) {
            if (Shown(player).count(id) == 0)
                return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    void KeyTo(unsigned long window, const std::string& keys) {
        RunIn(server->Display(), "xdotool windowfocus --sync " + std::to_string(window) +
                                     " key --clearmodifiers " + keys);
    }
    // Ctrl+R, then OK on the confirmation box.
    void RegisterCurrentClip(Player& player) {
        const auto before = Shown(player);
        player.Key("ctrl+r");
        const unsigned long box = NewWindow(player, before, "Tavimo");
        ASSERT_NE(box, 0u) << "the confirmation box";
        std::this_thread::sleep_for(300ms);
        server->Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-files-registered.png");
        KeyTo(box, "Return");
        ASSERT_TRUE(Gone(player, box));
    }
    std::string GioMime(const std::string& type) {
        return RunIn(server->Display(),
                     "XDG_CONFIG_HOME=" + user.ConfigHome() + " gio mime " + type);
    }

    static inline XServer* server = nullptr;
    static inline QTemporaryDir* clips = nullptr;
    UserFolders user;
    QTemporaryDir data;
};

TEST_F(FilesE2eTest, RegisterThenWalkTheFolderAndTheHelpMenu) {
    // A stand-in browser: it notes the address it was given.
    const std::string dataHome = data.path().toStdString() + "/data";
    const std::string opened = data.path().toStdString() + "/opened.txt";
    const std::string browser = data.path().toStdString() + "/browser.sh";
    std::ofstream(browser) << "#!/bin/sh\necho \"$1\" >> " << opened << "\n";
    ::chmod(browser.c_str(), 0755);
    std::filesystem::create_directories(dataHome + "/applications");
    std::ofstream(dataHome + "/applications/browser.desktop")
        << "[Desktop Entry]\nType=Application\nName=Stand-in Browser\nExec=" << browser
        << " %u\nMimeType=x-scheme-handler/https;\n";
    std::filesystem::create_directories(user.ConfigHome());
    std::ofstream(user.ConfigHome() + "/mimeapps.list")
        << "[Default Applications]\nx-scheme-handler/https=browser.desktop\n";

    Player player(*server, user.ConfigHome(), user.RuntimeDir(), {Clip("b.mp4")});
    const auto window = player.WaitForWindow(15s);
    ASSERT_TRUE(window.has_value());
    ASSERT_EQ(WaitForClip(*window, "b.mp4"), "Tavimo - " + Clip("b.mp4"));

    player.Key("Page_Down");
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(Title(*window), "Tavimo - " + Clip("b.mp4")) << ".mp4 is not ours yet";

    RegisterCurrentClip(player);
    const std::string mime = GioMime("video/mp4");
    EXPECT_NE(mime.substr(0, mime.find('\n')).find(": tavimo.desktop"), std::string::npos) << mime;

    player.Key("Page_Down");
    EXPECT_EQ(WaitForClip(*window, "d.mp4"), "Tavimo - " + Clip("d.mp4")) << "c.txt passed over";
    player.Key("Page_Down");  // the last one: no wrap-around
    player.Key("Page_Up");
    EXPECT_EQ(WaitForClip(*window, "b.mp4"), "Tavimo - " + Clip("b.mp4"));
    player.Key("Page_Up");
    EXPECT_EQ(WaitForClip(*window, "a.mp4"), "Tavimo - " + Clip("a.mp4"));
    player.Key("Page_Up");  // the first one
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(Title(*window), "Tavimo - " + Clip("a.mp4"));

    // Help > Check For Update: the browser gets the update address.
    player.Key("alt+h Down Return");
    for (int i = 0; i < 100 && ReadAll(opened).empty(); ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_EQ(ReadAll(opened), "https://www.example.org/Tavimo/version.cgi?v=30\n");

    // Help > About: the box under its title, closed with Escape.
    auto before = Shown(player);
    player.Key("alt+h a");
    const unsigned long about = NewWindow(player, before, "About Tavimo");
    ASSERT_NE(about, 0u);
    std::this_thread::sleep_for(300ms);
    server->Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-files-about.png");
    KeyTo(about, "Escape");
    EXPECT_TRUE(Gone(player, about));

    // Ctrl+U: Cancel leaves the clip; OK plays the typed path.
    before = Shown(player);
    player.Key("ctrl+u");
    unsigned long url = NewWindow(player, before, "Enter URL");
    ASSERT_NE(url, 0u);
    RunIn(server->Display(),
          "xdotool windowfocus --sync " + std::to_string(url) + " type '" + Clip("d.mp4") + "'");
    std::this_thread::sleep_for(300ms);
    server->Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-files-enter-url.png");
    KeyTo(url, "Escape");
    EXPECT_TRUE(Gone(player, url));
    EXPECT_EQ(Title(*window), "Tavimo - " + Clip("a.mp4"));
    before = Shown(player);
    player.Key("ctrl+u");
    url = NewWindow(player, before, "Enter URL");
    ASSERT_NE(url, 0u);
    RunIn(server->Display(),
          "xdotool windowfocus --sync " + std::to_string(url) + " type '" + Clip("d.mp4") + "'");
    KeyTo(url, "Return");
    EXPECT_EQ(WaitForClip(*window, "d.mp4"), "Tavimo - " + Clip("d.mp4"));
}

// Auto Next: from b.mp4 the end of the clip opens d.mp4, whose end leaves it
// where it is.
TEST_F(FilesE2eTest, AutoNextMovesOnAtTheEndOfAClip) {
    user.StoreDword(kSettingsKey, "AutoNext", 1);
    Player player(*server, user.ConfigHome(), user.RuntimeDir(), {Clip("d.mp4")});
    const auto window = player.WaitForWindow(15s);
    ASSERT_TRUE(window.has_value());
    ASSERT_EQ(WaitForClip(*window, "d.mp4"), "Tavimo - " + Clip("d.mp4"));
    RegisterCurrentClip(player);
    player.Key("Page_Up");
    EXPECT_EQ(WaitForClip(*window, "b.mp4"), "Tavimo - " + Clip("b.mp4"));
    EXPECT_EQ(WaitForClip(*window, "d.mp4"), "Tavimo - " + Clip("d.mp4")) << "moved on at the end";
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(Title(*window), "Tavimo - " + Clip("d.mp4")) << "the last clip stays";
    EXPECT_TRUE(player.Running());
}

}  // namespace
}  // namespace tavimo::e2e
