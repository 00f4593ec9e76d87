// The mixer drawing an ASS/SSA script through libass: the script's colours and
// alpha in every frame format, placement and the subtitle offset, and what
// each frame shows as the clock, the delay and hiding change.
#include "ass_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tavimo {
namespace {

bool Near(const std::array<int, 3>& got, const std::array<int, 3>& want, int tolerance) {
    return std::ranges::equal(got, want,
                              [&](int a, int b) { return std::abs(a - b) <= tolerance; });
}

TEST_F(AssMixerTest, EachFormatGetsTheScriptColoursAndAlpha) {
    // An opaque red box at x 10-29, y 8-19 and a blue one at half alpha at
    // x 40-59, y 8-19, on whole chroma blocks. Expected colours by hand:
    // BT.601 limited range, red (81, 90, 240); blue (41, 240, 110) half over
    // black (16, 128, 128): 127/255 of each plus 128/255 of black, (28, 184,
    // 119). In RGB: red (255, 0, 0), half blue over black (0, 0, 127). Each
    // box is drawn as two events cut at row 13, inside a chroma block: the
    // block takes both halves.
    std::string events;
    for (const std::string clip : {"\\clip(0,0,64,13)", "\\clip(0,13,64,32)"})
        events +=
            Dialogue("0:00:01.00", "0:00:03.00", "Box",
                     "{\\pos(10,8)" + clip + "\\p1}m 0 0 l 20 0 20 12 0 12") +
            Dialogue("0:00:01.00", "0:00:03.00", "Box",
                     "{\\pos(40,8)" + clip + "\\1c&HFF0000&\\1a&H80&\\p1}m 0 0 l 20 0 20 12 0 12");
    Load(64, 32, events);
    const struct {
        const char* name;
        VS subtype;
        std::array<int, 3> red, halfBlue;
        int tolerance;  // the 16-bit formats keep 5 bits of blue
    } cases[] = {
        {"YUY2", VS::YUY2, {81, 90, 240}, {28, 184, 119}, 1},
        {"YV12", VS::YV12, {81, 90, 240}, {28, 184, 119}, 1},
        {"I420", VS::I420, {81, 90, 240}, {28, 184, 119}, 1},
        {"NV12", VS::NV12, {81, 90, 240}, {28, 184, 119}, 1},
        {"RGB24", VS::RGB24, {255, 0, 0}, {0, 0, 127}, 1},
        {"RGB24 red first", VS::RGB24RedFirst, {255, 0, 0}, {0, 0, 127}, 1},
        {"RGB32", VS::RGB32, {255, 0, 0}, {0, 0, 127}, 1},
        {"RGB565", VS::RGB565, {255, 0, 0}, {0, 0, 127}, 8},
        {"RGB555", VS::RGB555, {255, 0, 0}, {0, 0, 127}, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mixer.reset();
        Frame frame = BlackFrame(c.subtype, 64, 32);
        const Frame before = frame;
        Run(frame, 1500);
        // libass leaves a trace of coverage (a level or two) on the pixels
        // next to a drawing's edge; a chroma sample may take it from them.
        auto near = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo - 2 && v < hi + 2; };
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 64; ++x) {
                const bool inRows = y >= 8 && y < 20;
                const bool red = inRows && x >= 10 && x < 30;
                const bool blue = inRows && x >= 40 && x < 60;
                const bool edge = near(y, 8, 20) && (near(x, 10, 30) || near(x, 40, 60));
                const auto want = red ? c.red : blue ? c.halfBlue : Sample(before, x, y);
                const int tolerance = red || blue ? c.tolerance : edge ? 3 : 0;
                const auto got = Sample(frame, x, y);
                ASSERT_TRUE(Near(got, want, tolerance))
                    << "at " << x << "," << y << ": " << got[0] << " " << got[1] << " " << got[2];
            }
        }
    }
}

TEST_F(AssMixerTest, PlacementAndTheOffsetMoveOnlyBottomEvents) {
    Load(320, 240,
         Dialogue("0:00:01.00", "0:00:03.00", "Top", "Top line") +
             Dialogue("0:00:01.00", "0:00:03.00", "Bottom", "IIII"));
    auto split = [&](int offset) {
        shared.SubtitleOffset = offset;
        Frame frame = BlackFrame(VS::I420, 320, 240);
        const Frame before = frame;
        Run(frame, 1500);
        Frame top = before, bottom = before;  // the changed pixels above and below the middle
        std::copy_n(frame.plane[0].begin(), 320 * 120, top.plane[0].begin());
        std::copy(frame.plane[0].begin() + 320 * 120, frame.plane[0].end(),
                  bottom.plane[0].begin() + 320 * 120);
        return std::pair{Changed(top, before), Changed(bottom, before)};
    };
    const auto [top, bottom] = split(5);
    // Alignment 8 with a vertical margin of 10: a line starting near row 10,
    // centred on column 160; alignment 2 ends near row 230.
    EXPECT_TRUE(top.top >= 8 && top.top <= 16 && top.bottom < 40) << top.top << "-" << top.bottom;
    EXPECT_NEAR((top.left + top.right) / 2.0, 160.0, 3.0);
    EXPECT_TRUE(bottom.bottom >= 222 && bottom.bottom < 232) << bottom.bottom;
    EXPECT_NEAR((bottom.left + bottom.right) / 2.0, 160.0, 3.0);
    // The rows drawn, which a band beside the frame copies: a range for each
    // line, not the rows between. Drawn range by range, each writes its own
    // rows alone, and together they make the frame drawn at once.
    RowRanges drawn;
    ASSERT_TRUE(mixer->DrawnRows(&drawn));
    ASSERT_EQ(drawn.count, 2);
    EXPECT_TRUE(drawn.range[0].first <= top.top && drawn.range[0].last >= top.bottom &&
                drawn.range[0].last < 40)
        << drawn.range[0].first << "-" << drawn.range[0].last;
    EXPECT_TRUE(drawn.range[1].first <= bottom.top && drawn.range[1].first > 180 &&
                drawn.range[1].last >= bottom.bottom && drawn.range[1].last < 240)
        << drawn.range[1].first << "-" << drawn.range[1].last;
    const Frame black = BlackFrame(VS::I420, 320, 240);
    Frame whole = black, strips = black;
    mixer->Blend(whole.View());
    for (int i = 0; i < drawn.count; ++i) {
        Frame alone = black;
        VideoPlanes window = alone.View();
        window.firstRow = drawn.range[i].first / 2 * 2;
        window.endRow = (drawn.range[i].last + 2) / 2 * 2;
        mixer->Blend(window);
        const Box box = Changed(alone, black);
        EXPECT_TRUE(box.top >= window.firstRow && box.bottom < window.endRow)
            << "range " << i << " drew rows " << box.top << "-" << box.bottom;
        VideoPlanes part = strips.View();
        part.firstRow = window.firstRow;
        part.endRow = window.endRow;
        mixer->Blend(part);
    }
    for (int p = 0; p < 3; ++p)
        EXPECT_TRUE(strips.plane[p] == whole.plane[p]) << "plane " << p;
    // Alt+Up by 48 px (a fifth of the height) lifts the bottom line about as
    // far; the top line stays.
    const auto [topRaised, bottomRaised] = split(5 + 48);
    EXPECT_EQ(topRaised.top, top.top);
    EXPECT_TRUE(bottom.top - bottomRaised.top >= 38 && bottom.top - bottomRaised.top <= 50)
        << bottom.top << " -> " << bottomRaised.top;
    // An offset beyond the picture is pulled back to its height.
    split(1000);
    EXPECT_EQ(shared.SubtitleOffset.load(), 240);
}

// What each frame shows as the clock, the delay, a synchronisation's rate
// change, C and the track chosen change: an 8 x 8 box held still (its top left at 10, 8) or moving
// from 0, 0 to 40, 20, a bar 2 high where the box was (in a bitmap of the box's size, place and
// colour: only its coverage tells them apart), and nothing where none is due; a frame that libass
// reports unchanged shows the same box as the one before.
TEST_F(AssMixerTest, FramesFollowTheClockDelayAndHiding) {
    // A still box from 1 s to 3 s, a moving one from 3 s to 5 s, the bar from 5 s to 6 s.
    Load(64, 32,
         Dialogue("0:00:01.00", "0:00:03.00", "Box", "{\\pos(10,8)\\p1}m 0 0 l 8 0 8 8 0 8") +
             Dialogue("0:00:03.00", "0:00:05.00", "Box",
                      "{\\move(0,0,40,20)\\p1}m 0 0 l 8 0 8 8 0 8") +
             Dialogue("0:00:05.00", "0:00:06.00", "Box", "{\\pos(10,8)\\p1}m 0 0 l 8 0 8 2 0 2"));
    const struct {
        const char* name;
        int64_t ms;
        int delay, view, source;
        int left, top;       // of the box drawn, -1: nothing drawn
        double ratio = 1.0;  // a synchronisation's rate change
        int height = 7;
    } steps[] = {
        {"first frame of the box", 1500, 0, 1, 1, 10, 8},
        {"next frame, nothing moves", 1540, 0, 1, 1, 10, 8},
        {"much later, still the same", 2900, 0, 1, 1, 10, 8},
        {"C hides", 2920, 0, 0, 1, -1, -1},
        {"C shows it again, unchanged", 2940, 0, 1, 1, 10, 8},
        {"then the bar in the box's place", 5500, 0, 1, 1, 10, 8, 1.0, 1},
        {"delayed 1 s: the box still shows at 3.5 s", 3500, 1000, 1, 1, 10, 8},
        {"delayed 1 s: nothing yet at 1.5 s", 1500, 1000, 1, 1, -1, -1},
        {"moving box, a quarter of the way", 3500, 0, 1, 1, 10, 5},
        {"moving box, three quarters", 4500, 0, 1, 1, 30, 15},
        {"text track chosen: the script is not drawn", 1500, 0, 1, 0, -1, -1},
        {"slowed to half: nothing yet at 1.5 s", 1500, 0, 1, 1, -1, -1, 2.0},
        {"slowed to half: the still box at 4 s", 4000, 0, 1, 1, 10, 8, 2.0},
        {"slowed to half: moving box a quarter of the way at 7 s", 7000, 0, 1, 1, 10, 5, 2.0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        shared.SubtitleDelay = s.delay;
        shared.ViewSubtitles = s.view;
        shared.SubtitleSource = s.source;
        s.ratio != 1.0 ? shared.Timing.Set(s.ratio, {{0, 0}}) : shared.Timing.Clear();
        Frame frame = BlackFrame(VS::YUY2, 64, 32);
        const Frame before = frame;
        Run(frame, s.ms);
        const Box box = Drawn(frame, before);
        EXPECT_NEAR(box.left, s.left, s.left < 0 ? 0 : 1);
        EXPECT_NEAR(box.top, s.top, s.top < 0 ? 0 : 1);
        if (s.left >= 0) {
            EXPECT_NEAR(box.right - box.left, 7, 1);
            EXPECT_NEAR(box.bottom - box.top, s.height, 1);
        }
    }
    // A smaller format mid-stream: drawn again at its size (the script's 64 x
    // 32 scaled to 16 x 12: the box's top left at 2.5, 3).
    shared.SubtitleSource = 1;
    shared.Timing.Clear();
    Frame small = BlackFrame(VS::NV12, 16, 12);
    const Frame before = small;
    Run(small, 1500);
    const Box box = Drawn(small, before);
    EXPECT_NEAR(box.left, 2, 1);
    EXPECT_NEAR(box.top, 3, 1);
}

}  // namespace
}  // namespace tavimo
