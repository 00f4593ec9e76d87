// The formats of the display's colour converter on libswscale (see
// swscale_convert.h), shared by its element and its caps negotiation. Not for
// use outside engine/media.
#pragma once

#include <gst/base/gstbasetransform.h>
#include <gst/video/video.h>

#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace tavimo::swscale_internal {

// The formats the converter takes (in) and gives (out), with libswscale's
// name for each. GStreamer's planes are in memory order, libswscale's in
// Y, U, V order: `swapUV` marks the one where they differ. The YUV outputs
// serve to take a deep picture's depth off (dithered) in front of the mixer.
struct FormatRow {
    GstVideoFormat gst;
    AVPixelFormat av;
    bool in, out, swapUV;
};

inline constexpr FormatRow kFormats[] = {
    // what X servers draw, 32 bits a pixel first, then 24, 16 and 15
    {GST_VIDEO_FORMAT_BGRx, AV_PIX_FMT_BGR0, true, true, false},
    {GST_VIDEO_FORMAT_RGBx, AV_PIX_FMT_RGB0, true, true, false},
    {GST_VIDEO_FORMAT_xRGB, AV_PIX_FMT_0RGB, true, true, false},
    {GST_VIDEO_FORMAT_xBGR, AV_PIX_FMT_0BGR, true, true, false},
    {GST_VIDEO_FORMAT_BGR, AV_PIX_FMT_BGR24, true, true, false},
    {GST_VIDEO_FORMAT_RGB, AV_PIX_FMT_RGB24, true, true, false},
    {GST_VIDEO_FORMAT_RGB16, AV_PIX_FMT_RGB565, true, true, false},
    {GST_VIDEO_FORMAT_RGB15, AV_PIX_FMT_RGB555, true, true, false},
    // 8-bit YUV as the decoders give it
    {GST_VIDEO_FORMAT_I420, AV_PIX_FMT_YUV420P, true, true, false},
    {GST_VIDEO_FORMAT_YV12, AV_PIX_FMT_YUV420P, true, false, true},
    {GST_VIDEO_FORMAT_NV12, AV_PIX_FMT_NV12, true, false, false},
    {GST_VIDEO_FORMAT_NV21, AV_PIX_FMT_NV21, true, false, false},
    {GST_VIDEO_FORMAT_YUY2, AV_PIX_FMT_YUYV422, true, false, false},
    {GST_VIDEO_FORMAT_UYVY, AV_PIX_FMT_UYVY422, true, false, false},
    {GST_VIDEO_FORMAT_Y42B, AV_PIX_FMT_YUV422P, true, true, false},
    {GST_VIDEO_FORMAT_Y444, AV_PIX_FMT_YUV444P, true, true, false},
    // deep YUV
    {GST_VIDEO_FORMAT_I420_10LE, AV_PIX_FMT_YUV420P10LE, true, false, false},
    {GST_VIDEO_FORMAT_I422_10LE, AV_PIX_FMT_YUV422P10LE, true, false, false},
    {GST_VIDEO_FORMAT_Y444_10LE, AV_PIX_FMT_YUV444P10LE, true, false, false},
    {GST_VIDEO_FORMAT_P010_10LE, AV_PIX_FMT_P010LE, true, false, false},
    {GST_VIDEO_FORMAT_I420_12LE, AV_PIX_FMT_YUV420P12LE, true, false, false},
    {GST_VIDEO_FORMAT_I422_12LE, AV_PIX_FMT_YUV422P12LE, true, false, false},
    {GST_VIDEO_FORMAT_Y444_12LE, AV_PIX_FMT_YUV444P12LE, true, false, false},
    // RGB with alpha, its alpha dropped
    {GST_VIDEO_FORMAT_BGRA, AV_PIX_FMT_BGRA, true, false, false},
    {GST_VIDEO_FORMAT_RGBA, AV_PIX_FMT_RGBA, true, false, false},
    {GST_VIDEO_FORMAT_ARGB, AV_PIX_FMT_ARGB, true, false, false},
    {GST_VIDEO_FORMAT_ABGR, AV_PIX_FMT_ABGR, true, false, false},
};

inline const FormatRow* RowOf(GstVideoFormat format) {
    for (const FormatRow& row : kFormats)
        if (row.gst == format)
            return &row;
    return nullptr;
}

// One picture's conversion (and scaling) through libswscale, from the
// planes of a frame laid out as one GstVideoInfo says into those of a frame
// laid out as another says; apart from the element, so that a test or a
// fuzzer can give it buffers of its own (swscale_frames.cpp). One thread at
// a time (the streaming thread).
class FrameConverter {
  public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // `src` (plane pointers in GStreamer's order, strides in `in`) converted
    // into `dst` (strides in `out`): the picture at its place, with `borders`
    // the largest of its display shape centred, black around it. Writes
    // nothing outside the planes `out` describes; reads, for some formats,
    // a few bytes past the input's last row (decoders' pictures have rows
    // to spare below). False when a format is not the table's or libswscale
    // refuses.
    //
    // With `bands` (`strips` of them, ascending and apart), the input's rows
    // they hold are read from them rather than from `src` (a subtitle drawn
    // beside a frame the decoder still holds): libswscale takes the frame
    // in slices, the frame's rows and the strips' in turn, so the picture
    // costs no copy where the frame's rows have room (else the frame is
    // copied once, with the strips over it). Strips that are not so leave
    // the frame as it is.
    static constexpr int kMostBands = 4;
    struct Band {
        int first = 0, rows = 0;      // image rows; `first` a multiple of the chroma's height
        const uint8_t* data[4] = {};  // each plane's first row of the strip (GStreamer's order)
        int stride[4] = {};
    };
    bool Convert(const GstVideoInfo& in, const uint8_t* const src[4], const GstVideoInfo& out,
                 uint8_t* const dst[4], bool borders, const Band* bands = nullptr, int strips = 0);

    // Drops the contexts, as new caps are agreed.
    void Reset();

  private:
    // What the contexts were made for.
    struct Key {
        GstVideoFormat in = GST_VIDEO_FORMAT_UNKNOWN, out = GST_VIDEO_FORMAT_UNKNOWN;
        int inWidth = 0, inHeight = 0, outWidth = 0, outHeight = 0;
        GstVideoColorMatrix matrix = GST_VIDEO_COLOR_MATRIX_UNKNOWN;
        GstVideoColorRange range = GST_VIDEO_COLOR_RANGE_UNKNOWN;
        GstVideoRectangle place = {0, 0, 0, 0};
        bool operator==(const Key& other) const;
    };
    // A picture of libswscale's own, each row with room for the whole
    // groups of pixels libswscale reads and writes past a row's end.
    struct Scratch {
        uint8_t* data[4] = {};
        int stride[4] = {};
        int width = 0, height = 0;
        AVPixelFormat format = AV_PIX_FMT_NONE;
        // False when it cannot be had at that size.
        bool Fit(int w, int h, AVPixelFormat f);
        void Free();
    };
    bool Prepare(const GstVideoInfo& in, const GstVideoInfo& out, bool borders);
    bool MakeContexts(const GstVideoInfo& in, const GstVideoInfo& out);
    AVPixelFormat MakeFirstStep(const GstVideoInfo& in, const GstVideoInfo& out);
    SwsContext* NewContext(int width, int height, AVPixelFormat from, int toWidth, int toHeight,
                           const GstVideoInfo& in, const GstVideoInfo& out) const;
    bool Source(const GstVideoInfo& in, const uint8_t* const from[4], const int fromStride[4],
                const uint8_t* src[4], int srcStride[4]);
    bool Split(const GstVideoInfo& in, const uint8_t* const src[4], const int srcStride[4],
               const GstVideoInfo& out, uint8_t* const at[4], const int atStride[4]);
    bool Place(const GstVideoInfo& in, const uint8_t* const src[4], const int srcStride[4],
               const GstVideoInfo& out, uint8_t* const dst[4], const Band* bands, int strips);
    bool Slices(SwsContext* context, const uint8_t* const src[4], const int srcStride[4],
                int height, const Band* bands, int strips, uint8_t* const dst[4],
                const int dstStride[4]) const;
    bool Merge(const GstVideoInfo& in, const uint8_t* const src[4], const int srcStride[4],
               const Band* bands, int strips);
    bool StripsFit(const GstVideoInfo& in, const Band* bands, int strips) const;
    // Whether the first step halves `in` into `to` by whole 2x2 blocks
    // (swscale_halve.cpp).
    static bool HalvesExactly(const GstVideoInfo& in, const GstVideoRectangle& to);
    const uint8_t* ReadRow(int p, int y, const uint8_t* const src[4], const int srcStride[4],
                           const Band* bands, int strips) const;
    // Rows `first` to `first + rows` of the place (multiples of the chroma's
    // height) halved from the input (libswscale's plane order, `strips` of
    // `bands` over it) into `between_` from its top.
    void Halve(const uint8_t* const src[4], const int srcStride[4], const Band* bands, int strips,
               int first, int rows);
    // The input halved and converted into the place (`at`) a few rows at a
    // time, each stretch converted while still in cache.
    void HalveInto(const uint8_t* const src[4], const int srcStride[4], const Band* bands,
                   int strips, uint8_t* const at[4], const int atStride[4]);
    void PlaceStart(const GstVideoInfo& out, uint8_t* const dst[4], uint8_t* at[4],
                    int atStride[4]) const;
    bool FirstStep() const { return first_ != nullptr || halve_; }

    Key key_;
    const FormatRow* in_ = nullptr;
    const FormatRow* out_ = nullptr;
    SwsContext* context_ = nullptr;         // into the place; null until a frame needs it
    SwsContext* first_ = nullptr;           // YUV to `between_` first, or null
    bool halve_ = false;                    // or that step halves the picture (Halve)
    SwsContext* main_ = nullptr;            // the place's columns but the last few (Split)
    SwsContext* rest_ = nullptr;            // those last few
    AVPixelFormat from_ = AV_PIX_FMT_NONE;  // what the second step reads
    Scratch between_;                       // 8-bit planar YUV at the place's size
    Scratch source_;                        // the input, where the frame has no room
    Scratch picture_;                       // the place's picture, where the frame has no room
};

// The caps of every format of the table that libswscale here takes as input
// (`input`) or gives as output, at any size and rate.
GstCaps* TemplateCaps(bool input);

// GstBaseTransform's transform_caps and fixate_caps for the converter
// (swscale_caps.cpp).
GstCaps* TransformCaps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps,
                       GstCaps* filter);
GstCaps* FixateCaps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps,
                    GstCaps* othercaps);

// GstBaseTransform's propose_allocation for the converter: as GstVideoFilter
// answers (a video pool for the input caps, video meta), with a pool whose
// buffers a libav decoder can render into and hand on without a copy
// (swscale_pool.cpp). Streaming thread.
gboolean ProposeInputPool(GstBaseTransform* trans, GstQuery* decide, GstQuery* query);

}  // namespace tavimo::swscale_internal
