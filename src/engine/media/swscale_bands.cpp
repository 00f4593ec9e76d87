// The strips of a subtitle drawn beside a frame, read in place of the
// frame's own rows as the frame is converted (see FrameConverter::Convert in
// swscale_formats.h): in libswscale slices where it can, else over a copy.
extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "engine/media/swscale_formats.h"

namespace tavimo::swscale_internal {
namespace {

// libswscale 6.7 follows a wild pointer when it takes a picture in slices
// and shrinks it about 127 times or more either way (1280 columns into 10;
// a 1080-line picture into a window 8 lines high): such pictures go whole.
constexpr int kMostShrinkInSlices = 64;

}  // namespace

// `src` (libswscale's plane order) taken by `context` from its first row
// to `height`: at once, or with `strips` of `bands` in slices (the frame's
// rows above the first strip, the strip, the frame's rows to the next, and
// so on), as libswscale takes a picture given in slices from top to bottom.
// False when libswscale refuses a slice, or would read astray in slices
// (the picture shrinks too far into the place).
bool FrameConverter::Slices(SwsContext* context, const uint8_t* const src[4],
                            const int srcStride[4], int height, const Band* bands, int strips,
                            uint8_t* const dst[4], const int dstStride[4]) const {
    if (strips > 0 && (key_.inWidth >= kMostShrinkInSlices * key_.place.w ||
                       key_.inHeight >= kMostShrinkInSlices * key_.place.h))
        return false;
    const int chromaShift = av_pix_fmt_desc_get(in_->av)->log2_chroma_h;
    // Rows `y`..`y + rows` of the frame, or of `strip` (which begins at y).
    auto slice = [&](int y, int rows, const Band* strip) {
        const uint8_t* at[4] = {};
        int stride[4] = {};
        for (int p = 0; p < 4; ++p) {
            const int shift = p == 1 || p == 2 ? chromaShift : 0;
            stride[p] = strip ? strip->stride[p] : srcStride[p];
            if (strip)
                at[p] = strip->data[p];
            else if (src[p])
                at[p] = src[p] + ptrdiff_t(y >> shift) * srcStride[p];
        }
        return sws_scale(context, at, stride, y, rows, dst, dstStride) >= 0;
    };
    int y = 0;
    for (int s = 0; s <= strips; ++s) {
        const int end = s < strips ? bands[s].first : height;
        if (end > y && !slice(y, end - y, nullptr))
            return false;
        if (s == strips)
            break;
        if (!slice(bands[s].first, bands[s].rows, &bands[s]))
            return false;
        y = bands[s].first + bands[s].rows;
    }
    return true;
}

// The input copied into `source_` with `strips` of `bands` over its own
// rows, for the ways libswscale cannot take it in slices. False when
// `source_` cannot be had.
bool FrameConverter::Merge(const GstVideoInfo& in, const uint8_t* const src[4],
                           const int srcStride[4], const Band* bands, int strips) {
    if (src[0] != source_.data[0]) {  // else Source has copied it there already
        if (!source_.Fit(in.width, in.height, in_->av))
            return false;
        av_image_copy(source_.data, source_.stride, const_cast<const uint8_t**>(src), srcStride,
                      in_->av, in.width, in.height);
    }
    int rowBytes[4] = {};
    av_image_fill_linesizes(rowBytes, in_->av, in.width);
    const int chromaShift = av_pix_fmt_desc_get(in_->av)->log2_chroma_h;
    for (int s = 0; s < strips; ++s) {
        const Band& band = bands[s];
        for (int p = 0; p < 4 && source_.data[p] && band.data[p]; ++p) {
            const int shift = p == 1 || p == 2 ? chromaShift : 0;
            const int first = band.first >> shift;
            const int rows = ((band.first + band.rows + (1 << shift) - 1) >> shift) - first;
            av_image_copy_plane(source_.data[p] + ptrdiff_t(first) * source_.stride[p],
                                source_.stride[p], band.data[p], band.stride[p], rowBytes[p], rows);
        }
    }
    return true;
}

// Whether `strips` of `bands` are as the mixer makes them for frames of
// `in` (ascending, apart, on whole chroma rows).
bool FrameConverter::StripsFit(const GstVideoInfo& in, const Band* bands, int strips) const {
    const int step = 1 << av_pix_fmt_desc_get(in_->av)->log2_chroma_h;
    int from = 0;
    for (int s = 0; s < strips; ++s) {
        const int end = bands[s].first + bands[s].rows;
        if (bands[s].first < from || bands[s].rows <= 0 || end > in.height ||
            bands[s].first % step || (end % step && end != in.height))
            return false;
        from = end;
    }
    return strips > 0;
}

}  // namespace tavimo::swscale_internal
