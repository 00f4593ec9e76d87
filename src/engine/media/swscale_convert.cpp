// "tavimoswscale": the display's colour converter on libswscale (see
// swscale_convert.h). 8-bit planar YUV at the output's size takes
// libswscale's unscaled path to 32-bit RGB (SIMD, about a third of what
// videoconvert costs a frame); anything else gets there through a first
// step in YUV (MakeFirstStep).
#include "engine/media/swscale_convert.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/media/swscale_formats.h"

namespace tavimo {
namespace {

using namespace swscale_internal;

constexpr const char kFactoryName[] = "tavimoswscale";
constexpr const char kElementName[] = "Tavimo Colour Converter";

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

struct TavimoSwscale {
    GstVideoFilter parent;
    std::atomic<bool> addBorders;
    SwsContext* context;  // for the picture's place below; null until a frame needs it
    SwsContext* first;    // YUV to `between` first, or null
    uint8_t* between[4];  // 8-bit planar YUV at the place's size (av_image_alloc's)
    int betweenStride[4];
    GstVideoRectangle place;  // where the picture goes in the output frame
    const FormatRow* in;
    const FormatRow* out;
};

struct TavimoSwscaleClass {
    GstVideoFilterClass parent_class;
};

GType tavimo_swscale_get_type();
G_DEFINE_TYPE(TavimoSwscale, tavimo_swscale, GST_TYPE_VIDEO_FILTER)

TavimoSwscale* Self(gpointer object) {
    return reinterpret_cast<TavimoSwscale*>(object);
}

enum { kPropAddBorders = 1 };

// Where a picture of `in`'s display shape goes in a frame of `out`'s: all of
// it, or with `borders` the largest rectangle of that shape, centred.
GstVideoRectangle PlaceOf(const GstVideoInfo* in, const GstVideoInfo* out, bool borders) {
    GstVideoRectangle all = {0, 0, GST_VIDEO_INFO_WIDTH(out), GST_VIDEO_INFO_HEIGHT(out)};
    if (!borders || GST_VIDEO_INFO_IS_YUV(out))
        return all;
    auto shape = [](const GstVideoInfo* v) {
        return double(v->width) * std::max(v->par_n, 1) /
               (double(v->height) * std::max(v->par_d, 1));
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
int LevelOffset(const GstVideoInfo* in) {
    return GST_VIDEO_FORMAT_INFO_W_SUB(in->finfo, 1) > 0 ? 240 : 0;
}

void FreeFirstStep(TavimoSwscale* self) {
    sws_freeContext(self->first);
    self->first = nullptr;
    av_freep(&self->between[0]);
}

// Streaming thread: YUV going to RGB reaches libswscale's fast path (8-bit
// planar YUV at the output's size) through a first step in YUV where it is
// not there already: deep YUV has its depth taken to 8 bits, dithered
// (straight to RGB libswscale cuts the low bits off: 10-bit greys 600 to 603
// all came out as 156); NV12 and packed YUV are made planar (NV12 straight
// to RGB took 2.3 ms a 1080p frame, through I420 0.55); and a picture of
// another size is scaled bilinearly in YUV (720p to 1080p: 1.0 + 0.5 ms,
// against 2.3 in one pass to RGB). Returns the format the second step
// reads, AV_PIX_FMT_NONE when libswscale refuses.
AVPixelFormat MakeFirstStep(TavimoSwscale* self, const GstVideoInfo* in, const GstVideoInfo* out) {
    FreeFirstStep(self);
    if (!GST_VIDEO_INFO_IS_YUV(in) || GST_VIDEO_INFO_IS_YUV(out))
        return self->in->av;
    const guint wSub = GST_VIDEO_FORMAT_INFO_W_SUB(in->finfo, 1);
    const guint hSub = GST_VIDEO_FORMAT_INFO_H_SUB(in->finfo, 1);
    const AVPixelFormat planar = wSub && hSub ? AV_PIX_FMT_YUV420P
                                 : wSub       ? AV_PIX_FMT_YUV422P
                                              : AV_PIX_FMT_YUV444P;
    const GstVideoRectangle& to = self->place;
    if (self->in->av == planar && to.w == in->width && to.h == in->height)
        return planar;
    self->first = sws_getContext(in->width, in->height, self->in->av, to.w, to.h, planar,
                                 SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!self->first ||
        av_image_alloc(self->between, self->betweenStride, to.w, to.h, planar, 32) < 0) {
        FreeFirstStep(self);
        return AV_PIX_FMT_NONE;
    }
    return planar;
}

// Streaming thread: a context for the negotiated formats at `place`'s size,
// with the input's matrix and range; RGB out is full range. False when
// libswscale refuses.
bool MakeContext(TavimoSwscale* self, const GstVideoInfo* in, const GstVideoInfo* out) {
    sws_freeContext(self->context);
    self->context = nullptr;
    const AVPixelFormat from = MakeFirstStep(self, in, out);
    if (from == AV_PIX_FMT_NONE)
        return false;
    const int width = self->first ? self->place.w : in->width;
    const int height = self->first ? self->place.h : in->height;
    self->context = sws_getContext(width, height, from, self->place.w, self->place.h, self->out->av,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!self->context)
        return false;
    if (GST_VIDEO_INFO_IS_YUV(in)) {
        const int* matrix = sws_getCoefficients(SwsMatrixOf(in->colorimetry.matrix));
        const int inRange = in->colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255 ? 1 : 0;
        const bool yuvOut = GST_VIDEO_INFO_IS_YUV(out);
        // YUV out keeps the matrix and range (the caps say so): only the depth changes.
        sws_setColorspaceDetails(
            self->context, matrix, inRange, yuvOut ? matrix : sws_getCoefficients(SWS_CS_DEFAULT),
            yuvOut ? inRange : 1, yuvOut ? 0 : LevelOffset(in), 1 << 16, 1 << 16);
    }
    return true;
}

// Streaming thread, as caps are agreed on each side.
gboolean SetInfo(GstVideoFilter* filter, GstCaps*, GstVideoInfo* in, GstCaps*, GstVideoInfo* out) {
    TavimoSwscale* self = Self(filter);
    self->in = RowOf(GST_VIDEO_INFO_FORMAT(in));
    self->out = RowOf(GST_VIDEO_INFO_FORMAT(out));
    sws_freeContext(self->context);
    self->context = nullptr;
    FreeFirstStep(self);
    self->place = {0, 0, 0, 0};
    return self->in && self->in->in && self->out && self->out->out;
}

// Black around the picture's place (0 is black in every RGB output).
void FillBorders(GstVideoFrame* frame, const GstVideoRectangle& place) {
    auto* data = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(frame, 0));
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(frame, 0);
    const int pixel = GST_VIDEO_FRAME_COMP_PSTRIDE(frame, 0);
    const int width = GST_VIDEO_FRAME_WIDTH(frame), height = GST_VIDEO_FRAME_HEIGHT(frame);
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

// Streaming thread: one frame converted (and scaled) into the sink's buffer.
GstFlowReturn TransformFrame(GstVideoFilter* filter, GstVideoFrame* inFrame,
                             GstVideoFrame* outFrame) {
    TavimoSwscale* self = Self(filter);
    const GstVideoRectangle place = PlaceOf(&inFrame->info, &outFrame->info, self->addBorders);
    if (!self->context || std::memcmp(&place, &self->place, sizeof place) != 0) {
        self->place = place;
        if (!MakeContext(self, &inFrame->info, &outFrame->info)) {
            GST_ELEMENT_ERROR(
                filter, CORE, NEGOTIATION, (nullptr),
                ("libswscale cannot convert %s to %s", gst_video_format_to_string(self->in->gst),
                 gst_video_format_to_string(self->out->gst)));
            return GST_FLOW_NOT_NEGOTIATED;
        }
    }
    const uint8_t* src[4] = {};
    int srcStride[4] = {};
    for (guint i = 0; i < GST_VIDEO_FRAME_N_PLANES(inFrame) && i < 4; ++i) {
        src[i] = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(inFrame, i));
        srcStride[i] = GST_VIDEO_FRAME_PLANE_STRIDE(inFrame, i);
    }
    if (self->in->swapUV) {
        std::swap(src[1], src[2]);
        std::swap(srcStride[1], srcStride[2]);
    }
    int height = GST_VIDEO_FRAME_HEIGHT(inFrame);
    if (self->first) {
        sws_scale(self->first, src, srcStride, 0, height, self->between, self->betweenStride);
        std::copy(self->between, self->between + 4, src);
        std::copy(self->betweenStride, self->betweenStride + 4, srcStride);
        height = place.h;
    }
    uint8_t* dst[4] = {};
    int dstStride[4] = {};
    for (guint i = 0; i < GST_VIDEO_FRAME_N_PLANES(outFrame) && i < 4; ++i) {
        dst[i] = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(outFrame, i));
        dstStride[i] = GST_VIDEO_FRAME_PLANE_STRIDE(outFrame, i);
    }
    if (place.w != GST_VIDEO_FRAME_WIDTH(outFrame) || place.h != GST_VIDEO_FRAME_HEIGHT(outFrame)) {
        FillBorders(outFrame, place);
        dst[0] += size_t(dstStride[0]) * place.y +
                  size_t(place.x) * GST_VIDEO_FRAME_COMP_PSTRIDE(outFrame, 0);
    }
    sws_scale(self->context, src, srcStride, 0, height, dst, dstStride);
    return GST_FLOW_OK;
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
    if (id == kPropAddBorders)
        Self(object)->addBorders = g_value_get_boolean(value);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
    if (id == kPropAddBorders)
        g_value_set_boolean(value, Self(object)->addBorders);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void Finalize(GObject* object) {
    sws_freeContext(Self(object)->context);
    FreeFirstStep(Self(object));
    G_OBJECT_CLASS(tavimo_swscale_parent_class)->finalize(object);
}

void tavimo_swscale_class_init(TavimoSwscaleClass* klass) {
    auto* object_class = G_OBJECT_CLASS(klass);
    auto* element_class = GST_ELEMENT_CLASS(klass);
    auto* trans_class = GST_BASE_TRANSFORM_CLASS(klass);
    auto* filter_class = GST_VIDEO_FILTER_CLASS(klass);
    object_class->set_property = SetProperty;
    object_class->get_property = GetProperty;
    object_class->finalize = Finalize;
    g_object_class_install_property(
        object_class, kPropAddBorders,
        g_param_spec_boolean("add-borders", "Add borders",
                             "Keep the picture's display aspect with black borders", TRUE,
                             GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
    gst_element_class_set_static_metadata(element_class, kElementName,
                                          "Filter/Converter/Video/Scaler",
                                          "Converts and scales video through libswscale", "Tavimo");
    for (bool input : {true, false}) {
        GstCaps* caps = TemplateCaps(input);
        gst_element_class_add_pad_template(
            element_class,
            gst_pad_template_new(input ? "sink" : "src", input ? GST_PAD_SINK : GST_PAD_SRC,
                                 GST_PAD_ALWAYS, caps));
        gst_caps_unref(caps);
    }
    trans_class->transform_caps = TransformCaps;
    trans_class->fixate_caps = FixateCaps;
    trans_class->passthrough_on_same_caps = TRUE;
    trans_class->propose_allocation = swscale_internal::ProposeInputPool;
    filter_class->set_info = SetInfo;
    filter_class->transform_frame = TransformFrame;
}

void tavimo_swscale_init(TavimoSwscale* self) {
    new (&self->addBorders) std::atomic<bool>(true);
    self->context = nullptr;
    self->first = nullptr;
    std::fill(self->between, self->between + 4, nullptr);
    std::fill(self->betweenStride, self->betweenStride + 4, 0);
    self->place = {0, 0, 0, 0};
    self->in = self->out = nullptr;
}

}  // namespace

bool RegisterSwscaleConvert() {
    return gst_element_register(nullptr, kFactoryName, GST_RANK_NONE, tavimo_swscale_get_type());
}

GstElement* NewSwscaleConvert() {
    return RegisterSwscaleConvert() ? gst_element_factory_make(kFactoryName, nullptr) : nullptr;
}

}  // namespace tavimo
