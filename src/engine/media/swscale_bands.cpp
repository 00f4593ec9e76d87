// The strips of a subtitle drawn beside a frame, read in place of the
// frame's own rows as the frame is converted (see FrameConverter::Convert in
// swscale_formats.h): in libswscale slices where it can, else over a copy;
// and the first step of a conversion in two taken a band of rows at a time.
extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>

#include "engine/media/swscale_formats.h"

namespace tavimo::swscale_internal {

// `src` (libswscale's plane order) taken by `context` from its first row
// to `height`: at once, or with `strips` of `bands` in slices (the frame's
// rows above the first strip, the strip, the frame's rows to the next, and
// so on), as libswscale takes a picture given in slices from top to bottom.
// False when libswscale refuses a slice.
bool FrameConverter::Slices(SwsContext* context, const uint8_t* const src[4],
                            const int srcStride[4], int height, const Band* bands, int strips,
                            uint8_t* const dst[4], const int dstStride[4]) const {
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

// The first step scaling the input (`src`, libswscale's plane order, with
// `strips` of `bands` over it, in slices as Slices gives them, each cut to
// some 16 rows of the place) a few rows at a time into `band_`, each stretch
// converted into the place (`at`) while still in cache: the first step's
// picture is never whole in memory (3 MB for 720p on a 1080p screen).
// libswscale writes a slice's rows where a whole picture's would go and
// says how many it wrote, so it is given band_ as if band_'s first row were
// the picture's row `base`; band_ starts again from its first row once all
// its rows are converted (a row whose chroma pair is not complete waits for
// its pair). False when libswscale refuses a slice or band_ could be too
// short for the next (the place's rows are then not all written).
bool FrameConverter::ScaleInBands(const GstVideoInfo& in, const uint8_t* const src[4],
                                  const int srcStride[4], const Band* bands, int strips,
                                  uint8_t* const at[4], const int atStride[4]) {
    // Input rows a slice: those of 16 rows of the place, and a multiple of
    // any chroma's height (a slice shorter than the reach of a steep
    // shrink's filter took libswscale out of bounds).
    const int height = key_.place.h;
    const int chunk = 16 * ((in.height + height - 1) / height);
    // More rows than a slice can give, and room for twice as many (or for
    // the whole picture, where that is less).
    const int most = int(std::ceil((chunk + 8) * double(height) / in.height)) + 8;
    const int room = std::min(2 * most, height);
    if (!band_.Fit(key_.place.w, room, from_))
        return false;
    const int inShift = av_pix_fmt_desc_get(in_->av)->log2_chroma_h;
    const int outShift = av_pix_fmt_desc_get(from_)->log2_chroma_h;
    int done = 0, top = 0, base = 0;  // rows given; the first not converted; band_'s first
    auto plane = [&](int p, int y) {
        return band_.data[p] + ptrdiff_t((y - base) >> (p ? outShift : 0)) * band_.stride[p];
    };
    // Rows `y`..`y + rows` of the input, read from `from` (their first row).
    auto slice = [&](int y, int rows, const uint8_t* const from[4], const int stride[4]) {
        if (room < height && done - base > room - most)
            return false;
        uint8_t* to[4] = {plane(0, 0), plane(1, 0), plane(2, 0), nullptr};
        const int given = sws_scale(first_, from, stride, y, rows, to, band_.stride);
        if (given < 0 || done + given - base > room)
            return false;
        done += given;
        const int ready = done == height ? done : top + ((done - top) >> outShift << outShift);
        const uint8_t* read[4] = {plane(0, top), plane(1, top), plane(2, top), nullptr};
        if (ready > top &&
            sws_scale(context_, read, band_.stride, top, ready - top, at, atStride) < 0)
            return false;
        top = ready;
        base = top == done ? done : base;
        return true;
    };
    // Rows `y`..`y + rows`, planes `data` from the first of them, in slices of `chunk`.
    auto cut = [&](int y, int rows, const uint8_t* const data[4], const int stride[4]) {
        for (int r = 0; r < rows; r += chunk) {
            const uint8_t* from[4] = {};
            for (int p = 0; p < 4; ++p)
                from[p] =
                    data[p] ? data[p] + ptrdiff_t(r >> (p == 1 || p == 2 ? inShift : 0)) * stride[p]
                            : nullptr;
            if (!slice(y + r, std::min(chunk, rows - r), from, stride))
                return false;
        }
        return true;
    };
    int y = 0;
    for (int s = 0; s <= strips; ++s) {
        const int end = s < strips ? bands[s].first : in.height;
        if (end > y) {
            const uint8_t* from[4] = {};
            for (int p = 0; p < 4; ++p)
                from[p] = src[p] ? src[p] + ptrdiff_t(y >> (p == 1 || p == 2 ? inShift : 0)) *
                                                srcStride[p]
                                 : nullptr;
            if (!cut(y, end - y, from, srcStride))
                return false;
        }
        if (s == strips)
            break;
        if (!cut(bands[s].first, bands[s].rows, bands[s].data, bands[s].stride))
            return false;
        y = bands[s].first + bands[s].rows;
    }
    return done == height && top == height;
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
