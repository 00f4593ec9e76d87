// The real program under Xvfb: its window as a person sees it, closing with
// Escape, and the single-instance rule between real processes.
#include <gtest/gtest.h>

#include <QColor>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/settings.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

class ShellE2eTest : public ::testing::Test {
  protected:
    // One X server for the whole program; each test has its own user folders.
    static void SetUpTestSuite() { server = new XServer(); }
    static void TearDownTestSuite() { delete server; }
    void SetUp() override { ASSERT_TRUE(server->Running()) << "Xvfb did not start"; }

    // A player whose window is shown and which listens for the instance message.
    std::unique_ptr<Player> Start() {
        auto player = std::make_unique<Player>(*server, user.ConfigHome(), user.RuntimeDir());
        EXPECT_TRUE(player->WaitForWindow(15s).has_value()) << "no window";
        const auto socket =
            user.RuntimeDir() + "/tavimo/" + std::to_string(player->Pid()) + ".sock";
        for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return player;
    }
    void AllowMultiple(uint32_t on) { user.StoreDword(kSettingsKey, "AllowMultipleInstances", on); }

    static inline XServer* server = nullptr;
    UserFolders user;
};

// The menu bar, the toolbar with its coloured buttons and the black view, in
// a 400 x 300 window at the top left (no window manager places it).
TEST_F(ShellE2eTest, WindowShowsMenuToolbarAndABlackView) {
    auto player = Start();
    std::this_thread::sleep_for(500ms);
    const QImage shot = server->Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-shell.png");
    ASSERT_FALSE(shot.isNull());
    auto lightness = [&](int x, int y) { return QColor(shot.pixel(x, y)).lightness(); };
    int coloured = 0;  // green play, red stop, blue about...
    for (int x = 0; x < 300; ++x) {
        for (int y = 22; y < 48; ++y) {
            coloured += QColor(shot.pixel(x, y)).saturation() > 120 ? 1 : 0;
        }
    }
    EXPECT_GT(lightness(200, 8), 150) << "menu bar";
    EXPECT_GT(coloured, 200) << "toolbar icons";
    EXPECT_LT(lightness(200, 250), 10) << "black view";
    const std::string id = std::to_string(*player->WaitForWindow(1s));
    EXPECT_NE(RunIn(server->Display(), "xdotool getwindowgeometry " + id).find("400x300"),
              std::string::npos);
    player->Key("Escape");
    EXPECT_EQ(player->WaitForExit(10s), 0) << "Escape with nothing open closes, status 0";
}

// With the option off every start closes the running instances, which save
// their settings as at a user's close.
TEST_F(ShellE2eTest, ANewInstanceClosesTheRunningOnesWhichSave) {
    AllowMultiple(0);
    auto first = Start();
    first->Key("shift+Down");  // volume 100 -> 95, saved only at close
    auto second = Start();
    EXPECT_EQ(first->WaitForExit(10s), 0);
    EXPECT_EQ(user.Dword(kSettingsKey, "Volume"), 95u);
    auto third = Start();
    EXPECT_EQ(second->WaitForExit(10s), 0);
    EXPECT_TRUE(third->Running());
}

// An instance started with the option on holds no marker: a later start with
// the option off finds none and both run; the next start closes all of them.
TEST_F(ShellE2eTest, AnInstanceAllowingOthersLeavesNoMarker) {
    AllowMultiple(1);
    auto first = Start();
    auto second = Start();
    AllowMultiple(0);
    auto third = Start();
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(first->Running() && second->Running() && third->Running());
    auto fourth = Start();
    for (Player* p : {first.get(), second.get(), third.get()}) {
        EXPECT_TRUE(p->WaitForExit(10s).has_value());
    }
    EXPECT_TRUE(fourth->Running());
}

// Without a display: a line on stderr and status 1. The options need none.
TEST(ShellCommandLine, NoDisplayFailsWithStatusOneAndOptionsNeedNone) {
    const struct {
        const char* args;
        const char* output;
        int status;
    } cases[] = {{"", "cannot create the main window", 1},
                 {" --help", "Usage: tavimo", 0},
                 {" --version", "Tavimo ", 0}};
    for (const auto& c : cases) {
        const std::string out = RunIn(
            ":65000", "QT_QPA_PLATFORM=xcb " + PlayerBinary() + c.args + " 2>&1; echo status=$?");
        EXPECT_NE(out.find(c.output), std::string::npos) << out;
        EXPECT_NE(out.find("status=" + std::to_string(c.status)), std::string::npos) << out;
    }
}

}  // namespace
}  // namespace tavimo::e2e
