// The real program through the real picture and sound path: ximagesink under
// Xvfb and pulsesink into a PulseAudio null sink of the test's own. Fake
// sinks never hold a thread in their preroll the way a sound server's sink
// does, so what hangs here passes on them.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "support/null_sound_server.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

bool HavePulseAudio() {
    return std::system("command -v pulseaudio >/dev/null 2>&1") == 0;
}

// Whether `done` comes true within `limit` (the machine may be slow).
bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !done();
         std::this_thread::sleep_for(100ms)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
    }
    return true;
}

// Pixels dark in `before` and near white in `after`: text drawn onto a black
// picture.
int TurnedWhite(const QImage& before, const QImage& after) {
    int count = 0;
    for (int y = 0; y < std::min(before.height(), after.height()); ++y)
        for (int x = 0; x < std::min(before.width(), after.width()); ++x) {
            const QColor was(before.pixel(x, y)), now(after.pixel(x, y));
            count += was.value() < 40 && std::min({now.red(), now.green(), now.blue()}) > 200;
        }
    return count;
}

// Pause, then B on a clip with two audio tracks: the note is drawn into the
// still picture, the window goes on answering (Escape stops, Escape again
// closes), and the language chosen while paused is kept.
TEST(SoundE2e, AudioSwitchedWhilePausedWithTheRealSinks) {
    if (!HavePulseAudio())
        GTEST_SKIP() << "no pulseaudio";
    test::NullSoundServer sound;
    ASSERT_TRUE(sound.Running()) << sound.Log();
    XServer x;
    ASSERT_TRUE(x.Running());
    QTemporaryDir media;
    const std::string clip = media.path().toStdString() + "/two.mkv";
    const std::string make =
        "ffmpeg -v error -y -f lavfi -i color=c=black:s=320x240:r=25:d=10 -f lavfi -i "
        "sine=f=440:d=10 -f lavfi -i sine=f=660:d=10 -map 0 -map 1 -map 2 -c:v libx264 "
        "-preset ultrafast -c:a aac -metadata:s:a:0 language=eng -metadata:s:a:1 "
        "language=ger " +
        clip + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    UserFolders user;
    Player player(x, user, {clip}, sound.Environment());
    ASSERT_TRUE(player.WaitForWindow(10s));
    std::this_thread::sleep_for(1500ms);  // playing
    player.Key("space");
    std::this_thread::sleep_for(800ms);
    const QImage paused = x.Screenshot();
    player.Key("b");
    EXPECT_TRUE(Within(5s, [&] { return TurnedWhite(paused, x.Screenshot()) > 40; }))
        << "no note in the paused picture";
    player.Key("Escape");
    player.Key("Escape");
    EXPECT_EQ(player.WaitForExit(10s), 0) << "the window stopped answering";
    EXPECT_EQ(user.Text("Software\\Orvenic\\Tavimo", "AudioLanguage"), "de");
}

}  // namespace
}  // namespace tavimo::e2e
