// The demo clip with its SubRip file beside it, opened from the command line
// in the real program under Xvfb: the picture and the title a person sees, the
// recent list, the text burnt into the picture and none between two
// subtitles, the delay keys, C hiding the text, Alt+Up and a drag moving it,
// and Escape twice closing.
#include <gtest/gtest.h>

#include <QColor>
#include <QRect>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kW = 640, kH = 360;  // the demo clip's picture
constexpr int kNoiseColumn = 470;  // from here on the pattern's noise changes every frame

// Pixels left of the noise that differ from `plain` by more than 100 in a
// channel: how many, how many of them near white and near black, and where.
struct TextBlock {
    int changed = 0, white = 0, dark = 0;
    QRect bounds;
};

TextBlock Compare(const QImage& shot, const QImage& plain) {
    TextBlock b;
    for (int y = 0; y < kH && !shot.isNull(); ++y) {
        for (int x = 0; x < kNoiseColumn; ++x) {
            const QColor now(shot.pixel(x, y)), was(plain.pixel(x, y));
            if (std::max({std::abs(now.red() - was.red()), std::abs(now.green() - was.green()),
                          std::abs(now.blue() - was.blue())}) > 100) {
                ++b.changed;
                b.white += std::min({now.red(), now.green(), now.blue()}) > 200 ? 1 : 0;
                b.dark += now.value() < 60 ? 1 : 0;
                b.bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return b;
}

// The clip's picture on screen (the bottom of the window, which fits the view
// to the video) and its top left corner; null while the pattern's green bar
// does not show in it.
QImage Picture(const XServer& server, unsigned long window, QPoint* origin) {
    int x = 0, y = 0, h = 0;
    const std::string at =
        RunIn(server.Display(), "xdotool getwindowgeometry --shell " + std::to_string(window));
    std::sscanf(at.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%*d HEIGHT=%d", &x, &y, &h);
    *origin = QPoint(x, y + h - kH);
    const QImage picture = server.Screenshot().copy(origin->x(), origin->y(), kW, kH);
    const QColor bar(picture.pixel(kW / 2, 100));
    return bar.green() > 150 && bar.red() < 100 && bar.blue() < 100 ? picture : QImage();
}

TEST(SubtitlesE2e, DemoClipPlaysWithItsSubtitles) {
    XServer server;
    ASSERT_TRUE(server.Running());
    UserFolders user;
    QTemporaryDir media;
    const std::string clip = media.filePath("demo clip.mp4").toStdString();
    for (const char* type : {".mp4", ".srt"}) {
        std::filesystem::copy_file(std::string(TAVIMO_BUILD_DIR) + "/demo/demo" + type,
                                   media.filePath("demo clip").toStdString() + type);
    }
    Player player(server, user, {clip});
    const auto window = player.WaitForWindow(15s);
    ASSERT_TRUE(window.has_value());
    QPoint origin;
    const auto picture = [&] { return Picture(server, *window, &origin); };
    const auto press = [&](const char* keys, std::chrono::milliseconds settle = 700ms) {
        player.Key(keys);
        std::this_thread::sleep_for(settle);
    };
    for (int i = 0; i < 100 && picture().isNull(); ++i) {
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(RunIn(server.Display(), "xdotool getwindowname " + std::to_string(*window)),
              "Tavimo - " + clip + "\n");
    EXPECT_EQ(user.Text("Software\\Orvenic\\Tavimo\\Recent Document List", "Document1"), clip);

    press("s", 2500ms);  // stopped at 0:00, before the first subtitle (0.5 s)
    const QImage plain = picture();
    ASSERT_FALSE(plain.isNull()) << "the clip's picture never showed";
    server.Screenshot("playback");
    const QColor blue(plain.pixel(595, 100));
    EXPECT_TRUE(blue.blue() > 180 && blue.red() < 80) << "the last bar blue";

    // Z six times shows the first subtitle 0.6 s earlier, so it is due; X once
    // leaves it due (-0.5 s), X twice makes it 0.1 s late. Each press shows
    // the delay at the top left, which is gone 2 s later.
    const QRect notice(0, 0, kW / 2, 60), subtitle(0, kH - 90, kNoiseColumn, 90);
    const auto changedIn = [&](const QRect& area) {
        return Compare(picture(), plain).bounds.intersects(area);
    };
    press("z z z z z z");
    EXPECT_TRUE(changedIn(subtitle)) << "-0.6 s: the first subtitle is due at 0:00";
    EXPECT_TRUE(changedIn(notice)) << "the delay shows at the top left";
    press("x");
    EXPECT_TRUE(changedIn(subtitle)) << "-0.5 s: still due";
    press("x", 2500ms);
    EXPECT_LT(Compare(picture(), plain).changed, 20) << "-0.4 s: not yet due, and the notice gone";
    press("shift+z", 2500ms);  // no delay again

    // Played from the start: a subtitle, a picture without text, the next.
    press("Return", 0ms);
    std::string seen;  // one letter per change: T text, - none
    for (const auto end = std::chrono::steady_clock::now() + 10s;
         std::chrono::steady_clock::now() < end;) {
        const QImage now = picture();
        const int changed = Compare(now, plain).changed;
        const char look = changed > 400 ? 'T' : changed < 20 ? '-' : '?';
        if (!now.isNull() && (seen.empty() || seen.back() != look)) {
            seen += look;
        }
    }
    EXPECT_NE(seen.find("T-T"), std::string::npos) << "looks: " << seen;
    EXPECT_EQ(seen.find('?'), std::string::npos) << "stray marks: " << seen;

    // Stopped, then five seconds on, inside the second subtitle: white text
    // with a dark outline, centred, its bottom five rows above the picture's.
    press("s");
    press("period");
    const TextBlock text = Compare(picture(), plain);
    EXPECT_GT(text.white, 150) << "white body";
    EXPECT_GT(text.dark, 100) << "dark outline";
    EXPECT_NEAR(text.bounds.center().x(), kW / 2, 12) << "centred";
    EXPECT_TRUE(text.bounds.bottom() <= kH - 5 && text.bounds.bottom() >= kH - 5 - 12);
    EXPECT_GE(text.bounds.top(), kH - 90) << "two lines, no more";

    press("c");
    EXPECT_LT(Compare(picture(), plain).changed, 20) << "C hides the text on a still picture";
    press("c");
    EXPECT_EQ(Compare(picture(), plain).bounds, text.bounds) << "and brings it back";
    for (int i = 0; i < 10; ++i) {
        press("alt+Up", 150ms);
    }
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Compare(picture(), plain).bounds, text.bounds.translated(0, -20)) << "2 rows a press";

    // Dragged with the left button to picture row 200: the bottom of the block follows.
    const auto at = [&](int row) {
        return std::to_string(origin.x() + kW / 2) + " " + std::to_string(origin.y() + row);
    };
    RunIn(server.Display(), "xdotool mousemove " + at(300) + " mousedown 1 mousemove " + at(250) +
                                " sleep 0.2 mousemove " + at(200) + " sleep 0.5 mouseup 1");
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(Compare(picture(), plain).bounds.bottom() - 200, text.bounds.bottom() - (kH - 5));

    press("Return", 500ms);
    press("Escape", 500ms);  // stops: the player stays
    EXPECT_TRUE(player.Running());
    player.Key("Escape");  // stopped: closes
    EXPECT_EQ(player.WaitForExit(10s), 0);
}

}  // namespace
}  // namespace tavimo::e2e
