// Frames and fonts for the mixer tests. Every plane is its own allocation of
// exactly the size the format needs, so AddressSanitizer sees any overrun.
#pragma once

#include "subtitles/subtitle_mixer.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tavimo::test {

// DejaVu Sans at the pixel size whose line height (ascent + descent) is `cy`.
inline QFont FontWithLineHeight(int cy) {
    QFont font(QStringLiteral("DejaVu Sans"));
    for (int px = 6; px < 200 && QFontMetrics(font).height() != cy; ++px) {
        font.setPixelSize(px);
    }
    EXPECT_EQ(QFontMetrics(font).height(), cy);
    return font;
}

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

// A frame of pseudo-random bytes; `padding` extra bytes end each row of plane 0.
inline Frame MakeFrame(VideoSubtype st, int32_t width, int32_t height, int32_t padding = 0) {
    const bool planar =
        st == VideoSubtype::YV12 || st == VideoSubtype::I420 || st == VideoSubtype::NV12;
    const int bits = st == VideoSubtype::RGB24 ? 24 : st == VideoSubtype::RGB32 ? 32 : 16;
    Frame f;
    f.format = {st, width, height, uint16_t(planar ? 12 : bits)};
    const auto rows = size_t(std::abs(height));
    f.stride[0] = (planar                     ? width
                   : st == VideoSubtype::YUY2 ? 4 * ((width + 1) / 2)
                                              : width * bits / 8) +
                  padding;
    f.plane[0].resize(f.stride[0] * rows);
    for (int i = 1; planar && i <= (st == VideoSubtype::NV12 ? 1 : 2); ++i) {
        f.stride[i] = st == VideoSubtype::NV12 ? 2 * ((width + 1) / 2) : (width + 1) / 2;
        f.plane[i].resize(f.stride[i] * ((rows + 1) / 2));
    }
    uint32_t state = 0x9E3779B9u;
    for (auto& p : f.plane) {
        for (uint8_t& b : p) {
            state = state * 1664525u + 1013904223u;
            b = uint8_t(state >> 24);
        }
    }
    return f;
}

// Stream time `ms` with no duration and no format rate: time-based entries
// need neither.
inline FrameTime At(int64_t ms) {
    return FrameTime{true, ms * 10'000, 0, 1.0, 0.0};
}

inline SubtitleEntry Timed(int64_t start, int64_t end, const std::string& text, int16_t lines) {
    return SubtitleEntry{.start = start, .end = end, .text = text, .lines = lines};
}

}  // namespace tavimo::test
