// Frames with exactly sized planes for the mixer tests, and a font of a
// chosen line height.
#pragma once

#include "subtitles/subtitle_mixer.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace tavimo::test {

// DejaVu Sans at the pixel size whose line height (ascent + descent) is `cy`.
inline QFont FontWithLineHeight(int cy) {
    for (int px = 6; px < 200; ++px) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(px);
        if (QFontMetrics(font).height() == cy) {
            return font;
        }
    }
    ADD_FAILURE() << "no DejaVu Sans size with line height " << cy;
    return QFont();
}

// Plane layout of each subtype: bytes per pixel of plane 0 and the chroma
// planes' shape.
struct PlaneLayout {
    VideoSubtype subtype;
    uint16_t bitCount;
    int bytesPerPixel;  // plane 0
    int chromaPlanes;   // 0, 1 (NV12) or 2
};

inline const PlaneLayout& LayoutOf(VideoSubtype subtype) {
    static const PlaneLayout kLayouts[] = {
        {VideoSubtype::YUY2, 16, 2, 0},   {VideoSubtype::RGB24, 24, 3, 0},
        {VideoSubtype::RGB32, 32, 4, 0},  {VideoSubtype::RGB565, 16, 2, 0},
        {VideoSubtype::RGB555, 16, 2, 0}, {VideoSubtype::YV12, 12, 1, 2},
        {VideoSubtype::I420, 12, 1, 2},   {VideoSubtype::NV12, 12, 1, 1},
        {VideoSubtype::Other, 16, 2, 0},
    };
    for (const PlaneLayout& l : kLayouts) {
        if (l.subtype == subtype) {
            return l;
        }
    }
    return kLayouts[0];
}

// A frame whose planes are separate allocations of exactly the size the
// format needs, so that AddressSanitizer sees any write past them.
struct Frame {
    VideoFormat format;
    std::vector<uint8_t> plane[3];
    int32_t stride[3] = {0, 0, 0};

    int32_t Rows() const { return std::abs(format.height); }
    int32_t RowBytes() const {
        const int bpp = LayoutOf(format.subtype).bytesPerPixel;
        if (format.subtype == VideoSubtype::YUY2) {
            return 4 * ((format.width + 1) / 2);
        }
        return format.width * bpp;
    }
    VideoPlanes View() {
        VideoPlanes v;
        for (int i = 0; i < 3; ++i) {
            v.data[i] = plane[i].empty() ? nullptr : plane[i].data();
            v.stride[i] = stride[i];
        }
        return v;
    }
    const uint8_t* Row(int32_t memoryRow) const {
        return plane[0].data() + static_cast<size_t>(memoryRow) * stride[0];
    }
};

// A frame filled with a fixed pattern that depends on `seed`; `padding`
// extra bytes end each row of plane 0.
inline Frame MakeFrame(VideoSubtype subtype, int32_t width, int32_t height, uint8_t seed = 3,
                       int32_t padding = 0) {
    const PlaneLayout& layout = LayoutOf(subtype);
    Frame f;
    f.format = VideoFormat{subtype, width, height, layout.bitCount};
    const int32_t rows = std::abs(height);
    f.stride[0] = f.RowBytes() + padding;
    f.plane[0].resize(static_cast<size_t>(f.stride[0]) * rows);
    const int32_t chromaRows = (rows + 1) / 2;
    for (int i = 1; i <= layout.chromaPlanes; ++i) {
        f.stride[i] = layout.chromaPlanes == 1 ? 2 * ((width + 1) / 2) : (width + 1) / 2;
        f.plane[i].resize(static_cast<size_t>(f.stride[i]) * chromaRows);
    }
    uint32_t state = 0x9E3779B9u ^ seed;
    for (auto& p : f.plane) {
        for (uint8_t& b : p) {
            state = state * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(state >> 24);
        }
    }
    return f;
}

// 100-ns stream time of `ms` for a 25 fps frame.
inline FrameTime At(int64_t ms) {
    return FrameTime{true, ms * 10'000, 400'000, 1.0, 0.0};
}

inline SubtitleEntry Timed(int64_t start, int64_t end, const char* text, int16_t lines) {
    SubtitleEntry e;
    e.start = start;
    e.end = end;
    e.text = text;
    e.lines = lines;
    return e;
}

}  // namespace tavimo::test
