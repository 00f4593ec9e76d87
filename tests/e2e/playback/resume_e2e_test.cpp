// Resume Playback as a user meets it: a clip left in the middle starts there
// again on the next run of the program.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

constexpr char kResumeKey[] = "Software\\Orvenic\\Tavimo\\Resume Positions";

// Seconds stored for `clip` as the newest entry; -1 when it is not there.
double StoredSeconds(UserFolders& user, const std::string& clip) {
    const std::string text = user.Text(kResumeKey, "Clip1");
    const size_t space = text.find(' ');
    if (space == std::string::npos || text.substr(space + 1) != clip) {
        return -1;
    }
    return std::stod(text.substr(0, space)) / 1e7;
}

// Plays `clip` in a fresh run for 1.5 s, types `keys`, then
// closes with Escape twice.
void PlayOnce(XServer& server, UserFolders& user, const std::string& clip,
              const std::string& keys) {
    Player player(server, user.ConfigHome(), user.RuntimeDir(), {clip});
    ASSERT_TRUE(player.WaitForWindow(15s).has_value());
    std::this_thread::sleep_for(1500ms);
    if (!keys.empty()) {
        player.Key(keys);
        std::this_thread::sleep_for(1000ms);
    }
    player.Key("Escape");
    std::this_thread::sleep_for(300ms);
    player.Key("Escape");
    EXPECT_EQ(player.WaitForExit(10s), 0);
}

TEST(ResumeE2e, SecondRunStartsWhereTheFirstWasClosed) {
    XServer server;
    ASSERT_TRUE(server.Running());
    UserFolders user;
    user.StoreDword("Software\\Orvenic\\Tavimo", "ResumePlayback", 1);
    QTemporaryDir media;
    const std::string clip = media.filePath("forty seconds.mp4").toStdString();
    const std::string make =
        "gst-launch-1.0 -q videotestsrc num-buffers=400 ! video/x-raw,width=160,height=120,"
        "framerate=10/1 ! x264enc speed-preset=ultrafast key-int-max=10 ! mp4mux ! filesink "
        "location='" +
        clip + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);

    // Four five-second steps forward: left at about 21 s.
    PlayOnce(server, user, clip, "period period period period");
    const double left = StoredSeconds(user, clip);
    EXPECT_GT(left, 19);
    EXPECT_LT(left, 26);

    // Without resuming, 2.5 s of play would be too near the start to keep.
    PlayOnce(server, user, clip, "");
    EXPECT_GT(StoredSeconds(user, clip), left);
}

}  // namespace
}  // namespace tavimo::e2e
