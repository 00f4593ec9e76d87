// The demo clip with its SubRip file beside it, in the real program under
// Xvfb: the text a person sees burnt into the picture, C hiding it, Alt+Up
// moving it, and no text between two subtitles.
#include <gtest/gtest.h>

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

// The demo clip's picture and its test pattern.
constexpr int kClipWidth = 640, kClipHeight = 360;
// Columns from here on hold the pattern's noise, which changes every frame.
constexpr int kNoiseColumn = 470;
// A channel changed by more than this counts as drawn over.
constexpr int kChanged = 100;

std::string DemoClip() {
    return std::string(TAVIMO_BUILD_DIR) + "/demo/demo.mp4";
}

// What a picture holds compared with the same picture without text.
struct TextBlock {
    int changed = 0;  // pixels drawn over
    int white = 0;    // of those, near white
    int dark = 0;     // of those, near black
    QRect bounds;     // around every changed pixel, picture coordinates
};

int Distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

TextBlock Compare(const QImage& shot, const QImage& plain) {
    TextBlock block;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < std::min(shot.width(), kNoiseColumn); ++x) {
            const QRgb now = shot.pixel(x, y);
            if (Distance(now, plain.pixel(x, y)) <= kChanged) {
                continue;
            }
            ++block.changed;
            const int low = std::min({qRed(now), qGreen(now), qBlue(now)});
            const int high = std::max({qRed(now), qGreen(now), qBlue(now)});
            block.white += low > 200 ? 1 : 0;
            block.dark += high < 60 ? 1 : 0;
            block.bounds |= QRect(x, y, 1, 1);
        }
    }
    return block;
}

class SubtitlesE2eTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { serverInstance = new XServer(); }
    static void TearDownTestSuite() {
        delete serverInstance;
        serverInstance = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server.Running()) << "Xvfb did not start";
        ASSERT_TRUE(config.isValid() && runtime.isValid());
        ASSERT_TRUE(std::filesystem::exists(DemoClip())) << DemoClip();
        ASSERT_TRUE(std::filesystem::exists(TAVIMO_BUILD_DIR "/demo/demo.srt"));
    }

    // Starts the player on the demo clip and waits until its picture shows.
    void StartOnDemoClip() {
        player = std::make_unique<Player>(server, config.path().toStdString(),
                                          runtime.path().toStdString(),
                                          std::vector<std::string>{DemoClip()});
        window = player->WaitForWindow(15s);
        ASSERT_TRUE(window.has_value()) << "no window";
        for (int i = 0; i < 100 && !PictureShows(Picture()); ++i) {
            std::this_thread::sleep_for(100ms);
        }
        ASSERT_TRUE(PictureShows(Picture())) << "the clip's picture never showed";
    }

    // The clip's picture on screen: the window fits the view to the video,
    // and the view is the bottom of the window.
    QImage Picture(const std::string& savePath = {}) {
        const QImage shot = server.Screenshot(savePath);
        const std::string geometry =
            RunIn(server.Display(), "xdotool getwindowgeometry " + std::to_string(*window));
        int x = 0, y = 0, width = 0, height = 0;
        const size_t at = geometry.find("Position:"), size = geometry.find("Geometry:");
        if (shot.isNull() || at == std::string::npos || size == std::string::npos ||
            std::sscanf(geometry.c_str() + at, "Position: %d,%d", &x, &y) != 2 ||
            std::sscanf(geometry.c_str() + size, "Geometry: %dx%d", &width, &height) != 2 ||
            width < kClipWidth || height < kClipHeight) {
            return {};
        }
        origin = QPoint(x, y + height - kClipHeight);
        return shot.copy(origin.x(), origin.y(), kClipWidth, kClipHeight);
    }

    // The pattern's green bar stands in the middle of the upper picture.
    static bool PictureShows(const QImage& picture) {
        if (picture.isNull()) {
            return false;
        }
        const QColor c(picture.pixel(kClipWidth / 2, 100));
        return c.green() > 150 && c.red() < 100 && c.blue() < 100;
    }

    void Press(const std::string& keys, std::chrono::milliseconds settle = 700ms) {
        player->Key(keys);
        std::this_thread::sleep_for(settle);
    }

    static inline XServer* serverInstance = nullptr;
    XServer& server = *serverInstance;
    QTemporaryDir config, runtime;
    std::unique_ptr<Player> player;
    std::optional<unsigned long> window;
    QPoint origin;  // of the picture on screen, found by Picture()
};

// Stopped at the start (before the first subtitle), then five seconds on,
// inside the second: white text with a dark outline, centred, its bottom five
// rows above the picture's. C takes it away and brings it back on the still
// picture; Alt+Up ten times lifts it by twenty rows; a drag puts it under
// the cursor.
TEST_F(SubtitlesE2eTest, TextShowsHidesAndMovesOnTheStillPicture) {
    StartOnDemoClip();
    Press("s");
    const QImage plain = Picture();
    ASSERT_TRUE(PictureShows(plain));

    Press("period");
    const QImage shown = Picture(std::string(TAVIMO_BUILD_DIR) + "/e2e-subtitles.png");
    const TextBlock text = Compare(shown, plain);
    EXPECT_GT(text.changed, 400) << "text drawn";
    EXPECT_GT(text.white, 150) << "white body";
    EXPECT_GT(text.dark, 100) << "dark outline";
    EXPECT_NEAR(text.bounds.center().x(), kClipWidth / 2, 12) << "centred";
    EXPECT_LE(text.bounds.bottom(), kClipHeight - 5);
    EXPECT_GE(text.bounds.bottom(), kClipHeight - 5 - 12) << "near the bottom";
    EXPECT_GE(text.bounds.top(), kClipHeight - 90) << "two lines, no more";

    Press("c");
    const TextBlock hidden = Compare(Picture(), plain);
    EXPECT_LT(hidden.changed, 20) << "C hides the text at once on a still picture";

    Press("c");
    const TextBlock again = Compare(Picture(), plain);
    EXPECT_EQ(again.bounds, text.bounds) << "C brings it back where it was";

    for (int i = 0; i < 10; ++i) {
        Press("alt+Up", 150ms);
    }
    std::this_thread::sleep_for(500ms);
    const TextBlock lifted = Compare(Picture(), plain);
    EXPECT_GT(lifted.changed, 400);
    EXPECT_EQ(lifted.bounds.bottom(), text.bounds.bottom() - 20) << "two rows per Alt+Up";
    EXPECT_EQ(lifted.bounds.top(), text.bounds.top() - 20);
    EXPECT_EQ(lifted.bounds.left(), text.bounds.left());

    // Dragged with the left button to picture row 200: the bottom of the text
    // block (its bottom five rows above the picture's at first) follows.
    auto at = [&](int row) {
        return std::to_string(origin.x() + kClipWidth / 2) + " " + std::to_string(origin.y() + row);
    };
    RunIn(server.Display(), "xdotool mousemove " + at(300) + " mousedown 1 mousemove " + at(250) +
                                " sleep 0.2 mousemove " + at(200) + " sleep 0.5 mouseup 1");
    std::this_thread::sleep_for(700ms);
    const TextBlock dragged = Compare(Picture(), plain);
    EXPECT_GT(dragged.changed, 400);
    EXPECT_EQ(dragged.bounds.bottom() - 200, text.bounds.bottom() - (kClipHeight - 5))
        << "the block's bottom at the cursor";
}

// Played from the start and watched: the first subtitle, then a picture
// without text, then the next subtitle.
TEST_F(SubtitlesE2eTest, NoTextBetweenTwoSubtitles) {
    StartOnDemoClip();
    Press("s");
    const QImage plain = Picture();
    ASSERT_TRUE(PictureShows(plain));
    Press("Return", 0ms);
    std::string seen;                                         // one letter per look: T text, - none
    const auto end = std::chrono::steady_clock::now() + 10s;  // both gaps
    while (std::chrono::steady_clock::now() < end) {
        const QImage picture = Picture();
        if (!PictureShows(picture)) {
            continue;
        }
        const TextBlock block = Compare(picture, plain);
        const bool text = block.changed > 400;
        if (text) {
            EXPECT_NEAR(block.bounds.center().x(), kClipWidth / 2, 12) << seen;
            EXPECT_GE(block.bounds.bottom(), kClipHeight - 5 - 12) << seen;
        } else {
            EXPECT_LT(block.changed, 20) << "a picture without text has no stray marks";
        }
        if (seen.empty() || seen.back() != (text ? 'T' : '-')) {
            seen += text ? 'T' : '-';
        }
    }
    EXPECT_NE(seen.find("T-T"), std::string::npos) << "looks: " << seen;
}

}  // namespace
}  // namespace tavimo::e2e
