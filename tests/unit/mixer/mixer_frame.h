// A frame the mixer tests hand to CSubtitles: up to three planes of their own;
// how they make one, and the time stamp they draw it at.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "subtitles/subtitle_mixer.h"

namespace tavimo {

struct Frame {
    VideoFormat format;
    std::vector<uint8_t> plane[3];
    int32_t stride[3] = {};

    VideoPlanes View() {
        VideoPlanes v;
        for (int i = 0; i < 3; ++i) {
            v.data[i] = plane[i].empty() ? nullptr : plane[i].data();
            v.stride[i] = stride[i];
        }
        return v;
    }
    const uint8_t* Row(int32_t y) const { return plane[0].data() + size_t(y) * stride[0]; }
};

// A frame whose bytes are all `fill`, or pseudo-random without one; `padding`
// extra bytes end each row of plane 0.
inline Frame MakeFrame(VideoSubtype st, int32_t width, int32_t height,
                       std::optional<uint8_t> fill = {}, int32_t padding = 0) {
    using VS = VideoSubtype;
    const bool planar = st == VS::YV12 || st == VS::I420 || st == VS::NV12;
    const int bytes = st == VS::RGB24 || st == VS::RGB24RedFirst ? 3
                      : st == VS::RGB32                          ? 4
                      : planar                                   ? 1
                                                                 : 2;
    Frame f;
    f.format = {st, width, height, uint16_t(planar ? 12 : 8 * bytes)};
    const auto rows = size_t(height);
    f.stride[0] = (st == VS::YUY2 ? 4 * ((width + 1) / 2) : width * bytes) + padding;
    f.plane[0].resize(f.stride[0] * rows);
    for (int i = 1; planar && i <= (st == VS::NV12 ? 1 : 2); ++i) {
        f.stride[i] = st == VS::NV12 ? 2 * ((width + 1) / 2) : (width + 1) / 2;
        f.plane[i].resize(f.stride[i] * ((rows + 1) / 2));
    }
    uint32_t state = 0x9E3779B9u;
    for (auto& p : f.plane) {
        std::generate(p.begin(), p.end(), [&] {
            return fill ? *fill : uint8_t((state = state * 1664525u + 1013904223u) >> 24);
        });
    }
    return f;
}

// A 25 fps frame at stream time `ms`.
inline FrameTime At(int64_t ms) {
    return FrameTime{true, ms * 10'000, 400'000, 1.0, 25.0};
}

// The rows and columns of the pixels (x, y) of a `width`-wide picture, among
// rows [y0, y1), where `hit(x, y)` holds; all -1 when none.
struct Box {
    int top = -1, bottom = -1, left = -1, right = -1;
    bool operator==(const Box&) const = default;
};
template <typename Hit>
Box BoxWhere(int32_t width, int32_t y0, int32_t y1, Hit hit) {
    Box b;
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            if (hit(x, y)) {
                b = {b.top < 0 ? y : b.top, y, b.left < 0 ? x : std::min(b.left, x),
                     std::max(b.right, x)};
            }
        }
    }
    return b;
}

// `frame` drawn by `mixer` at `ms`, as the element draws it.
inline void Draw(CSubtitles& mixer, Frame& frame, int64_t ms) {
    if (mixer.Prepare(At(ms)))
        mixer.Blend(frame.View());
}

}  // namespace tavimo
