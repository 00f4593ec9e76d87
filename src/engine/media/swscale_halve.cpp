// The first step of the display's colour converter where the place is
// exactly half the picture each way (2160p in a 1080p window or on a 1080p
// screen): each output pixel the mean of its 2x2 block of input pixels, in
// every plane of 8-bit planar YUV. libswscale's bilinear scaling gathers
// four pixels a tap for each output pixel; the mean of whole blocks reads
// each input byte once (convert_bench, 2160p into 1080p: 4.6 to 5.4 ms of
// CPU a frame before, 2.8 to 3.1 now, the halving bound by memory). Where
// the place's rows have room, a few rows at a time are halved and converted
// while still in cache, and the halved picture is never whole in memory.
#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "engine/media/swscale_formats.h"

namespace tavimo::swscale_internal {
namespace {

// `width` output pixels, each the rounded mean of a[2x], a[2x+1], b[2x] and
// b[2x+1]: reads 2 * `width` bytes of each row.
void HalveRow(const uint8_t* a, const uint8_t* b, uint8_t* out, int width) {
    int x = 0;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi16(0x00ff), two = _mm_set1_epi16(2);
    // The sums of the even and odd bytes of 16 input pixels, as 8 words.
    auto pairs = [&](const uint8_t* row) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
        return _mm_add_epi16(_mm_and_si128(v, low), _mm_srli_epi16(v, 8));
    };
    for (; x + 16 <= width; x += 16) {
        const uint8_t *a0 = a + 2 * x, *b0 = b + 2 * x;
        const __m128i left = _mm_add_epi16(_mm_add_epi16(pairs(a0), pairs(b0)), two);
        const __m128i right = _mm_add_epi16(_mm_add_epi16(pairs(a0 + 16), pairs(b0 + 16)), two);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_packus_epi16(_mm_srli_epi16(left, 2), _mm_srli_epi16(right, 2)));
    }
#endif
    for (; x < width; ++x)
        out[x] = uint8_t((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) >> 2);
}

}  // namespace

bool FrameConverter::HalvesExactly(const GstVideoInfo& in, const GstVideoRectangle& to) {
    return to.w % 2 == 0 && to.h % 2 == 0 && to.w * 2 == in.width && to.h * 2 == in.height;
}

// Row `y` of plane `p` (libswscale's order) of `src`, or of the strip of
// `bands` that holds it.
const uint8_t* FrameConverter::ReadRow(int p, int y, const uint8_t* const src[4],
                                       const int srcStride[4], const Band* bands,
                                       int strips) const {
    const int shift = p == 1 || p == 2 ? av_pix_fmt_desc_get(in_->av)->log2_chroma_h : 0;
    for (int s = 0; s < strips; ++s) {
        const int first = bands[s].first >> shift;
        const int end = (bands[s].first + bands[s].rows + (1 << shift) - 1) >> shift;
        if (y >= first && y < end)
            return bands[s].data[p] + ptrdiff_t(y - first) * bands[s].stride[p];
    }
    return src[p] + ptrdiff_t(y) * srcStride[p];
}

void FrameConverter::Halve(const uint8_t* const src[4], const int srcStride[4], const Band* bands,
                           int strips, int first, int rows) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(between_.format);
    for (int p = 0; p < 3; ++p) {
        const bool chroma = p == 1 || p == 2;
        const int wShift = chroma ? desc->log2_chroma_w : 0,
                  hShift = chroma ? desc->log2_chroma_h : 0;
        const int width = -((-between_.width) >> wShift);
        const int from = first >> hShift, to = -((-(first + rows)) >> hShift);
        for (int y = from; y < to; ++y)
            HalveRow(ReadRow(p, 2 * y, src, srcStride, bands, strips),
                     ReadRow(p, 2 * y + 1, src, srcStride, bands, strips),
                     between_.data[p] + ptrdiff_t(y - from) * between_.stride[p], width);
    }
}

void FrameConverter::HalveInto(const uint8_t* const src[4], const int srcStride[4],
                               const Band* bands, int strips, uint8_t* const at[4],
                               const int atStride[4]) {
    // 16 rows of 1080p in I420: 46 kB, well within the second-level cache.
    constexpr int kRows = 16;
    const int height = key_.place.h;
    for (int y = 0; y < height; y += kRows) {
        const int rows = std::min(kRows, height - y);
        Halve(src, srcStride, bands, strips, y, rows);
        sws_scale(context_, between_.data, between_.stride, y, rows, at, atStride);
    }
}

}  // namespace tavimo::swscale_internal
