// Wheel and stretch steps, the seek bar's fill, text, layout and target, and
// where a menu may open.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

#include "resources/command_ids.h"
#include "view/view_geometry.h"

namespace tavimo {
namespace {

TEST(ViewGeometryTest, WheelAndStretchSteps) {
    const float fourThree = 640.0f / 480.0f, wide = 1280.0f / 720.0f;
    const auto key = [](int command, float aspect, bool fullScreen) {
        return StretchKeyStep(command, 10, aspect, fullScreen);
    };
    struct Row {
        const char* name;
        Step got, want;
    } rows[] = {
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
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.got, row.want) << row.name;
    }
}

TEST(ViewGeometryTest, WheelActsOncePerNotch) {
    struct Row {
        const char* name;
        std::vector<int> deltas;
        std::vector<int> want;
    } rows[] = {
        {"classic notches", {120, 120, -120}, {1, 1, -1}},
        {"two notches in one message act once", {240}, {1}},
        {"high resolution adds up to a notch", {40, 40, 40, 40}, {0, 0, 1, 0}},
        {"turning back starts afresh", {100, -30, -90}, {0, 0, 1 - 2}},
        {"no vertical delta keeps the sum", {80, 0, 40}, {0, 0, 1}},
    };
    for (const Row& row : rows) {
        WheelNotches wheel;
        std::vector<int> got;
        for (int delta : row.deltas) {
            got.push_back(wheel.Feed(delta));
        }
        EXPECT_EQ(got, row.want) << row.name;
    }
}

TEST(ViewGeometryTest, SeekBarFillAndText) {
    struct Row {
        const char* name;
        int right, total, current;
        int edge;
        const char* text;
    } rows[] = {
        {"a quarter of 400 pixels", 400, 600, 150, 100, "0:02:30 / 0:10:00"},
        {"no duration", 400, 0, 5, 0, "0:00:05 / 0:00:00"},
        {"single-precision quotient", 229, 3723, 65, 3, "0:01:05 / 1:02:03"},
        {"hours past a day", 300, 90000, 90000, 300, "25:00:00 / 25:00:00"},
        {"past the end stays in the bar", 300, 10, 20, 300, "0:00:20 / 0:00:10"},
        {"before the start fills nothing", 300, 10, -2, 0, "0:00:-02 / 0:00:10"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SeekBarFillEdge(row.right, row.total, row.current), row.edge) << row.name;
        EXPECT_EQ(SeekBarText(row.current, row.total), row.text) << row.name;
    }
}

TEST(ViewGeometryTest, SlidersLayout) {
    const SlidersLayout band = LayOutSliders(300);
    EXPECT_EQ(std::tuple(band.seekWidth, band.volumeX, band.volumeY), std::tuple(230, 232, 1));
    EXPECT_EQ(LayOutSliders(50).seekWidth, 0) << "narrower than the volume bar";
}

TEST(ViewGeometryTest, SeekTargetFromX) {
    constexpr int64_t kMinute = 600'000'000;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    struct Row {
        const char* name;
        int64_t duration;
        int width, x;
        std::optional<int64_t> want;
    } rows[] = {
        // 400 / 300 is 1.33333337f: the target falls 14 units short.
        {"three quarters", kMinute, 400, 300, 449'999'986},
        {"x = 0 is the start", kMinute, 400, 0, 0},
        {"the right edge is the end", kMinute, 400, 400, kMinute},
        {"left of the bar is before the start", kMinute, 400, -40, -60'000'000},
        {"right of the bar is past the end", kMinute, 400, 600, 899'999'973},
        {"single-precision quotient", 36'000'000'000, 7, 3, 15'428'571'954},
        {"a bar without width never divides", kMinute, 0, 10, std::nullopt},
        {"nor at x = 0", kMinute, 0, 0, std::nullopt},
        {"huge products stay in range", kMax / 2, 1, 32767, kMax},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SeekTargetFromX(row.duration, row.width, row.x), row.want) << row.name;
    }
}

TEST(ViewGeometryTest, MenuOpensOnAScreen) {
    const ScreenRect screens[] = {{0, 0, 1920, 1080}, {1920, 200, 3200, 1224}};
    struct Row {
        const char* name;
        int x, y, want;
    } rows[] = {
        {"on the first screen", 100, 100, 100},
        {"on the second screen", 2000, 300, 2000},
        {"right of everything", 5000, 500, 3199},
        {"left of everything", -300, 10, 0},
        {"above the second screen, nearer the first", 1950, 100, 1919},
        {"keyboard point (-1, -1)", -1, -1, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ClampToNearestScreen(row.x, row.y, screens), row.want) << row.name;
    }
    EXPECT_EQ(ClampToNearestScreen(7, 7, {}), 7) << "no screens: left alone";
}

}  // namespace
}  // namespace tavimo
