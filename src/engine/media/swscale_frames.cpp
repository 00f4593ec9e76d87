// The conversion of one picture through libswscale for the display's colour
// converter (see swscale_convert.h). 8-bit planar YUV at the output's size
// takes libswscale's unscaled path to 32-bit RGB (SIMD, about a third of
// what videoconvert costs a frame); anything else gets there through a first
// step in YUV (MakeFirstStep).
#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include "engine/media/swscale_formats.h"

namespace tavimo::swscale_internal {
namespace {

// libswscale's matrix for the caps' colorimetry; GStreamer has already
// filled in the usual one for the picture's size where the caps name none.
int SwsMatrixOf(GstVideoColorMatrix matrix) {
    switch (matrix) {
        case GST_VIDEO_COLOR_MATRIX_BT709:
            return SWS_CS_ITU709;
        case GST_VIDEO_COLOR_MATRIX_BT2020:
            return SWS_CS_BT2020;
        case GST_VIDEO_COLOR_MATRIX_SMPTE240M:
            return SWS_CS_SMPTE240M;
        case GST_VIDEO_COLOR_MATRIX_FCC:
            return SWS_CS_FCC;
        default:
            return SWS_CS_ITU601;
    }
}

// Where a picture of `in`'s display shape goes in a frame of `out`'s: all of
// it, or with `borders` the largest rectangle of that shape, centred.
GstVideoRectangle PlaceOf(const GstVideoInfo& in, const GstVideoInfo& out, bool borders) {
    GstVideoRectangle all = {0, 0, GST_VIDEO_INFO_WIDTH(&out), GST_VIDEO_INFO_HEIGHT(&out)};
    if (!borders || GST_VIDEO_INFO_IS_YUV(&out))
        return all;
    auto shape = [](const GstVideoInfo& v) {
        return double(v.width) * std::max(v.par_n, 1) / (double(v.height) * std::max(v.par_d, 1));
    };
    const double picture = shape(in), frame = shape(out);
    GstVideoRectangle place = all;
    if (picture > frame * 1.0005)
        place.h = std::clamp(int(std::lround(all.h * frame / picture)), 1, all.h);
    else if (picture < frame / 1.0005)
        place.w = std::clamp(int(std::lround(all.w * picture / frame)), 1, all.w);
    place.x = (all.w - place.w) / 2;
    place.y = (all.h - place.h) / 2;
    return place;
}

// libswscale's RGB from subsampled chroma (its SIMD path and its tables
// alike) comes out one level darker than the matrix says, on average over
// all colours, as its fixed-point products are cut rather than rounded
// (green 1.5 levels, with 3 for some colours, a 75 % yellow among them).
// A brightness of 240/256 of a luma step takes that back: measured on
// 62000 random colours, red and blue then come out within 1 level, green
// within 2. Full chroma takes its exact path and needs none.
int LevelOffset(const GstVideoInfo& in) {
    return GST_VIDEO_FORMAT_INFO_W_SUB(in.finfo, 1) > 0 ? 240 : 0;
}

// Black around the picture's place (0 is black in every RGB output).
void FillBorders(const GstVideoInfo& out, uint8_t* data, const GstVideoRectangle& place) {
    const int stride = GST_VIDEO_INFO_PLANE_STRIDE(&out, 0);
    const int pixel = GST_VIDEO_INFO_COMP_PSTRIDE(&out, 0);
    const int width = GST_VIDEO_INFO_WIDTH(&out), height = GST_VIDEO_INFO_HEIGHT(&out);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = data + size_t(stride) * y;
        if (y < place.y || y >= place.y + place.h) {
            std::memset(row, 0, size_t(width) * pixel);
            continue;
        }
        std::memset(row, 0, size_t(place.x) * pixel);
        const int right = place.x + place.w;
        std::memset(row + size_t(right) * pixel, 0, size_t(width - right) * pixel);
    }
}

}  // namespace

bool FrameConverter::Key::operator==(const Key& o) const {
    return in == o.in && out == o.out && inWidth == o.inWidth && inHeight == o.inHeight &&
           outWidth == o.outWidth && outHeight == o.outHeight && matrix == o.matrix &&
           range == o.range && std::memcmp(&place, &o.place, sizeof place) == 0;
}

FrameConverter::~FrameConverter() {
    Reset();
}

void FrameConverter::Reset() {
    sws_freeContext(context_);
    context_ = nullptr;
    FreeFirstStep();
    key_ = Key();
}

void FrameConverter::FreeFirstStep() {
    sws_freeContext(first_);
    first_ = nullptr;
    av_freep(&between_[0]);
}

// YUV going to RGB reaches libswscale's fast path (8-bit planar YUV at the
// output's size) through a first step in YUV where it is not there already:
// deep YUV has its depth taken to 8 bits, dithered (straight to RGB
// libswscale cuts the low bits off: 10-bit greys 600 to 603 all came out as
// 156); NV12 and packed YUV are made planar (NV12 straight to RGB took 2.3
// ms a 1080p frame, through I420 0.55); and a picture of another size is
// scaled bilinearly in YUV (720p to 1080p: 1.0 + 0.5 ms, against 2.3 in one
// pass to RGB). Returns the format the second step reads, AV_PIX_FMT_NONE
// when libswscale refuses.
AVPixelFormat FrameConverter::MakeFirstStep(const GstVideoInfo& in, const GstVideoInfo& out) {
    FreeFirstStep();
    if (!GST_VIDEO_INFO_IS_YUV(&in) || GST_VIDEO_INFO_IS_YUV(&out))
        return in_->av;
    const guint wSub = GST_VIDEO_FORMAT_INFO_W_SUB(in.finfo, 1);
    const guint hSub = GST_VIDEO_FORMAT_INFO_H_SUB(in.finfo, 1);
    const AVPixelFormat planar = wSub && hSub ? AV_PIX_FMT_YUV420P
                                 : wSub       ? AV_PIX_FMT_YUV422P
                                              : AV_PIX_FMT_YUV444P;
    const GstVideoRectangle& to = key_.place;
    if (in_->av == planar && to.w == in.width && to.h == in.height)
        return planar;
    first_ = sws_getContext(in.width, in.height, in_->av, to.w, to.h, planar, SWS_BILINEAR, nullptr,
                            nullptr, nullptr);
    if (!first_ || av_image_alloc(between_, betweenStride_, to.w, to.h, planar, 32) < 0) {
        FreeFirstStep();
        return AV_PIX_FMT_NONE;
    }
    return planar;
}

// Contexts for `key_`, with the input's matrix and range; RGB out is full
// range. False when libswscale refuses.
bool FrameConverter::MakeContexts(const GstVideoInfo& in, const GstVideoInfo& out) {
    sws_freeContext(context_);
    context_ = nullptr;
    const AVPixelFormat from = MakeFirstStep(in, out);
    if (from == AV_PIX_FMT_NONE)
        return false;
    const GstVideoRectangle& place = key_.place;
    const int width = first_ ? place.w : in.width;
    const int height = first_ ? place.h : in.height;
    context_ = sws_getContext(width, height, from, place.w, place.h, out_->av, SWS_BILINEAR,
                              nullptr, nullptr, nullptr);
    if (!context_)
        return false;
    if (GST_VIDEO_INFO_IS_YUV(&in)) {
        const int* matrix = sws_getCoefficients(SwsMatrixOf(in.colorimetry.matrix));
        const int inRange = in.colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255 ? 1 : 0;
        const bool yuvOut = GST_VIDEO_INFO_IS_YUV(&out);
        // YUV out keeps the matrix and range (the caps say so): only the depth changes.
        sws_setColorspaceDetails(
            context_, matrix, inRange, yuvOut ? matrix : sws_getCoefficients(SWS_CS_DEFAULT),
            yuvOut ? inRange : 1, yuvOut ? 0 : LevelOffset(in), 1 << 16, 1 << 16);
    }
    return true;
}

bool FrameConverter::Convert(const GstVideoInfo& in, const uint8_t* const src[4],
                             const GstVideoInfo& out, uint8_t* const dst[4], bool borders) {
    Key key;
    key.in = GST_VIDEO_INFO_FORMAT(&in);
    key.out = GST_VIDEO_INFO_FORMAT(&out);
    key.inWidth = in.width;
    key.inHeight = in.height;
    key.outWidth = out.width;
    key.outHeight = out.height;
    key.matrix = in.colorimetry.matrix;
    key.range = in.colorimetry.range;
    key.place = PlaceOf(in, out, borders);
    if (!context_ || !(key == key_)) {
        Reset();
        key_ = key;
        in_ = RowOf(key.in);
        out_ = RowOf(key.out);
        if (!in_ || !in_->in || !out_ || !out_->out || !MakeContexts(in, out)) {
            Reset();
            return false;
        }
    }
    const uint8_t* from[4] = {};
    int fromStride[4] = {};
    for (guint i = 0; i < GST_VIDEO_INFO_N_PLANES(&in) && i < 4; ++i) {
        from[i] = src[i];
        fromStride[i] = GST_VIDEO_INFO_PLANE_STRIDE(&in, i);
    }
    if (in_->swapUV) {
        std::swap(from[1], from[2]);
        std::swap(fromStride[1], fromStride[2]);
    }
    int height = in.height;
    if (first_) {
        sws_scale(first_, from, fromStride, 0, height, between_, betweenStride_);
        std::copy(between_, between_ + 4, from);
        std::copy(betweenStride_, betweenStride_ + 4, fromStride);
        height = key_.place.h;
    }
    uint8_t* to[4] = {};
    int toStride[4] = {};
    for (guint i = 0; i < GST_VIDEO_INFO_N_PLANES(&out) && i < 4; ++i) {
        to[i] = dst[i];
        toStride[i] = GST_VIDEO_INFO_PLANE_STRIDE(&out, i);
    }
    const GstVideoRectangle& place = key_.place;
    if (place.w != out.width || place.h != out.height) {
        FillBorders(out, dst[0], place);
        to[0] +=
            size_t(toStride[0]) * place.y + size_t(place.x) * GST_VIDEO_INFO_COMP_PSTRIDE(&out, 0);
    }
    sws_scale(context_, from, fromStride, 0, height, to, toStride);
    return true;
}

}  // namespace tavimo::swscale_internal
