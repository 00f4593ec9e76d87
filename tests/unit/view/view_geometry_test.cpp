// Wheel and stretch steps, the seek bar's fill, text, layout and target,
// where a menu may open, and the window's fit to a clip: each row names its
// case, computes a result and gives the one worked out by hand.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "resources/command_ids.h"
#include "view/view_geometry.h"
#include "view/window_fit.h"

namespace tavimo {
namespace {

template <typename T>
struct Row {
    const char* name;
    T got, want;
};

template <typename T, size_t N>
void ExpectRows(const Row<T> (&rows)[N]) {
    for (const Row<T>& row : rows) {
        EXPECT_EQ(row.got, row.want) << row.name;
    }
}

TEST(ViewGeometryTest, WheelAndStretchSteps) {
    const float fourThree = 640.0f / 480.0f, wide = 1280.0f / 720.0f;
    const auto key = [](int command, float aspect, bool fullScreen) {
        return StretchKeyStep(command, 10, aspect, fullScreen);
    };
    ExpectRows<Step>({
        {"wheel up 4:3 (20 x 14 in all)", WheelStep(10, fourThree, true), {10, 7}},
        {"wheel down 16:9", WheelStep(10, wide, false), {-10, -5}},
        {"wheel, aspect unknown", WheelStep(10, 0.0f, true), {10, 10}},
        {"Left in a window", key(ID_STRETCH_NARROWER, wide, false), {-10, 0}},
        {"Right in a window", key(ID_STRETCH_WIDER, wide, false), {10, 0}},
        {"Down in a window: the full step", key(ID_STRETCH_LOWER, wide, false), {0, -10}},
        {"Up in a window", key(ID_STRETCH_TALLER, wide, false), {0, 10}},
        {"Down in full screen: step / aspect", key(ID_STRETCH_LOWER, wide, true), {0, -5}},
        {"Up in full screen 4:3", key(ID_STRETCH_TALLER, fourThree, true), {0, 7}},
        {"Right in full screen", key(ID_STRETCH_WIDER, fourThree, true), {10, 0}},
    });
}

TEST(ViewGeometryTest, WheelActsOncePerNotch) {
    // What one wheel answers to each delta in turn.
    const auto feed = [](const std::vector<int>& deltas) {
        WheelNotches wheel;
        std::vector<int> notches;
        for (int delta : deltas)
            notches.push_back(wheel.Feed(delta));
        return notches;
    };
    ExpectRows<std::vector<int>>({
        {"classic notches", feed({120, 120, -120}), {1, 1, -1}},
        {"two notches in one message act once", feed({240}), {1}},
        {"high resolution adds up to a notch", feed({40, 40, 40, 40}), {0, 0, 1, 0}},
        {"turning back starts afresh", feed({100, -30, -90}), {0, 0, 1 - 2}},
        {"no vertical delta keeps the sum", feed({80, 0, 40}), {0, 0, 1}},
    });
}

TEST(ViewGeometryTest, SeekBarFillAndText) {
    // The fill's right edge, then the text.
    const auto bar = [](int right, int total, int current) {
        return std::to_string(SeekBarFillEdge(right, total, current)) + " " +
               SeekBarText(current, total);
    };
    ExpectRows<std::string>({
        {"a quarter of 400 pixels", bar(400, 600, 150), "100 0:02:30 / 0:10:00"},
        {"no duration", bar(400, 0, 5), "0 0:00:05 / 0:00:00"},
        {"single-precision quotient", bar(229, 3723, 65), "3 0:01:05 / 1:02:03"},
        {"hours past a day", bar(300, 90000, 90000), "300 25:00:00 / 25:00:00"},
        {"past the end stays in the bar", bar(300, 10, 20), "300 0:00:20 / 0:00:10"},
        {"before the start fills nothing", bar(300, 10, -2), "0 0:00:-02 / 0:00:10"},
    });
}

TEST(ViewGeometryTest, SlidersLayout) {
    const SlidersLayout band = LayOutSliders(300);
    EXPECT_EQ(std::tuple(band.seekWidth, band.volumeX, band.volumeY), std::tuple(230, 232, 1));
    EXPECT_EQ(LayOutSliders(50).seekWidth, 0) << "narrower than the volume bar";
}

TEST(ViewGeometryTest, SeekTargetFromX) {
    constexpr int64_t kMinute = 600'000'000;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    ExpectRows<std::optional<int64_t>>({
        // 400 / 300 is 1.33333337f: the target falls 14 units short.
        {"three quarters", SeekTargetFromX(kMinute, 400, 300), 449'999'986},
        {"x = 0 is the start", SeekTargetFromX(kMinute, 400, 0), 0},
        {"the right edge is the end", SeekTargetFromX(kMinute, 400, 400), kMinute},
        {"left of the bar is before the start", SeekTargetFromX(kMinute, 400, -40), -60'000'000},
        {"right of the bar is past the end", SeekTargetFromX(kMinute, 400, 600), 899'999'973},
        {"single-precision quotient", SeekTargetFromX(36'000'000'000, 7, 3), 15'428'571'954},
        {"a bar without width never divides", SeekTargetFromX(kMinute, 0, 10), std::nullopt},
        {"nor at x = 0", SeekTargetFromX(kMinute, 0, 0), std::nullopt},
        {"huge products stay in range", SeekTargetFromX(kMax / 2, 1, 32767), kMax},
    });
}

TEST(ViewGeometryTest, MenuOpensOnAScreen) {
    const ScreenRect screens[] = {{0, 0, 1920, 1080}, {1920, 200, 3200, 1224}};
    const auto at = [&](int x, int y) { return ClampToNearestScreen(x, y, screens); };
    ExpectRows<int>({
        {"on the first screen", at(100, 100), 100},
        {"on the second screen", at(2000, 300), 2000},
        {"right of everything", at(5000, 500), 3199},
        {"left of everything", at(-300, 10), 0},
        {"above the second screen, nearer the first", at(1950, 100), 1919},
        {"keyboard point (-1, -1)", at(-1, -1), 0},
        {"no screens: left alone", ClampToNearestScreen(7, 7, {}), 7},
    });
}

// The window's fit to a clip: the view's size for a picture in a frame with
// its menus and bands on a screen's work area, and where a frame that grew
// goes to stay on it.
TEST(WindowFitTest, ThePictureKeepsItsSizeOrShrinksIntoTheWorkArea) {
    const FitSize chrome{2, 120};  // borders, menu, toolbar, seek bar, title bar
    struct Row {
        const char* name;
        FitSize native, chrome, room, want;
    } rows[] = {
        {"640x360 on 1024x768: its own size", {640, 360}, chrome, {1024, 768}, {640, 360}},
        {"at a scale of 2 the room is 960x540 logical", {640, 360}, chrome, {960, 540}, {640, 360}},
        {"just fits: no change", {1022, 648}, chrome, {1024, 768}, {1022, 648}},
        // 1080 + 120 > 1080: the height decides, 960 high, 1920 * 960 / 1080 wide.
        {"1080p on a 1080p screen", {1920, 1080}, chrome, {1920, 1080}, {1707, 960}},
        // A panel of 40 at the bottom: 1040 - 120 = 920 high, 1636 wide (1635.6).
        {"1080p beside a panel", {1920, 1080}, chrome, {1920, 1040}, {1636, 920}},
        // Too wide: 1280 - 2 = 1278 wide, 1278 * 1080 / 3840 = 359.4 high.
        {"a wide panorama", {3840, 1080}, chrome, {1280, 1024}, {1278, 359}},
        // Both too large: the width is the tighter, 1022 x 1022 * 3 / 4.
        {"4:3 larger than the screen both ways", {2048, 1536}, chrome, {1024, 1024}, {1022, 767}},
        {"a tall picture", {400, 1600}, chrome, {1024, 768}, {162, 648}},
        {"no room at all: one pixel", {640, 360}, chrome, {1, 100}, {1, 1}},
        {"a picture without a size", {0, 0}, chrome, {1024, 768}, {1, 1}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FitViewSize(row.native, row.chrome, row.room), row.want) << row.name;
    }
}

TEST(WindowFitTest, AFrameThatGrewPastTheWorkAreaMovesBackIn) {
    const FitRect room{0, 30, 1920, 1050};  // a panel along the top
    struct Row {
        const char* name;
        FitRect outer, want;
    } rows[] = {
        {"inside: not moved", {100, 100, 800, 600}, {100, 100, 800, 600}},
        {"past the bottom right: moved up and left", {1500, 800, 800, 600}, {1120, 480, 800, 600}},
        {"above the panel: moved down", {10, 0, 800, 600}, {10, 30, 800, 600}},
        {"left of the screen", {-50, 200, 800, 600}, {0, 200, 800, 600}},
        {"exactly the room", {0, 30, 1920, 1050}, {0, 30, 1920, 1050}},
        {"larger than the room: its top left at the room's",
         {300, 300, 2000, 1200},
         {0, 30, 2000, 1200}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(KeepInside(row.outer, room), row.want) << row.name;
    }
}

}  // namespace
}  // namespace tavimo
