// The window's fit to a clip: the view's size for a picture in a frame with
// its menus and bands on a screen's work area, and where a frame that grew
// goes to stay on it. Each row names its case and gives the answer worked
// out by hand.
#include <gtest/gtest.h>

#include "view/window_fit.h"

namespace tavimo {
namespace {

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
