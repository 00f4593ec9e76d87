// The real program's start: without a display, and under Xvfb the resumed
// clip and the single-instance rule between real processes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

// A clip left in the middle starts there again on the next run. Instances
// started with "Allow Multiple Instances" on hold no marker: a later start with
// the option off finds none and all run. The next start closes all of them,
// and they save as at a user's close.
TEST(ShellE2e, ResumeAndANewInstanceClosingTheOthersUnlessTheyAllowThem) {
    XServer server;
    ASSERT_TRUE(server.Running());
    UserFolders user;
    user.Store("ResumePlayback", 1u);
    user.Store("AllowMultipleInstances", 1u);
    QTemporaryDir media;
    const std::string clip = media.filePath("forty seconds.mp4").toStdString();
    const std::string make =
        "gst-launch-1.0 -q videotestsrc num-buffers=400 ! video/x-raw,width=160,height=120,"
        "framerate=10/1 ! x264enc speed-preset=ultrafast key-int-max=10 ! mp4mux ! filesink "
        "location='" +
        clip + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    // The seconds stored for the clip as the newest entry.
    const auto stored = [&] {
        const std::string text = user.Text("Software\\Orvenic\\Tavimo\\Resume Positions", "Clip1");
        const size_t space = text.find(' ');
        EXPECT_EQ(text.substr(space + 1), clip);
        return std::stod(text.substr(0, space)) / 1e7;
    };
    // A player whose window is shown and which listens for the instance message.
    const auto start = [&](const std::vector<std::string>& args) {
        auto player = std::make_unique<Player>(server, user, args);
        EXPECT_TRUE(player->WaitForWindow(15s).has_value()) << "no window";
        const auto socket =
            user.RuntimeDir() + "/tavimo/" + std::to_string(player->Pid()) + ".sock";
        for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return player;
    };

    // Four five-second steps forward after 1.5 s of play: left at about 21 s.
    auto run = start({clip});
    std::this_thread::sleep_for(1500ms);
    run->Key("period period period period");
    std::this_thread::sleep_for(1000ms);
    run->Key("Escape");
    std::this_thread::sleep_for(300ms);
    run->Key("Escape");
    EXPECT_EQ(run->WaitForExit(10s), 0);
    const double left = stored();
    EXPECT_GT(left, 19);
    EXPECT_LT(left, 26);

    auto first = start({clip});
    std::this_thread::sleep_for(2s);
    auto second = start({});
    user.Store("AllowMultipleInstances", 0u);
    auto third = start({});
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(first->Running() && second->Running() && third->Running());
    auto fourth = start({});
    for (Player* p : {first.get(), second.get(), third.get()}) {
        EXPECT_EQ(p->WaitForExit(10s), 0);
    }
    // Without resuming, the three seconds or so the first played would be
    // too near the start to keep.
    EXPECT_GT(stored(), left) << "resumed, and saved when closed by the fourth";
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
