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

// libswscale's SIMD code reads and writes whole groups of pixels (8 at once
// into 24- and 32-bit RGB on x86, 16 or 32 bytes into 8-bit planes), so
// past the end of a row that is not a multiple of them, and past the last
// row out of the frame's buffer. It reads rows with room for whole groups
// of kGroup pixels, and writes rows with that much room rounded up to
// kRowAlign bytes.
constexpr int kGroup = 16;
constexpr int kRowAlign = 64;

// The bytes of `format`'s planes (libswscale's order) libswscale may read
// in a row of `width` pixels, or with `written` write. False for a size it
// cannot take.
bool RowRoom(AVPixelFormat format, int width, bool written, int room[4]) {
    if (av_image_fill_linesizes(room, format, (width + kGroup - 1) / kGroup * kGroup) < 0)
        return false;
    for (int p = 0; p < 4 && written; ++p)
        room[p] = (room[p] + kRowAlign - 1) / kRowAlign * kRowAlign;
    return true;
}

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

// Whether each of the place's rows in a frame of `out` has room for the
// whole groups libswscale writes (what goes past the place's right edge is
// painted over with the border after).
bool PlaceHasRoom(const GstVideoInfo& out, AVPixelFormat format, const GstVideoRectangle& place) {
    int need[4] = {};
    if (!RowRoom(format, place.w, true, need))
        return false;
    for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(&out) && p < 4; ++p) {
        // Only RGB, in one plane, is placed off the frame's left edge.
        const int x = p == 0 ? place.x * GST_VIDEO_INFO_COMP_PSTRIDE(&out, 0) : 0;
        if (x + need[p] > GST_VIDEO_INFO_PLANE_STRIDE(&out, p))
            return false;
    }
    return true;
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
    for (SwsContext** context : {&context_, &first_, &main_, &rest_}) {
        sws_freeContext(*context);
        *context = nullptr;
    }
    for (Scratch* scratch : {&between_, &source_, &picture_})
        scratch->Free();
    halve_ = false;
    key_ = Key();
}

bool FrameConverter::Scratch::Fit(int w, int h, AVPixelFormat f) {
    if (data[0] && w == width && h == height && f == format)
        return true;
    Free();
    // Each row of it as long as RowRoom says (av_image_alloc rounds rows up
    // to the alignment it is given).
    if (av_image_alloc(data, stride, (w + kGroup - 1) / kGroup * kGroup, h, f, kRowAlign) < 0)
        return false;
    width = w, height = h, format = f;
    return true;
}

void FrameConverter::Scratch::Free() {
    av_freep(&data[0]);
    *this = Scratch();
}

// YUV going to RGB reaches libswscale's fast path (8-bit planar YUV at the
// output's size) through a first step in YUV where it is not there already:
// deep YUV has its depth taken to 8 bits, dithered (straight to RGB
// libswscale cuts the low bits off: 10-bit greys 600 to 603 all came out as
// 156); NV12 and packed YUV are made planar (NV12 straight to RGB took 2.3
// ms a 1080p frame, through I420 0.55); and a picture of another size is
// scaled bilinearly in YUV (720p to 1080p: 1.0 + 0.5 ms, against 2.3 in one
// pass to RGB); a picture of exactly twice the place's size each way is
// halved by ours (Halve). Returns the format the second step reads,
// AV_PIX_FMT_NONE when libswscale refuses.
AVPixelFormat FrameConverter::MakeFirstStep(const GstVideoInfo& in, const GstVideoInfo& out) {
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
    if (in_->av == planar && HalvesExactly(in, to)) {
        halve_ = true;
        return between_.Fit(to.w, to.h, planar) ? planar : AV_PIX_FMT_NONE;
    }
    first_ = sws_getContext(in.width, in.height, in_->av, to.w, to.h, planar, SWS_BILINEAR, nullptr,
                            nullptr, nullptr);
    return first_ && between_.Fit(to.w, to.h, planar) ? planar : AV_PIX_FMT_NONE;
}

// A context of the second step from `width`x`height` of `from` to
// `toWidth`x`toHeight` of the output's format, with the input's matrix and
// range; RGB out is full range. Null when libswscale refuses.
SwsContext* FrameConverter::NewContext(int width, int height, AVPixelFormat from, int toWidth,
                                       int toHeight, const GstVideoInfo& in,
                                       const GstVideoInfo& out) const {
    SwsContext* context = sws_getContext(width, height, from, toWidth, toHeight, out_->av,
                                         SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context && GST_VIDEO_INFO_IS_YUV(&in)) {
        const int* matrix = sws_getCoefficients(SwsMatrixOf(in.colorimetry.matrix));
        const int inRange = in.colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255 ? 1 : 0;
        const bool yuvOut = GST_VIDEO_INFO_IS_YUV(&out);
        // YUV out keeps the matrix and range (the caps say so): only the depth changes.
        sws_setColorspaceDetails(
            context, matrix, inRange, yuvOut ? matrix : sws_getCoefficients(SWS_CS_DEFAULT),
            yuvOut ? inRange : 1, yuvOut ? 0 : LevelOffset(in), 1 << 16, 1 << 16);
    }
    return context;
}

// Contexts for `key_`. False when libswscale refuses.
bool FrameConverter::MakeContexts(const GstVideoInfo& in, const GstVideoInfo& out) {
    from_ = MakeFirstStep(in, out);
    if (from_ == AV_PIX_FMT_NONE)
        return false;
    const GstVideoRectangle& place = key_.place;
    const int width = FirstStep() ? place.w : in.width;
    const int height = FirstStep() ? place.h : in.height;
    context_ = NewContext(width, height, from_, place.w, place.h, in, out);
    return context_ != nullptr;
}

// The input frame (`from`, in libswscale's plane order) as libswscale is
// to read it (`src`): the frame itself where each row has room for what
// libswscale reads past its end (past the frame's last row it would read
// past its buffer), else a copy in `source_`. False when the copy cannot
// be had.
bool FrameConverter::Source(const GstVideoInfo& in, const uint8_t* const from[4],
                            const int fromStride[4], const uint8_t* src[4], int srcStride[4]) {
    int need[4] = {};
    bool room = RowRoom(in_->av, in.width, false, need);
    for (int p = 0; p < 4 && from[p] && room; ++p)
        room = need[p] <= fromStride[p];
    if (!room) {
        if (!source_.Fit(in.width, in.height, in_->av))
            return false;
        av_image_copy(source_.data, source_.stride, const_cast<const uint8_t**>(from), fromStride,
                      in_->av, in.width, in.height);
    }
    for (int p = 0; p < 4; ++p) {
        src[p] = room ? from[p] : source_.data[p];
        srcStride[p] = room ? fromStride[p] : source_.stride[p];
    }
    return true;
}

// Where the place's rows have no room but the second step keeps the size,
// into RGB: all but the place's last (width mod kGroup) columns straight
// into the frame (`at`), those through `picture_`, at the cost of a context
// more rather than of a copy of the whole picture. False where it cannot.
// (Not into YUV: libswscale 6.7 read out of bounds taking NV21 129x2 to
// I420 in two such parts.)
bool FrameConverter::Split(const GstVideoInfo& in, const uint8_t* const src[4],
                           const int srcStride[4], const GstVideoInfo& out, uint8_t* const at[4],
                           const int atStride[4]) {
    const GstVideoRectangle& place = key_.place;
    const int height = FirstStep() ? place.h : in.height;
    const int main = place.w / kGroup * kGroup, rest = place.w - main;
    if (GST_VIDEO_INFO_IS_YUV(&out) || (FirstStep() ? place.w : in.width) != place.w ||
        height != place.h || main == 0 ||
        !PlaceHasRoom(out, out_->av, {place.x, place.y, main, place.h}))
        return false;
    if (!main_) {
        main_ = NewContext(main, height, from_, main, height, in, out);
        rest_ = NewContext(rest, height, from_, rest, height, in, out);
    }
    if (!main_ || !rest_ || !picture_.Fit(rest, height, out_->av))
        return false;
    int srcSkip[4] = {}, atSkip[4] = {};
    av_image_fill_linesizes(srcSkip, from_, main);
    av_image_fill_linesizes(atSkip, out_->av, main);
    const uint8_t* restSrc[4] = {};
    uint8_t* restAt[4] = {};
    for (int p = 0; p < 4; ++p) {
        restSrc[p] = src[p] ? src[p] + srcSkip[p] : nullptr;
        restAt[p] = at[p] ? at[p] + atSkip[p] : nullptr;
    }
    sws_scale(main_, src, srcStride, 0, height, at, atStride);
    sws_scale(rest_, restSrc, srcStride, 0, height, picture_.data, picture_.stride);
    av_image_copy(restAt, const_cast<int*>(atStride), const_cast<const uint8_t**>(picture_.data),
                  picture_.stride, out_->av, rest, height);
    return true;
}

// The contexts for frames of `in` into frames of `out`, kept while these
// and the place stay. False when libswscale refuses.
bool FrameConverter::Prepare(const GstVideoInfo& in, const GstVideoInfo& out, bool borders) {
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
    if (context_ && key == key_)
        return true;
    Reset();
    key_ = key;
    in_ = RowOf(key.in);
    out_ = RowOf(key.out);
    if (in_ && in_->in && out_ && out_->out && MakeContexts(in, out))
        return true;
    Reset();
    return false;
}

// The planes of `dst` (laid out as `out` says) from the place's top left.
void FrameConverter::PlaceStart(const GstVideoInfo& out, uint8_t* const dst[4], uint8_t* at[4],
                                int atStride[4]) const {
    const GstVideoRectangle& place = key_.place;
    for (guint i = 0; i < GST_VIDEO_INFO_N_PLANES(&out) && i < 4; ++i) {
        at[i] = dst[i];
        atStride[i] = GST_VIDEO_INFO_PLANE_STRIDE(&out, i);
    }
    at[0] += ptrdiff_t(atStride[0]) * place.y + place.x * GST_VIDEO_INFO_COMP_PSTRIDE(&out, 0);
}

// The second step's picture (`src`: the input or the first step's, with
// `strips` of `bands` over it) into the place in `dst`: straight into the
// frame where each of the place's rows has room, else split (Split) or into
// `picture_` and from there the place's rows alone; then the borders. False
// when `picture_` cannot be had.
bool FrameConverter::Place(const GstVideoInfo& in, const uint8_t* const src[4],
                           const int srcStride[4], const GstVideoInfo& out, uint8_t* const dst[4],
                           const Band* bands, int strips) {
    const GstVideoRectangle& place = key_.place;
    const int height = FirstStep() ? place.h : in.height;
    uint8_t* at[4] = {};
    int atStride[4] = {};
    PlaceStart(out, dst, at, atStride);
    if (PlaceHasRoom(out, out_->av, place)) {
        if (!Slices(context_, src, srcStride, height, bands, strips, at, atStride)) {
            if (!Merge(in, src, srcStride, bands, strips))
                return false;
            sws_scale(context_, source_.data, source_.stride, 0, height, at, atStride);
        }
    } else if (!Split(in, src, srcStride, out, at, atStride)) {
        if (!picture_.Fit(place.w, place.h, out_->av))
            return false;
        sws_scale(context_, src, srcStride, 0, height, picture_.data, picture_.stride);
        av_image_copy(at, atStride, const_cast<const uint8_t**>(picture_.data), picture_.stride,
                      out_->av, place.w, place.h);
    }
    if (place.w != out.width || place.h != out.height)
        FillBorders(out, dst[0], place);
    return true;
}

bool FrameConverter::Convert(const GstVideoInfo& in, const uint8_t* const src[4],
                             const GstVideoInfo& out, uint8_t* const dst[4], bool borders,
                             const Band* bands, int strips) {
    if (!Prepare(in, out, borders))
        return false;
    const uint8_t* from[4] = {};
    int fromStride[4] = {};
    for (guint i = 0; i < GST_VIDEO_INFO_N_PLANES(&in) && i < 4; ++i) {
        from[i] = src[i];
        fromStride[i] = GST_VIDEO_INFO_PLANE_STRIDE(&in, i);
    }
    Band rows[kMostBands];
    if (!bands || strips < 0 || strips > kMostBands || !StripsFit(in, bands, strips))
        strips = 0;  // not ones the mixer makes: the frame as it is
    std::copy(bands, bands + strips, rows);
    if (in_->swapUV) {
        std::swap(from[1], from[2]);
        std::swap(fromStride[1], fromStride[2]);
        for (Band& strip : rows) {
            std::swap(strip.data[1], strip.data[2]);
            std::swap(strip.stride[1], strip.stride[2]);
        }
    }
    const uint8_t* read[4] = {};
    int readStride[4] = {};
    if (!Source(in, from, fromStride, read, readStride))
        return false;
    // Where the frame was copied (no room in its rows), or the place is
    // written in pieces, the strips go over a copy of it.
    const bool sliced = FirstStep() || PlaceHasRoom(out, out_->av, key_.place);
    auto merge = [&] {
        if (!Merge(in, read, readStride, rows, strips))
            return false;
        strips = 0;
        for (int p = 0; p < 4; ++p) {
            read[p] = source_.data[p];
            readStride[p] = source_.stride[p];
        }
        return true;
    };
    if (strips && (read[0] != from[0] || !sliced) && !merge())
        return false;
    if (!FirstStep())
        return Place(in, read, readStride, out, dst, rows, strips);
    if (halve_ && PlaceHasRoom(out, out_->av, key_.place)) {
        uint8_t* at[4] = {};
        int atStride[4] = {};
        PlaceStart(out, dst, at, atStride);
        HalveInto(read, readStride, rows, strips, at, atStride);
        if (key_.place.w != out.width || key_.place.h != out.height)
            FillBorders(out, dst[0], key_.place);
        return true;
    }
    if (halve_) {
        Halve(read, readStride, rows, strips, 0, key_.place.h);
    } else if (!Slices(first_, read, readStride, in.height, rows, strips, between_.data,
                       between_.stride)) {
        if (!merge())
            return false;
        sws_scale(first_, read, readStride, 0, in.height, between_.data, between_.stride);
    }
    return Place(in, between_.data, between_.stride, out, dst, nullptr, 0);
}

}  // namespace tavimo::swscale_internal
