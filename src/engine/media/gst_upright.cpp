// "tavimoupright" (see gst_upright.h): a GstVideoFilter that reads the
// stream's orientation tag, agrees caps of the turned size, and turns each
// plane of the picture in tiles; with no turn asked it is in passthrough.
#include "engine/media/gst_upright.h"

#include <gst/base/gstbasetransform.h>
#include <gst/video/gstvideofilter.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tavimo {
namespace {

constexpr const char kFactoryName[] = "tavimoupright";
constexpr const char kElementName[] = "Tavimo Upright";

// The formats whose planes turn as whole elements of 1 to 4 bytes (4:2:0
// chroma turns with its luma; 4:2:2 and packed YUV would not). A stream in
// another format is passed on as it is.
GstStaticCaps gTurnable = GST_STATIC_CAPS(
    "video/x-raw, format=(string){ I420, YV12, NV12, NV21, Y444, GRAY8, BGRx, BGRA, RGBx, RGBA, "
    "xRGB, ARGB, xBGR, ABGR, BGR, RGB }");

struct TavimoUpright {
    GstVideoFilter parent;
    GstVideoOrientationMethod method;  // the last tag's; under the object lock
    GstVideoOrientationMethod active;  // what the agreed caps turn by; streaming thread
};

struct TavimoUprightClass {
    GstVideoFilterClass parent_class;
};

GType tavimo_upright_get_type();
G_DEFINE_TYPE(TavimoUpright, tavimo_upright, GST_TYPE_VIDEO_FILTER)

TavimoUpright* Self(gpointer object) {
    return reinterpret_cast<TavimoUpright*>(object);
}

bool Swaps(GstVideoOrientationMethod method) {
    return method == GST_VIDEO_ORIENTATION_90R || method == GST_VIDEO_ORIENTATION_90L ||
           method == GST_VIDEO_ORIENTATION_UL_LR || method == GST_VIDEO_ORIENTATION_UR_LL;
}

bool Turnable(GstVideoFormat format) {
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                        gst_video_format_to_string(format), nullptr);
    GstCaps* turnable = gst_static_caps_get(&gTurnable);
    const bool can = gst_caps_can_intersect(caps, turnable);
    gst_caps_unref(turnable);
    gst_caps_unref(caps);
    return can;
}

// Where the source element of output element (x, y) is: sx = ax x + bx y +
// cx, sy = ay x + by y + cy, for a source of w x h.
struct Map {
    int ax, bx, cx, ay, by, cy;
};

Map MapOf(GstVideoOrientationMethod method, int w, int h) {
    switch (method) {
        case GST_VIDEO_ORIENTATION_90R:
            return {0, 1, 0, -1, 0, h - 1};
        case GST_VIDEO_ORIENTATION_180:
            return {-1, 0, w - 1, 0, -1, h - 1};
        case GST_VIDEO_ORIENTATION_90L:
            return {0, -1, w - 1, 1, 0, 0};
        case GST_VIDEO_ORIENTATION_HORIZ:
            return {-1, 0, w - 1, 0, 1, 0};
        case GST_VIDEO_ORIENTATION_VERT:
            return {1, 0, 0, 0, -1, h - 1};
        case GST_VIDEO_ORIENTATION_UL_LR:
            return {0, 1, 0, 1, 0, 0};
        case GST_VIDEO_ORIENTATION_UR_LL:
            return {0, -1, w - 1, -1, 0, h - 1};
        default:
            return {1, 0, 0, 0, 1, 0};
    }
}

// Output elements [x0, x1) x [y0, y1), one at a time.
template <int E>
void TurnRect(const uint8_t* in, int inStride, uint8_t* out, int outStride, const Map& m, int x0,
              int x1, int y0, int y1) {
    const ptrdiff_t stepX = ptrdiff_t{m.ax} * E + ptrdiff_t{m.ay} * inStride;
    for (int y = y0; y < y1; ++y) {
        const ptrdiff_t sx = ptrdiff_t{m.ax} * x0 + ptrdiff_t{m.bx} * y + m.cx;
        const ptrdiff_t sy = ptrdiff_t{m.ay} * x0 + ptrdiff_t{m.by} * y + m.cy;
        const uint8_t* s = in + sy * inStride + sx * E;
        uint8_t* d = out + ptrdiff_t{y} * outStride + ptrdiff_t{x0} * E;
        for (int x = x0; x < x1; ++x, s += stepX, d += E)
            std::memcpy(d, s, E);
    }
}

// In tiles of 64 x 64 output elements: the source rows a tile reads stay
// in the cache while its columns are walked.
constexpr int kTile = 64;

template <int E>
void TurnTiles(const uint8_t* in, int inStride, uint8_t* out, int outStride, int outWidth,
               int outHeight, const Map& m) {
    for (int ty = 0; ty < outHeight; ty += kTile)
        for (int tx = 0; tx < outWidth; tx += kTile)
            TurnRect<E>(in, inStride, out, outStride, m, tx, std::min(tx + kTile, outWidth), ty,
                        std::min(ty + kTile, outHeight));
}

// A turn that keeps the sizes (ay = bx = 0 in its map): each output row is
// a source row, reversed for a half turn or a mirror left to right.
template <int E>
void TurnRows(const uint8_t* in, int inStride, uint8_t* out, int outStride, int width, int height,
              const Map& m) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = in + (ptrdiff_t{m.by} * y + m.cy) * inStride;
        uint8_t* d = out + ptrdiff_t{y} * outStride;
        if (m.ax > 0) {
            std::memcpy(d, s, size_t(width) * E);
            continue;
        }
        int x = 0;
        if constexpr (E == 1) {
            for (; x + 8 <= width; x += 8) {  // eight bytes at a time, their order reversed
                uint64_t eight;
                std::memcpy(&eight, s + width - x - 8, 8);
                eight = __builtin_bswap64(eight);
                std::memcpy(d + x, &eight, 8);
            }
        }
        for (; x < width; ++x)
            std::memcpy(d + ptrdiff_t{x} * E, s + ptrdiff_t{width - 1 - x} * E, E);
    }
}

template <int E>
void TurnAny(const uint8_t* in, int inStride, uint8_t* out, int outStride, int outWidth,
             int outHeight, GstVideoOrientationMethod method, const Map& m) {
    if (!Swaps(method))
        return TurnRows<E>(in, inStride, out, outStride, outWidth, outHeight, m);
    TurnTiles<E>(in, inStride, out, outStride, outWidth, outHeight, m);
}

#if defined(__SSE2__)
// The 8 x 8 bytes of output from (bx, by) of a turn that swaps the sizes
// (ax = by = 0 in its map): output column j comes from source row
// ay (bx + j) + cy, output row i from source column bx' (by + i) + cx, so
// the 8 source rows, transposed, are the output rows, in reverse order
// when the source columns run backwards.
void TurnByteBlock(const uint8_t* in, int inStride, uint8_t* out, int outStride, const Map& m,
                   int bx, int by) {
    const ptrdiff_t firstColumn = ptrdiff_t{m.bx} * (m.bx > 0 ? by : by + 7) + m.cx;
    __m128i r[8];
    for (int j = 0; j < 8; ++j) {
        const ptrdiff_t row = ptrdiff_t{m.ay} * (bx + j) + m.cy;
        r[j] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + row * inStride + firstColumn));
    }
    const __m128i b0 = _mm_unpacklo_epi8(r[0], r[1]), b1 = _mm_unpacklo_epi8(r[2], r[3]);
    const __m128i b2 = _mm_unpacklo_epi8(r[4], r[5]), b3 = _mm_unpacklo_epi8(r[6], r[7]);
    const __m128i c0 = _mm_unpacklo_epi16(b0, b1), c1 = _mm_unpackhi_epi16(b0, b1);
    const __m128i c2 = _mm_unpacklo_epi16(b2, b3), c3 = _mm_unpackhi_epi16(b2, b3);
    // Columns 0-1, 2-3, 4-5 and 6-7 of the source block, 8 bytes each.
    const __m128i pairs[4] = {_mm_unpacklo_epi32(c0, c2), _mm_unpackhi_epi32(c0, c2),
                              _mm_unpacklo_epi32(c1, c3), _mm_unpackhi_epi32(c1, c3)};
    for (int k = 0; k < 8; ++k) {
        const __m128i column =
            k % 2 ? _mm_unpackhi_epi64(pairs[k / 2], pairs[k / 2]) : pairs[k / 2];
        const int i = m.bx > 0 ? k : 7 - k;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + ptrdiff_t{by + i} * outStride + bx),
                         column);
    }
}

// A quarter turn or diagonal flip of a plane of bytes: whole 8 x 8 blocks
// eight rows at a time, the edges that do not fill one element by element.
void TurnBytesSwapped(const uint8_t* in, int inStride, uint8_t* out, int outStride, int outWidth,
                      int outHeight, const Map& m) {
    const int w8 = outWidth & ~7, h8 = outHeight & ~7;
    for (int ty = 0; ty < h8; ty += kTile)
        for (int tx = 0; tx < w8; tx += kTile)
            for (int by = ty; by < std::min(ty + kTile, h8); by += 8)
                for (int bx = tx; bx < std::min(tx + kTile, w8); bx += 8)
                    TurnByteBlock(in, inStride, out, outStride, m, bx, by);
    TurnRect<1>(in, inStride, out, outStride, m, w8, outWidth, 0, outHeight);
    TurnRect<1>(in, inStride, out, outStride, m, 0, w8, h8, outHeight);
}
#endif

// The caps `caps` turn into: of a turnable format, first turned (the
// sizes and the pixel aspect swapped for a quarter turn), then as they are
// (a format that cannot turn is passed on unturned).
GstCaps* TurnedCaps(GstCaps* caps, GstVideoOrientationMethod method) {
    if (method == GST_VIDEO_ORIENTATION_IDENTITY)
        return gst_caps_ref(caps);
    GstCaps* turnable = gst_static_caps_get(&gTurnable);
    GstCaps* turned = gst_caps_intersect(caps, turnable);
    gst_caps_unref(turnable);
    turned = gst_caps_make_writable(turned);
    for (guint i = 0; Swaps(method) && i < gst_caps_get_size(turned); ++i) {
        GstStructure* s = gst_caps_get_structure(turned, i);
        GValue width = G_VALUE_INIT, height = G_VALUE_INIT;
        const GValue* w = gst_structure_get_value(s, "width");
        const GValue* h = gst_structure_get_value(s, "height");
        if (w && h) {
            g_value_init(&width, G_VALUE_TYPE(w));
            g_value_copy(w, &width);
            g_value_init(&height, G_VALUE_TYPE(h));
            g_value_copy(h, &height);
            gst_structure_take_value(s, "width", &height);
            gst_structure_take_value(s, "height", &width);
        }
        gint n = 0, d = 0;
        if (gst_structure_get_fraction(s, "pixel-aspect-ratio", &n, &d) && n > 0 && d > 0)
            gst_structure_set(s, "pixel-aspect-ratio", GST_TYPE_FRACTION, d, n, nullptr);
    }
    return gst_caps_merge(turned, gst_caps_ref(caps));
}

GstVideoOrientationMethod MethodOf(TavimoUpright* self) {
    GST_OBJECT_LOCK(self);
    const GstVideoOrientationMethod method = self->method;
    GST_OBJECT_UNLOCK(self);
    return method;
}

// Any thread: a tag asked for another turn; the caps are agreed again at
// the next frame.
void SetMethod(TavimoUpright* self, GstVideoOrientationMethod method) {
    GST_OBJECT_LOCK(self);
    const bool changed = self->method != method;
    self->method = method;
    GST_OBJECT_UNLOCK(self);
    if (!changed)
        return;
    auto* trans = GST_BASE_TRANSFORM(self);
    gst_base_transform_set_passthrough(trans, method == GST_VIDEO_ORIENTATION_IDENTITY);
    gst_base_transform_reconfigure_src(trans);
}

GstCaps* TransformCaps(GstBaseTransform* trans, GstPadDirection, GstCaps* caps, GstCaps* filter) {
    GstCaps* out = TurnedCaps(caps, MethodOf(Self(trans)));
    if (filter) {
        GstCaps* both = gst_caps_intersect_full(filter, out, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(out);
        out = both;
    }
    return out;
}

// Streaming thread: the turn the agreed caps make (none for a format that
// cannot turn, or when the unturned caps were taken).
gboolean SetInfo(GstVideoFilter* filter, GstCaps*, GstVideoInfo* in, GstCaps*, GstVideoInfo* out) {
    TavimoUpright* self = Self(filter);
    GstVideoOrientationMethod method = MethodOf(self);
    const bool swapped = in->width == out->height && in->height == out->width;
    const bool same = in->width == out->width && in->height == out->height;
    if (!Turnable(GST_VIDEO_INFO_FORMAT(in)) || (Swaps(method) && !swapped) ||
        (!Swaps(method) && !same))
        method = GST_VIDEO_ORIENTATION_IDENTITY;
    self->active = method;
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(filter),
                                       method == GST_VIDEO_ORIENTATION_IDENTITY);
    return (swapped || same) && GST_VIDEO_INFO_FORMAT(in) == GST_VIDEO_INFO_FORMAT(out);
}

GstFlowReturn TransformFrame(GstVideoFilter* filter, GstVideoFrame* in, GstVideoFrame* out) {
    const GstVideoOrientationMethod method = Self(filter)->active;
    const GstVideoFormatInfo* info = in->info.finfo;
    for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(in); ++p) {
        guint comp = 0;  // the first component in plane p
        while (comp + 1 < GST_VIDEO_FRAME_N_COMPONENTS(in) &&
               GST_VIDEO_FORMAT_INFO_PLANE(info, comp) != p)
            ++comp;
        const int elementSize = GST_VIDEO_FORMAT_INFO_PSTRIDE(info, comp);
        TurnPlane(static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(in, p)),
                  GST_VIDEO_FRAME_PLANE_STRIDE(in, p), GST_VIDEO_FRAME_COMP_WIDTH(in, comp),
                  GST_VIDEO_FRAME_COMP_HEIGHT(in, comp),
                  static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(out, p)),
                  GST_VIDEO_FRAME_PLANE_STRIDE(out, p), GST_VIDEO_FRAME_COMP_WIDTH(out, comp),
                  GST_VIDEO_FRAME_COMP_HEIGHT(out, comp), elementSize, method);
    }
    return GST_FLOW_OK;
}

// Streaming thread: the orientation tag sets the turn; a new stream starts
// unturned.
gboolean SinkEvent(GstBaseTransform* trans, GstEvent* event) {
    TavimoUpright* self = Self(trans);
    if (GST_EVENT_TYPE(event) == GST_EVENT_STREAM_START) {
        SetMethod(self, GST_VIDEO_ORIENTATION_IDENTITY);
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_TAG) {
        GstTagList* tags = nullptr;
        gst_event_parse_tag(event, &tags);
        GstVideoOrientationMethod method;
        if (gst_video_orientation_from_tag(tags, &method) && method != GST_VIDEO_ORIENTATION_AUTO &&
            method != GST_VIDEO_ORIENTATION_CUSTOM)
            SetMethod(self, method);
    }
    return GST_BASE_TRANSFORM_CLASS(tavimo_upright_parent_class)->sink_event(trans, event);
}

void tavimo_upright_class_init(TavimoUprightClass* klass) {
    auto* element_class = GST_ELEMENT_CLASS(klass);
    auto* trans_class = GST_BASE_TRANSFORM_CLASS(klass);
    auto* filter_class = GST_VIDEO_FILTER_CLASS(klass);
    gst_element_class_set_static_metadata(element_class, kElementName, "Filter/Effect/Video",
                                          "Turns pictures as their orientation tag says", "Tavimo");
    for (GstPadDirection direction : {GST_PAD_SINK, GST_PAD_SRC}) {
        GstCaps* caps = gst_caps_from_string(GST_VIDEO_CAPS_MAKE(GST_VIDEO_FORMATS_ALL));
        gst_element_class_add_pad_template(
            element_class, gst_pad_template_new(direction == GST_PAD_SINK ? "sink" : "src",
                                                direction, GST_PAD_ALWAYS, caps));
        gst_caps_unref(caps);
    }
    trans_class->transform_caps = TransformCaps;
    trans_class->sink_event = SinkEvent;
    filter_class->set_info = SetInfo;
    filter_class->transform_frame = TransformFrame;
}

void tavimo_upright_init(TavimoUpright* self) {
    self->method = GST_VIDEO_ORIENTATION_IDENTITY;
    self->active = GST_VIDEO_ORIENTATION_IDENTITY;
    gst_base_transform_set_passthrough(GST_BASE_TRANSFORM(self), TRUE);
}

}  // namespace

void TurnPlane(const uint8_t* in, int inStride, int inWidth, int inHeight, uint8_t* out,
               int outStride, int outWidth, int outHeight, int elementSize,
               GstVideoOrientationMethod method) {
    const bool sizesFit = Swaps(method) ? outWidth == inHeight && outHeight == inWidth
                                        : outWidth == inWidth && outHeight == inHeight;
    if (!sizesFit || inWidth <= 0 || inHeight <= 0)
        return;
    const Map m = MapOf(method, inWidth, inHeight);
    switch (elementSize) {
        case 1:
#if defined(__SSE2__)
            if (Swaps(method))
                return TurnBytesSwapped(in, inStride, out, outStride, outWidth, outHeight, m);
#endif
            return TurnAny<1>(in, inStride, out, outStride, outWidth, outHeight, method, m);
        case 2:
            return TurnAny<2>(in, inStride, out, outStride, outWidth, outHeight, method, m);
        case 3:
            return TurnAny<3>(in, inStride, out, outStride, outWidth, outHeight, method, m);
        case 4:
            return TurnAny<4>(in, inStride, out, outStride, outWidth, outHeight, method, m);
        default:
            return;
    }
}

GstElement* NewUpright() {
    if (!gst_element_register(nullptr, kFactoryName, GST_RANK_NONE, tavimo_upright_get_type()))
        return nullptr;
    return gst_element_factory_make(kFactoryName, nullptr);
}

}  // namespace tavimo
