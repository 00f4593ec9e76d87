// The real program under Xvfb with a clip made at test time (espeak-ng
// speech over noise) and its subtitle file beside it, 2.35 s late: Y shows
// the note at the picture's top left and remembers the result, which the
// next start applies with a note of its own; Y then Esc Esc stops the run
// and closes the player at once. The same with the subtitles as an ASS track
// inside the clip.
#include <gtest/gtest.h>

#include <QColor>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

// The strip at the top left of the window's picture (160 x 120, grey all
// over in this clip, below the menu, toolbar and seek bar): its light pixels
// of text and its grey ones; the subtitles stand at the picture's bottom, out
// of the strip.
struct Strip {
    int light = 0, grey = 0;
};
Strip TopLeft(const XServer& server) {
    const QImage shot = server.Screenshot();
    const QRect strip(0, 80, 160, 24);
    const auto grey = [](QRgb pixel) {
        return QColor(pixel).value() > 90 && QColor(pixel).value() < 170;
    };
    return {Count(shot, strip, [](QRgb pixel) { return QColor(pixel).value() > 180; }),
            Count(shot, strip, grey)};
}
int NotePixels(const XServer& server) {
    return TopLeft(server).light;
}
// Whether the clip's picture shows with no note on it (any note of the start
// gone), waiting up to 15 s.
bool PlainPicture(const XServer& server) {
    return Within(15s, [&] {
        const Strip strip = TopLeft(server);
        return strip.light == 0 && strip.grey > 160 * 24 / 2;
    });
}

// The first part's offset, in ms, of the one result the results file at
// `path` comes to hold within 60 s (a run takes a while on a loaded machine).
std::optional<long> RememberedOffset(const std::string& path) {
    std::smatch m;
    std::string line;
    if (!Within(60s, [&] { return !(line = FileText(path)).empty(); }) ||
        !std::regex_search(line, m, std::regex(R"(\t1\t1\t0:(-?\d+)\t)")))
        return std::nullopt;
    return std::stol(m[1]);
}

TEST(SyncE2e, YSynchronisesRemembersAndCancelsAFileBesideTheClipAndATrackInIt) {
    QTemporaryDir data, cache;
    const std::string dir = data.path().toStdString();
    // A 90 s clip of speech over noise at 20 dB, its true cues in truth.srt.
    const std::string clip = "python3 " TAVIMO_SOURCE_DIR "/tests/support/speech_clip.py " + dir +
                             "/film.mp4 " + dir + "/truth.srt --seconds 90 --snr 20 --seed 21";
    ASSERT_EQ(std::system(clip.c_str()), 0);
    // The file beside the clip shows every cue 2.35 s late.
    ASSERT_TRUE(test::Ffmpeg("-itsoffset 2.35 -i " + dir + "/truth.srt " + dir + "/film.srt"));
    const std::string remembered = cache.path().toStdString() + "/tavimo/subtitle-sync.txt";
    const std::vector<std::string> env = {"XDG_CACHE_HOME=" + cache.path().toStdString()};

    XServer server;
    ASSERT_TRUE(server.Running());
    UserFolders user;
    {
        Player player(server, user, {dir + "/film.mp4"}, env);
        ASSERT_TRUE(player.WaitForWindow(15s));
        ASSERT_TRUE(PlainPicture(server)) << "the picture, no note on it";
        player.Key("y");
        EXPECT_TRUE(Within(2s, [&] { return NotePixels(server) > 20; })) << "the note shows";
        const std::optional<long> offset = RememberedOffset(remembered);
        ASSERT_TRUE(offset) << FileText(remembered);
        EXPECT_NEAR(*offset, -2350, 150);
        player.Key("Escape Escape Escape");
        EXPECT_TRUE(player.WaitForExit(10s));
    }
    {
        // The next start applies the remembered result, with its note, and
        // writes nothing new.
        const std::string before = FileText(remembered);
        Player player(server, user, {dir + "/film.mp4"}, env);
        ASSERT_TRUE(player.WaitForWindow(15s));
        // The note comes once the clip has opened, which on a loaded machine
        // takes seconds after the window shows; it stays 2 s.
        EXPECT_TRUE(Within(15s, [&] { return NotePixels(server) > 20; }));
        // Y, then Esc (Stop) and Esc (close) while it listens: the player
        // ends at once, its listening threads joined.
        ASSERT_TRUE(PlainPicture(server)) << "the note of the start gone";
        player.Key("y");
        player.Key("Escape Escape");
        EXPECT_EQ(player.WaitForExit(10s), std::optional<int>(0));
        EXPECT_EQ(FileText(remembered), before);
    }
    {
        // The same subtitles as an ASS track inside the clip (Matroska), 1.8 s
        // early and not flagged default: chosen by hand with V, the track is
        // read whole when Y starts, though only its first cues have played.
        ASSERT_TRUE(test::Ffmpeg("-itsoffset -1.8 -i " + dir + "/truth.srt " + dir + "/early.ass"));
        ASSERT_TRUE(test::Ffmpeg("-i " + dir + "/film.mp4 -i " + dir +
                                 "/early.ass -map 0 -map 1 -c copy " + dir + "/film.mkv"));
        std::filesystem::remove(remembered);
        Player player(server, user, {dir + "/film.mkv"}, env);
        ASSERT_TRUE(player.WaitForWindow(15s));
        ASSERT_TRUE(PlainPicture(server));
        player.Key("v");
        ASSERT_TRUE(Within(5s, [&] { return NotePixels(server) > 20; })) << "the track's note";
        player.Key("y");
        const std::optional<long> offset = RememberedOffset(remembered);
        ASSERT_TRUE(offset) << FileText(remembered);
        EXPECT_NEAR(*offset, 1800, 150);
        player.Key("Escape Escape Escape");
        EXPECT_TRUE(player.WaitForExit(10s));
    }
}

}  // namespace
}  // namespace tavimo::e2e
