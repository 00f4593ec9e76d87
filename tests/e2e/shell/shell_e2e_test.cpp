// The real program under Xvfb: its window as a person sees it, closing with
// Escape, and the single-instance rule between real processes.
#include <gtest/gtest.h>

#include <QColor>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "app/settings.h"
#include "platform/registry.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

class ShellE2eTest : public ::testing::Test {
  protected:
    // One X server for the whole program; each test has its own settings.
    static void SetUpTestSuite() { serverInstance = new XServer(); }
    static void TearDownTestSuite() {
        delete serverInstance;
        serverInstance = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server.Running()) << "Xvfb did not start";
        ASSERT_TRUE(config.isValid() && runtime.isValid());
    }
    std::string Config() const { return config.path().toStdString(); }
    std::string Runtime() const { return runtime.path().toStdString(); }
    std::unique_ptr<platform::Registry> Registry() {
        return platform::OpenRegistryFile(Config() + "/tavimo/registry.reg");
    }
    void StoreDword(const char* name, uint32_t value) {
        auto registry = Registry();
        platform::RegKey key = nullptr;
        ASSERT_EQ(registry->CreateKey(kSettingsKey, &key), platform::ERROR_SUCCESS);
        registry->SetValue(key, name, platform::REG_DWORD, reinterpret_cast<uint8_t*>(&value), 4);
        registry->CloseKey(key);
    }
    std::optional<uint32_t> StoredDword(const char* name) {
        auto registry = Registry();
        platform::RegKey key = nullptr;
        if (registry->OpenKey(kSettingsKey, &key) != platform::ERROR_SUCCESS) {
            return std::nullopt;
        }
        uint32_t value = 0, size = 4;
        const long rc =
            registry->QueryValue(key, name, nullptr, reinterpret_cast<uint8_t*>(&value), &size);
        registry->CloseKey(key);
        return rc == platform::ERROR_SUCCESS ? std::optional(value) : std::nullopt;
    }
    std::unique_ptr<Player> Start() {
        auto player = std::make_unique<Player>(server, Config(), Runtime());
        EXPECT_TRUE(player->WaitForWindow(15s).has_value()) << "no window";
        // Ready once it listens for the instance message, right after its window.
        const std::string socket = Runtime() + "/tavimo/" + std::to_string(player->Pid()) + ".sock";
        for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_TRUE(std::filesystem::exists(socket)) << socket;
        return player;
    }

    static inline XServer* serverInstance = nullptr;
    XServer& server = *serverInstance;
    QTemporaryDir config;
    QTemporaryDir runtime;
};

// The menu bar, the toolbar with its coloured buttons, the seek band and the
// black view below them, at the top left of the screen (there is no window
// manager to place it).
TEST_F(ShellE2eTest, WindowShowsMenuToolbarBandsAndABlackView) {
    auto player = Start();
    std::this_thread::sleep_for(500ms);
    const QImage shot = server.Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-shell.png");
    ASSERT_FALSE(shot.isNull());
    auto lightness = [&](int x, int y) { return QColor(shot.pixel(x, y)).lightness(); };
    EXPECT_GT(lightness(200, 8), 150) << "menu bar";
    int colouredInToolbar = 0;  // the play button is green, stop red, about blue
    for (int x = 0; x < 300; ++x) {
        for (int y = 22; y < 48; ++y) {
            const QColor c(shot.pixel(x, y));
            colouredInToolbar += c.saturation() > 120 ? 1 : 0;
        }
    }
    EXPECT_GT(colouredInToolbar, 200) << "toolbar icons";
    EXPECT_LT(lightness(200, 250), 10) << "black view";
    EXPECT_LT(lightness(600, 600), 10) << "outside the 400 x 300 window: the empty screen";
    const std::string geometry =
        RunIn(server.Display(),
              "xdotool getwindowgeometry " + std::to_string(*player->WaitForWindow(1s)));
    EXPECT_NE(geometry.find("400x300"), std::string::npos) << geometry;
}

TEST_F(ShellE2eTest, EscapeWithNothingOpenClosesWithStatusZero) {
    auto player = Start();
    player->Key("Escape");
    EXPECT_EQ(player->WaitForExit(10s), 0);
}

// With multiple instances not allowed, each start closes the instances that
// run; the closed one saves its settings as at a user's close.
TEST_F(ShellE2eTest, ANewInstanceClosesTheRunningOnesWhichSave) {
    StoreDword("AllowMultipleInstances", 0);
    auto first = Start();
    first->Key("shift+Down");  // volume 100 -> 95, saved only at close
    auto second = Start();
    EXPECT_EQ(first->WaitForExit(10s), 0) << "the first instance closes";
    EXPECT_EQ(StoredDword("Volume"), 95u) << "and saved while closing";
    EXPECT_TRUE(second->Running());
    auto third = Start();
    EXPECT_EQ(second->WaitForExit(10s), 0);
    EXPECT_TRUE(third->Running());
    third->Key("Escape");
    EXPECT_EQ(third->WaitForExit(10s), 0);
}

// An instance started with the option on holds no marker: a later start with
// the option off finds none and both run; a third start then closes both.
TEST_F(ShellE2eTest, AnInstanceAllowingOthersLeavesNoMarker) {
    StoreDword("AllowMultipleInstances", 1);
    auto first = Start();
    auto second = Start();
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(first->Running());
    EXPECT_TRUE(second->Running());
    StoreDword("AllowMultipleInstances", 0);
    auto third = Start();
    auto fourth = Start();  // finds the third's marker: every listener is told
    EXPECT_TRUE(first->WaitForExit(10s).has_value());
    EXPECT_TRUE(second->WaitForExit(10s).has_value());
    EXPECT_TRUE(third->WaitForExit(10s).has_value());
    EXPECT_TRUE(fourth->Running());
}

// Without a display there is no window: a line on stderr and status 1. The
// two options print and succeed without one.
TEST(ShellCommandLine, NoDisplayFailsWithStatusOneAndOptionsNeedNone) {
    struct Case {
        const char* name;
        std::string args;
        int status;
        const char* output;  // expected in stdout+stderr
    };
    const Case cases[] = {
        {"no display", "", 1, "cannot create the main window"},
        {"--help", " --help", 0, "Usage: tavimo"},
        {"--version", " --version", 0, "Tavimo "},
    };
    for (const Case& c : cases) {
        const std::string command = "env -u WAYLAND_DISPLAY DISPLAY=:65000 QT_QPA_PLATFORM=xcb " +
                                    PlayerBinary() + c.args + " 2>&1; echo status=$?";
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[512];
            while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
                out += buffer;
            }
            pclose(pipe);
        }
        EXPECT_NE(out.find(c.output), std::string::npos) << c.name << ": " << out;
        EXPECT_NE(out.find("status=" + std::to_string(c.status)), std::string::npos)
            << c.name << ": " << out;
    }
}

}  // namespace
}  // namespace tavimo::e2e
