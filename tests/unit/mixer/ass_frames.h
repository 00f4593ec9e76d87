// What the ASS tests of the mixer share: scripts written out, frames of
// video black in each format, their samples, and a mixer that draws a script.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>

#include "mixer_frame.h"
#include "subtitles/ass_script.h"
#include "subtitles/subtitle_mixer.h"

namespace tavimo {

using VS = VideoSubtype;

inline std::string Script(int width, int height, const std::string& events) {
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

inline std::string Dialogue(const char* from, const char* to, const char* style,
                            const std::string& text) {
    return std::string("Dialogue: 0,") + from + "," + to + "," + style + ",,0,0,0,," + text + "\n";
}

inline bool IsRgb(VS st) {
    return st == VS::RGB24 || st == VS::RGB24RedFirst || st == VS::RGB32 || st == VS::RGB565 ||
           st == VS::RGB555;
}

// A frame of video black: Y 16 with neutral chroma, or RGB 0, 0, 0.
inline Frame BlackFrame(VS st, int32_t width, int32_t height) {
    Frame f = MakeFrame(st, width, height, IsRgb(st) ? 0 : 16);
    std::ranges::fill(f.plane[1], 128);
    std::ranges::fill(f.plane[2], 128);
    for (size_t i = 1; st == VS::YUY2 && i < f.plane[0].size(); i += 2)
        f.plane[0][i] = 128;
    return f;
}

// The colour at (x, y), counted from the picture's top: {R, G, B} of RGB
// frames (5- and 6-bit fields widened to 8 bits), {Y, Cb, Cr} of YUV ones.
inline std::array<int, 3> Sample(const Frame& f, int32_t x, int32_t y) {
    const VS st = f.format.subtype;
    const uint8_t* p = f.plane[0].data() + size_t(y) * f.stride[0];
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

// Rows and columns of the pixels where `differs` holds between the samples
// of `after` and `before`; all -1 when none.
struct Box {
    int top = -1, bottom = -1, left = -1, right = -1;
};
template <typename Differs>
Box BoxWhere(const Frame& after, const Frame& before, Differs differs) {
    Box b;
    const int32_t W = after.format.width, H = after.format.height;
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            if (differs(Sample(after, x, y), Sample(before, x, y))) {
                b = {b.top < 0 ? y : b.top, y, b.left < 0 ? x : std::min(b.left, x),
                     std::max(b.right, x)};
            }
        }
    }
    return b;
}

// Where the colour changed.
inline Box Changed(const Frame& after, const Frame& before) {
    return BoxWhere(after, before, [](const auto& a, const auto& b) { return a != b; });
}

// Where the luma (YUV frames) changed by more than the trace libass's
// anti-aliasing leaves beside an edge.
inline Box Drawn(const Frame& after, const Frame& before) {
    return BoxWhere(after, before,
                    [](const auto& a, const auto& b) { return std::abs(a[0] - b[0]) > 8; });
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
        Draw(*mixer, frame, ms);
    }

    SubtitleTrack track;
    MixerShared shared;
    std::optional<CSubtitles> mixer;
};

}  // namespace tavimo
