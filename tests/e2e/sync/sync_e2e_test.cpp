// The real program under Xvfb with a clip made at test time (espeak-ng
// speech over noise) and its subtitle file beside it, 2.35 s late: Y shows
// the note at the picture's top left and remembers the result, which the
// next start applies with a note of its own; Y then Esc Esc stops the run
// and closes the player at once.
#include <gtest/gtest.h>

#include <QColor>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !done();
         std::this_thread::sleep_for(100ms)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
    }
    return true;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Light pixels of text in the strip at the top left of the window's picture
// (160 x 120, grey all over in this clip, below the menu, toolbar and seek
// bar); the subtitles stand at its bottom, out of the strip.
int NotePixels(const XServer& server) {
    const QImage shot = server.Screenshot();
    int light = 0;
    for (int y = 80; y < 104 && y < shot.height(); ++y)
        for (int x = 0; x < 160 && x < shot.width(); ++x)
            light += QColor(shot.pixel(x, y)).value() > 180;
    return light;
}

TEST(SyncE2e, YSynchronisesRemembersAndCancels) {
    QTemporaryDir data, cache;
    const std::string dir = data.path().toStdString();
    const std::string script = std::string(TAVIMO_SOURCE_DIR) + "/tests/support/speech_clip.py";
    ASSERT_EQ(std::system(("python3 " + script + " " + dir + "/film.mp4 " + dir +
                           "/truth.srt --seconds 90 --snr 20 --seed 21")
                              .c_str()),
              0);
    // The file beside the clip shows every cue 2.35 s late.
    std::stringstream late;
    const std::regex time(R"((\d\d):(\d\d):(\d\d),(\d\d\d))");
    const std::string truth = Slurp(dir + "/truth.srt");
    std::string out;
    auto last = truth.cbegin();
    for (std::sregex_iterator it(truth.begin(), truth.end(), time), end; it != end; ++it) {
        const auto& m = *it;
        const long ms = ((std::stol(m[1]) * 60 + std::stol(m[2])) * 60 + std::stol(m[3])) * 1000 +
                        std::stol(m[4]) + 2350;
        char text[32];
        std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld,%03ld", ms / 3600000, ms / 60000 % 60,
                      ms / 1000 % 60, ms % 1000);
        out.append(last, m[0].first).append(text);
        last = m[0].second;
    }
    out.append(last, truth.cend());
    std::ofstream(dir + "/film.srt") << out;
    const std::string remembered = cache.path().toStdString() + "/tavimo/subtitle-sync.txt";
    const std::vector<std::string> env = {"XDG_CACHE_HOME=" + cache.path().toStdString()};

    XServer server;
    ASSERT_TRUE(server.Running());
    UserFolders user;
    {
        Player player(server, user, {dir + "/film.mp4"}, env);
        ASSERT_TRUE(player.WaitForWindow(15s));
        std::this_thread::sleep_for(2500ms);  // past the notes of the start
        EXPECT_EQ(NotePixels(server), 0);
        player.Key("y");
        EXPECT_TRUE(Within(2s, [&] { return NotePixels(server) > 20; })) << "the note shows";
        ASSERT_TRUE(Within(60s, [&] { return !Slurp(remembered).empty(); }));
        std::smatch m;
        const std::string line = Slurp(remembered);
        ASSERT_TRUE(std::regex_search(line, m, std::regex(R"(\t1\t1\t0:(-?\d+)\t)"))) << line;
        EXPECT_NEAR(std::stol(m[1]), -2350, 150) << line;
        player.Key("Escape Escape Escape");
        EXPECT_TRUE(player.WaitForExit(10s));
    }
    {
        // The next start applies the remembered result, with its note, and
        // writes nothing new.
        const std::string before = Slurp(remembered);
        Player player(server, user, {dir + "/film.mp4"}, env);
        ASSERT_TRUE(player.WaitForWindow(15s));
        EXPECT_TRUE(Within(2s, [&] { return NotePixels(server) > 20; }));
        // Y, then Esc (Stop) and Esc (close) while it listens: the player
        // ends at once, its listening threads joined.
        std::this_thread::sleep_for(2500ms);
        player.Key("y");
        player.Key("Escape Escape");
        EXPECT_EQ(player.WaitForExit(10s), std::optional<int>(0));
        EXPECT_EQ(Slurp(remembered), before);
    }
}

}  // namespace
}  // namespace tavimo::e2e
