// AssRender's blending: the runs Prepare made written into a frame's planes,
// for each layout a frame may have.
#include "subtitles/ass_render.h"

#include "subtitles/ass_render_internal.h"

#include <cstring>

namespace tavimo {
namespace {

using namespace ass_internal;

// One channel of a frame: the overlay's premultiplied value over the
// frame's own, scaled by the overlay's transparency.
inline uint8_t Over(uint8_t overlay, uint8_t inverseAlpha, uint8_t frame) {
    return static_cast<uint8_t>(overlay + Div255(uint32_t{frame} * inverseAlpha));
}

// Over for runs known opaque (the overlay's value as it is) or not.
template <bool Opaque>
inline uint8_t Mix(uint8_t overlay, uint8_t inverseAlpha, uint8_t frame) {
    if constexpr (Opaque) {
        return overlay;
    } else {
        return Over(overlay, inverseAlpha, frame);
    }
}

// The rows of a plane samples may go to: memory rows `first` up to `end`
// (exclusive).
struct PlaneRows {
    int64_t first, end;
};

// `frame`'s window on a plane `sub` times halved in height.
PlaneRows RowsOf(const VideoPlanes& frame, int sub) {
    return {int64_t{frame.firstRow} >> sub, (int64_t{frame.endRow} + (1 << sub) - 1) >> sub};
}

// Calls `blend.template operator()<opaque>(dst, sample)` for every sample of
// `runs` on the rows it may write, `dst` pointing at the sample's first
// byte in a plane of `bytes` bytes per sample.
template <typename BlendOne>
void ForEachSample(const std::vector<Run>& runs, const std::vector<Px>& samples, uint8_t* plane,
                   int32_t stride, int32_t bytes, const PlaneRows& rows, BlendOne blend) {
    for (const Run& run : runs) {
        if (run.row < rows.first || run.row >= rows.end)
            continue;
        uint8_t* dst = plane + int64_t{run.row} * stride + int64_t{run.x0} * bytes;
        const Px* src = samples.data() + run.first;
        const Px* const end = src + (run.x1 - run.x0);
        if (run.opaque) {
            for (; src != end; dst += bytes, ++src)
                blend.template operator()<true>(dst, *src);
        } else {
            for (; src != end; dst += bytes, ++src)
                blend.template operator()<false>(dst, *src);
        }
    }
}

inline uint8_t Expand5(uint32_t v) {
    return static_cast<uint8_t>((v << 3) | (v >> 2));
}
inline uint8_t Expand6(uint32_t v) {
    return static_cast<uint8_t>((v << 2) | (v >> 4));
}

// A 16-bit pixel: red, green and blue fields of `gBits` green bits.
template <int GBits, bool O>
void BlendRgb16(uint8_t* dst, const Px& p) {
    uint16_t v;
    std::memcpy(&v, dst, sizeof v);
    constexpr int kRShift = 5 + GBits;
    const uint8_t r = Expand5((v >> kRShift) & 31);
    const uint8_t g = GBits == 6 ? Expand6((v >> 5) & 63) : Expand5((v >> 5) & 31);
    const uint8_t b = Expand5(v & 31);
    const uint32_t R = Mix<O>(p.c2, p.inverseAlpha, r);
    const uint32_t G = Mix<O>(p.c1, p.inverseAlpha, g);
    const uint32_t B = Mix<O>(p.c0, p.inverseAlpha, b);
    v = static_cast<uint16_t>(((R >> 3) << kRShift) | ((G >> (8 - GBits)) << 5) | (B >> 3) |
                              (v & (GBits == 5 ? 0x8000 : 0)));
    std::memcpy(dst, &v, sizeof v);
}

}  // namespace

void AssRender::Blend(const VideoPlanes& frame) const {
    if (!prepared_ || !drawn_ || frame.data[0] == nullptr)
        return;
    for (const Band& band : bands_) {
        if (!band.lumaRuns.empty())
            BlendBand(frame, band);
    }
}

void AssRender::BlendBand(const VideoPlanes& frame, const Band& band) const {
    const int32_t W = key_.width;
    uint8_t* const p0 = frame.data[0];
    const int32_t s0 = frame.stride[0];
    switch (key_.layout) {
        case Layout::Bgrx:
            if (s0 < int64_t{W} * 4)
                return;
            ForEachSample(band.lumaRuns, band.luma, p0, s0, 4, RowsOf(frame, 0),
                          []<bool O>(uint8_t* d, const Px& p) {
                              d[0] = Mix<O>(p.c0, p.inverseAlpha, d[0]);
                              d[1] = Mix<O>(p.c1, p.inverseAlpha, d[1]);
                              d[2] = Mix<O>(p.c2, p.inverseAlpha, d[2]);
                          });
            return;
        case Layout::Bgr:
        case Layout::Rgb: {
            if (s0 < int64_t{W} * 3)
                return;
            const int first = key_.layout == Layout::Rgb ? 2 : 0;  // byte of blue
            ForEachSample(band.lumaRuns, band.luma, p0, s0, 3, RowsOf(frame, 0),
                          [first]<bool O>(uint8_t* d, const Px& p) {
                              d[first] = Mix<O>(p.c0, p.inverseAlpha, d[first]);
                              d[1] = Mix<O>(p.c1, p.inverseAlpha, d[1]);
                              d[2 - first] = Mix<O>(p.c2, p.inverseAlpha, d[2 - first]);
                          });
            return;
        }
        case Layout::Rgb565:
            if (s0 < int64_t{W} * 2)
                return;
            ForEachSample(band.lumaRuns, band.luma, p0, s0, 2, RowsOf(frame, 0),
                          []<bool O>(uint8_t* d, const Px& p) { BlendRgb16<6, O>(d, p); });
            return;
        case Layout::Rgb555:
            if (s0 < int64_t{W} * 2)
                return;
            ForEachSample(band.lumaRuns, band.luma, p0, s0, 2, RowsOf(frame, 0),
                          []<bool O>(uint8_t* d, const Px& p) { BlendRgb16<5, O>(d, p); });
            return;
        case Layout::Yuy2:
            if (s0 < 4 * ((int64_t{W} + 1) / 2))
                return;
            ForEachSample(
                band.lumaRuns, band.luma, p0, s0, 2, RowsOf(frame, 0),
                []<bool O>(uint8_t* d, const Px& p) { d[0] = Mix<O>(p.c0, p.inverseAlpha, d[0]); });
            ForEachSample(band.chromaRuns, band.chroma, p0 + 1, s0, 4, RowsOf(frame, 0),
                          []<bool O>(uint8_t* d, const Px& p) {
                              d[0] = Mix<O>(p.c1, p.inverseAlpha, d[0]);
                              d[2] = Mix<O>(p.c2, p.inverseAlpha, d[2]);
                          });
            return;
        case Layout::Yuv420:
            BlendYuv420(frame, band);
            return;
        case Layout::None:
            return;
    }
}

bool AssRender::Rows(RowRanges* rows) const {
    if (!prepared_ || !drawn_)
        return false;
    // Each stretch of rows some image covers (chroma blocks lie under them:
    // a block holds a sample only where one of its pixels does).
    for (const Band& band : bands_) {
        for (size_t i = 0; i + 1 < band.covered.size(); i += 2)
            rows->Add(band.covered[i], band.covered[i + 1]);
    }
    return true;
}

void AssRender::BlendYuv420(const VideoPlanes& frame, const Band& band) const {
    const int32_t W = key_.width, half = (W + 1) / 2;
    if (frame.stride[0] < W)
        return;
    // Cb and Cr: I420 stores Cb in plane 1, YV12 Cr; NV12 interleaves them in plane 1.
    const bool nv12 = key_.subtype == VideoSubtype::NV12;
    const int cbPlane = key_.subtype == VideoSubtype::YV12 ? 2 : 1;
    const int crPlane = nv12 ? 1 : 3 - cbPlane;
    const int32_t step = nv12 ? 2 : 1;
    if (frame.data[cbPlane] == nullptr || frame.data[crPlane] == nullptr ||
        frame.stride[cbPlane] < half * step || frame.stride[crPlane] < half * step) {
        return;
    }
    ForEachSample(
        band.lumaRuns, band.luma, frame.data[0], frame.stride[0], 1, RowsOf(frame, 0),
        []<bool O>(uint8_t* d, const Px& p) { d[0] = Mix<O>(p.c0, p.inverseAlpha, d[0]); });
    ForEachSample(band.chromaRuns, band.chroma, frame.data[cbPlane], frame.stride[cbPlane], step,
                  RowsOf(frame, 1), []<bool O>(uint8_t* d, const Px& p) {
                      d[0] = Mix<O>(p.c1, p.inverseAlpha, d[0]);
                  });
    ForEachSample(
        band.chromaRuns, band.chroma, frame.data[crPlane] + (nv12 ? 1 : 0), frame.stride[crPlane],
        step, RowsOf(frame, 1),
        []<bool O>(uint8_t* d, const Px& p) { d[0] = Mix<O>(p.c2, p.inverseAlpha, d[0]); });
}

}  // namespace tavimo
