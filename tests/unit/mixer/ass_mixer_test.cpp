// The mixer drawing an ASS/SSA script through libass: the script's colours and
// alpha in every frame format, placement and the subtitle offset, the overlay
// kept while libass reports no change, delay, hiding, and scripts built to
// hurt.
#include "mixer_frame.h"
#include "subtitles/ass_limits.h"
#include "subtitles/ass_script.h"
#include "subtitles/subtitle_mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace tavimo {
namespace {

using VS = VideoSubtype;

// Play resolution equal to the frame size: script coordinates are pixels.
std::string Script(int width, int height, const std::string& events) {
    return "[Script Info]\nScriptType: v4.00+\nPlayResX: " + std::to_string(width) +
           "\nPlayResY: " + std::to_string(height) +
           "\n\n[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
           "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, "
           "Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, "
           "Encoding\n"
           "Style: Box,DejaVu Sans,20,&H000000FF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,"
           "100,0,0,1,0,0,7,0,0,0,1\n"
           "Style: Top,DejaVu Sans,20,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,"
           "100,0,0,1,0,0,8,10,10,10,1\n"
           "Style: Bottom,DejaVu Sans,20,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,"
           "100,100,0,0,1,0,0,2,10,10,10,1\n\n"
           "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
           "Text\n" +
           events;
}

std::string Dialogue(const char* from, const char* to, const char* style, const std::string& text) {
    return std::string("Dialogue: 0,") + from + "," + to + "," + style + ",,0,0,0,," + text + "\n";
}

bool IsRgb(VS st) {
    return st == VS::RGB24 || st == VS::RGB24RedFirst || st == VS::RGB32 || st == VS::RGB565 ||
           st == VS::RGB555;
}

// A frame of video black: Y 16 with neutral chroma, or RGB 0, 0, 0.
Frame BlackFrame(VS st, int32_t width, int32_t height) {
    const bool planar = st == VS::YV12 || st == VS::I420 || st == VS::NV12;
    const int bytes = st == VS::RGB24 || st == VS::RGB24RedFirst ? 3
                      : st == VS::RGB32                          ? 4
                      : planar                                   ? 1
                                                                 : 2;
    Frame f;
    f.format = {st, width, height, uint16_t(planar ? 12 : 8 * bytes)};
    const auto rows = size_t(std::abs(height));
    f.stride[0] = width * bytes;
    f.plane[0].assign(f.stride[0] * rows, IsRgb(st) ? 0 : 16);
    if (st == VS::YUY2) {
        for (size_t i = 1; i < f.plane[0].size(); i += 2)
            f.plane[0][i] = 128;
    }
    for (int i = 1; planar && i <= (st == VS::NV12 ? 1 : 2); ++i) {
        f.stride[i] = st == VS::NV12 ? width : width / 2;
        f.plane[i].assign(f.stride[i] * rows / 2, 128);
    }
    return f;
}

// The colour at (x, y), counted from the picture's top: {R, G, B} of RGB
// frames (5- and 6-bit fields widened to 8 bits), {Y, Cb, Cr} of YUV ones.
std::array<int, 3> Sample(const Frame& f, int32_t x, int32_t y) {
    const VS st = f.format.subtype;
    const int32_t H = std::abs(f.format.height);
    const int32_t row = IsRgb(st) && f.format.height > 0 ? H - 1 - y : y;
    const uint8_t* p = f.plane[0].data() + size_t(row) * f.stride[0];
    auto chroma = [&](int plane, int32_t offset, int32_t step) {
        return int(f.plane[plane][size_t(y / 2) * f.stride[plane] + size_t(x / 2) * step + offset]);
    };
    auto wide = [](int v, int bits) { return bits == 5 ? (v << 3 | v >> 2) : (v << 2 | v >> 4); };
    switch (st) {
        case VS::YUY2:
            return {p[2 * x], p[4 * (x / 2) + 1], p[4 * (x / 2) + 3]};
        case VS::YV12:
            return {p[x], chroma(2, 0, 1), chroma(1, 0, 1)};
        case VS::I420:
            return {p[x], chroma(1, 0, 1), chroma(2, 0, 1)};
        case VS::NV12:
            return {p[x], chroma(1, 0, 2), chroma(1, 1, 2)};
        case VS::RGB24:
            return {p[3 * x + 2], p[3 * x + 1], p[3 * x]};
        case VS::RGB24RedFirst:
            return {p[3 * x], p[3 * x + 1], p[3 * x + 2]};
        case VS::RGB32:
            return {p[4 * x + 2], p[4 * x + 1], p[4 * x]};
        case VS::RGB565: {
            const int v = p[2 * x] | p[2 * x + 1] << 8;
            return {wide(v >> 11, 5), wide((v >> 5) & 63, 6), wide(v & 31, 5)};
        }
        case VS::RGB555: {
            const int v = p[2 * x] | p[2 * x + 1] << 8;
            return {wide((v >> 10) & 31, 5), wide((v >> 5) & 31, 5), wide(v & 31, 5)};
        }
        default:
            return {};
    }
}

// Rows and columns whose colour differs from `before`; all -1 when none.
struct Box {
    int top = -1, bottom = -1, left = -1, right = -1;
};
Box Changed(const Frame& after, const Frame& before) {
    Box b;
    const int32_t W = after.format.width, H = std::abs(after.format.height);
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            if (Sample(after, x, y) != Sample(before, x, y)) {
                b = {b.top < 0 ? y : b.top, y, b.left < 0 ? x : std::min(b.left, x),
                     std::max(b.right, x)};
            }
        }
    }
    return b;
}

// A 25 fps frame at stream time `ms`.
FrameTime At(int64_t ms) {
    return FrameTime{true, ms * 10'000, 400'000, 1.0, 25.0};
}

class AssMixerTest : public testing::Test {
  protected:
    void SetUp() override { shared.SubtitleSource = 1; }
    void Load(int width, int height, const std::string& events) {
        ASSERT_TRUE(shared.Ass.LoadFile(Script(width, height, events)));
    }
    // `frame` through the mixer kept in `mixer` (made on first use) at `ms`.
    void Run(Frame& frame, int64_t ms) {
        if (!mixer)
            mixer.emplace(track, shared);
        ASSERT_EQ(mixer->CheckInputType(frame.format), MixResult::Ok);
        ASSERT_EQ(mixer->Transform(frame.View(), At(ms)), MixResult::Ok);
    }

    SubtitleTrack track;
    MixerShared shared;
    std::optional<CSubtitles> mixer;
};

bool Near(const std::array<int, 3>& got, const std::array<int, 3>& want, int tolerance) {
    for (int i = 0; i < 3; ++i) {
        if (std::abs(got[i] - want[i]) > tolerance)
            return false;
    }
    return true;
}

TEST_F(AssMixerTest, EachFormatGetsTheScriptColoursAndAlpha) {
    // An opaque red box at x 10-29, y 8-19 and a blue one at half alpha at
    // x 40-51, y 8-19, on whole chroma blocks. Expected colours by hand:
    // BT.601 limited range, red (81, 90, 240); blue (41, 240, 110) half over
    // black (16, 128, 128): 127/255 of each plus 128/255 of black, (28, 184,
    // 119). In RGB: red (255, 0, 0), half blue over black (0, 0, 127).
    Load(64, 32,
         Dialogue("0:00:01.00", "0:00:03.00", "Box", "{\\pos(10,8)\\p1}m 0 0 l 20 0 20 12 0 12") +
             Dialogue("0:00:01.00", "0:00:03.00", "Box",
                      "{\\pos(40,8)\\1c&HFF0000&\\1a&H80&\\p1}m 0 0 l 12 0 12 12 0 12"));
    const struct {
        const char* name;
        VS subtype;
        int32_t height;  // negative: RGB rows top-down
        std::array<int, 3> red, halfBlue;
        int tolerance;  // the 16-bit formats keep 5 bits of blue
    } cases[] = {
        {"YUY2", VS::YUY2, 32, {81, 90, 240}, {28, 184, 119}, 1},
        {"YV12", VS::YV12, 32, {81, 90, 240}, {28, 184, 119}, 1},
        {"I420", VS::I420, 32, {81, 90, 240}, {28, 184, 119}, 1},
        {"NV12", VS::NV12, 32, {81, 90, 240}, {28, 184, 119}, 1},
        {"RGB24 bottom-up", VS::RGB24, 32, {255, 0, 0}, {0, 0, 127}, 1},
        {"RGB24 red first, top-down", VS::RGB24RedFirst, -32, {255, 0, 0}, {0, 0, 127}, 1},
        {"RGB32 top-down", VS::RGB32, -32, {255, 0, 0}, {0, 0, 127}, 1},
        {"RGB565 bottom-up", VS::RGB565, 32, {255, 0, 0}, {0, 0, 127}, 8},
        {"RGB555 top-down", VS::RGB555, -32, {255, 0, 0}, {0, 0, 127}, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mixer.reset();
        Frame frame = BlackFrame(c.subtype, 64, c.height);
        const Frame before = frame;
        Run(frame, 1500);
        // libass leaves a trace of coverage (a level or two) on the pixels
        // next to a drawing's edge; a chroma sample may take it from them.
        auto near = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo - 2 && v < hi + 2; };
        for (int32_t y = 0; y < 32; ++y) {
            for (int32_t x = 0; x < 64; ++x) {
                const bool inRows = y >= 8 && y < 20;
                const bool red = inRows && x >= 10 && x < 30;
                const bool blue = inRows && x >= 40 && x < 52;
                const bool edge = near(y, 8, 20) && (near(x, 10, 30) || near(x, 40, 52));
                const auto want = red ? c.red : blue ? c.halfBlue : Sample(before, x, y);
                const int tolerance = red || blue ? c.tolerance : edge ? 3 : 0;
                ASSERT_TRUE(Near(Sample(frame, x, y), want, tolerance))
                    << "at " << x << "," << y << ": " << Sample(frame, x, y)[0] << " "
                    << Sample(frame, x, y)[1] << " " << Sample(frame, x, y)[2];
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

TEST_F(AssMixerTest, SteadyFramesReuseTheOverlayDelayAndHidingApply) {
    // A still box from 1 s to 3 s, a moving one from 3 s to 5 s.
    Load(64, 32,
         Dialogue("0:00:01.00", "0:00:03.00", "Box", "{\\pos(10,8)\\p1}m 0 0 l 8 0 8 8 0 8") +
             Dialogue("0:00:03.00", "0:00:05.00", "Box",
                      "{\\move(0,0,40,20)\\p1}m 0 0 l 8 0 8 8 0 8"));
    const struct {
        const char* name;
        int64_t ms;
        int delay, view, source;
        bool drawn;
        uint64_t rebuilds;  // overlays built so far
    } steps[] = {
        {"first frame of the box", 1500, 0, 1, 1, true, 1},
        {"next frame, nothing moves", 1540, 0, 1, 1, true, 1},
        {"much later, still the same", 2900, 0, 1, 1, true, 1},
        {"C hides", 2920, 0, 0, 1, false, 1},
        {"C shows it again, unchanged", 2940, 0, 1, 1, true, 1},
        {"delayed 1 s: the box still shows at 3.5 s", 3500, 1000, 1, 1, true, 1},
        {"delayed 1 s: nothing yet at 1.5 s", 1500, 1000, 1, 1, false, 2},
        {"moving box", 3500, 0, 1, 1, true, 3},
        {"moving box, next frame", 3540, 0, 1, 1, true, 4},
        {"text track chosen: the script is not drawn", 1500, 0, 1, 0, false, 4},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        shared.SubtitleDelay = s.delay;
        shared.ViewSubtitles = s.view;
        shared.SubtitleSource = s.source;
        Frame frame = BlackFrame(VS::YUY2, 64, 32);
        const Frame before = frame;
        Run(frame, s.ms);
        EXPECT_EQ(frame.plane[0] != before.plane[0], s.drawn);
        EXPECT_EQ(mixer->AssRebuilds(), s.rebuilds);
    }
    // A smaller format mid-stream: drawn again at its size, nothing written
    // past its rows.
    shared.SubtitleSource = 1;
    Frame small = BlackFrame(VS::NV12, 16, 12);
    const Frame before = small;
    Run(small, 1500);
    EXPECT_EQ(mixer->AssRebuilds(), 5u);
    EXPECT_NE(small.plane[0], before.plane[0]);
}

TEST(LimitAssText, SizeTagsAreHeldAndLongTextCut) {
    const AssTagLimits limits = AssTagLimitsFor(1080);  // size 1080, scale 400 %, border 135
    const std::string longText(5000, 'a');
    const std::string euros =
        std::string(4095, 'a') + "\xE2\x82\xAC";  // a 3-byte character at the cut
    const std::string openBlock = std::string(4090, 'a') + "{\\b1\\i1}";
    const struct {
        const char* name;
        std::string text, expected;
    } rows[] = {
        {"font size", "{\\fs10000}Hi", "{\\fs1080}Hi"},
        {"scale and its neighbour kept", "{\\fscx5000\\fscy50}Hi", "{\\fscx400\\fscy50}Hi"},
        {"inside a transform", "{\\t(0,1000,\\fs9999.5)}x", "{\\t(0,1000,\\fs1080)}x"},
        {"negative shadow, border kept", "{\\shad-500\\bord2}x", "{\\shad-135\\bord2}x"},
        {"relative size", "{\\fs+20000}x", "{\\fs1080}x"},
        {"blur and edge blur", "{\\blur900\\be99}x", "{\\blur50\\be50}x"},
        {"outside a block: text", "\\fs10000 {\\fsp900}", "\\fs10000 {\\fsp900}"},
        {"long text cut", longText, std::string(4096, 'a')},
        {"cut before a character", euros, std::string(4095, 'a')},
        {"cut before an open block", openBlock, std::string(4090, 'a')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(LimitAssText(row.text, limits), row.expected);
    }
}

// Mended: thousands of events at once, a size of 10,000 and long lines cost
// seconds a frame in libass; now at most 128 events show at once, sizes stay
// within the picture.
TEST_F(AssMixerTest, CrowdsAndHugeSizesAreBounded) {
    // 200 one-pixel boxes at once, each on a pixel of its own.
    std::string events, chunks;
    for (int i = 0; i < 200; ++i) {
        const std::string box = "{\\pos(" + std::to_string(2 * (i % 32)) + "," +
                                std::to_string(2 * (i / 32)) + ")\\p1}m 0 0 l 1 0 1 1 0 1";
        events += Dialogue("0:00:01.00", "0:00:03.00", "Box", box);
    }
    auto litPixels = [&] {
        mixer.reset();
        Frame frame = BlackFrame(VS::YV12, 64, 32);
        Run(frame, 1500);
        return std::ranges::count_if(frame.plane[0], [](uint8_t y) { return y > 60; });
    };
    Load(64, 32, events);
    EXPECT_EQ(litPixels(), 128) << "from a file";

    std::string header = Script(64, 32, "");
    shared.Ass.SetHeader(header);
    for (int i = 0; i < 200; ++i) {
        const std::string box = "{\\pos(" + std::to_string(2 * (i % 32)) + "," +
                                std::to_string(2 * (i / 32)) + ")\\p1}m 0 0 l 1 0 1 1 0 1";
        shared.Ass.AddEvent(std::to_string(i) + ",0,Box,,0,0,0,," + box, 1000, 2000);
    }
    EXPECT_EQ(litPixels(), 128) << "embedded";

    // A size of 10,000 in a 32-row script: drawn a picture high, not off it.
    Load(64, 32, Dialogue("0:00:01.00", "0:00:03.00", "Top", "{\\fs10000}I"));
    EXPECT_GT(litPixels(), 0);
}

}  // namespace
}  // namespace tavimo
