// "tavimoswscale": the display's colour converter on libswscale (see
// swscale_convert.h), an element around FrameConverter (swscale_frames.cpp).
#include "engine/media/swscale_convert.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#include <algorithm>
#include <atomic>
#include <new>

#include "engine/media/swscale_formats.h"
#include "subtitles/drawn_band_meta.h"

namespace tavimo {
namespace {

using namespace swscale_internal;

constexpr const char kFactoryName[] = "tavimoswscale";
constexpr const char kElementName[] = "Tavimo Colour Converter";

struct TavimoSwscale {
    GstVideoFilter parent;
    std::atomic<bool> addBorders;
    FrameConverter* frames;  // owned
    const FormatRow* in;
    const FormatRow* out;
    guint untouched;  // spare buffers of a new output pool not yet written
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

// Streaming thread, as caps are agreed on each side.
gboolean SetInfo(GstVideoFilter* filter, GstCaps*, GstVideoInfo* in, GstCaps*, GstVideoInfo* out) {
    TavimoSwscale* self = Self(filter);
    self->in = RowOf(GST_VIDEO_INFO_FORMAT(in));
    self->out = RowOf(GST_VIDEO_INFO_FORMAT(out));
    self->frames->Reset();
    return self->in && self->in->in && self->out && self->out->out;
}

// Streaming thread: whether the mixer in front may hand its subtitle over
// as a band beside the frame (drawn_band_meta.h), which takes converting:
// passing frames through, the element never reads them.
gboolean Query(GstBaseTransform* trans, GstPadDirection direction, GstQuery* query) {
    if (direction == GST_PAD_SINK && IsDrawnBandQuery(query)) {
        const TavimoSwscale* self = Self(trans);
        AnswerDrawnBandQuery(query, self->in && self->out && self->in != self->out);
        return TRUE;
    }
    return GST_BASE_TRANSFORM_CLASS(tavimo_swscale_parent_class)->query(trans, direction, query);
}

// The most spares of an output pool TouchSpares writes.
constexpr guint kMostSpares = 3;

// Streaming thread, as the sink's pool is agreed on. Its buffers beyond the
// one being written are spares, touched by TouchSpares.
gboolean DecideAllocation(GstBaseTransform* trans, GstQuery* query) {
    if (!GST_BASE_TRANSFORM_CLASS(tavimo_swscale_parent_class)->decide_allocation(trans, query))
        return FALSE;
    guint min = 0;
    if (gst_query_get_n_allocation_pools(query) > 0)
        gst_query_parse_nth_allocation_pool(query, 0, nullptr, nullptr, &min, nullptr);
    Self(trans)->untouched = std::clamp(min, 1u, kMostSpares + 1) - 1;
    return TRUE;
}

// Streaming thread, once a frame has been written into a new pool. An X
// sink's images are shared memory, and the first write to each of their pages
// faults: some 10 ms of an image at 1080p, which otherwise fall on the first
// frame converted once the clip plays, due 33 ms after the one shown at the
// open. A page of each spare written with that first frame moves the cost
// onto the open. A pool without a spare free is left alone.
void TouchSpares(GstBaseTransform* trans) {
    GstBufferPool* pool = gst_base_transform_get_buffer_pool(trans);
    if (!pool)
        return;
    GstBuffer* spares[kMostSpares] = {};
    GstBufferPoolAcquireParams params{};
    params.flags = GST_BUFFER_POOL_ACQUIRE_FLAG_DONTWAIT;
    for (guint i = 0; i < Self(trans)->untouched; ++i) {
        if (gst_buffer_pool_acquire_buffer(pool, &spares[i], &params) != GST_FLOW_OK)
            break;
        GstMapInfo map;
        if (!gst_buffer_map(spares[i], &map, GST_MAP_WRITE))
            continue;
        for (gsize at = 0; at < map.size; at += 4096)
            map.data[at] = 0;
        gst_buffer_unmap(spares[i], &map);
    }
    for (GstBuffer* spare : spares)
        if (spare)
            gst_buffer_unref(spare);
    gst_object_unref(pool);
    Self(trans)->untouched = 0;
}

// Streaming thread: one frame converted (and scaled) into the sink's buffer,
// with the rows of its band, if it carries one, read from the band.
GstFlowReturn TransformFrame(GstVideoFilter* filter, GstVideoFrame* inFrame,
                             GstVideoFrame* outFrame) {
    TavimoSwscale* self = Self(filter);
    const auto* src = reinterpret_cast<const uint8_t* const*>(inFrame->data);
    auto* dst = reinterpret_cast<uint8_t* const*>(outFrame->data);
    const DrawnBandMeta* meta = DrawnBandOf(inFrame->buffer);
    GstMapInfo map;
    FrameConverter::Band strips[FrameConverter::kMostBands];
    const bool banded = meta && meta->planes == GST_VIDEO_FRAME_N_PLANES(inFrame) &&
                        meta->strips <= guint(FrameConverter::kMostBands) &&
                        gst_buffer_map(meta->band, &map, GST_MAP_READ);
    for (guint s = 0; banded && s < meta->strips; ++s) {
        strips[s].first = meta->first[s];
        strips[s].rows = meta->rows[s];
        for (guint p = 0; p < meta->planes && p < 4; ++p) {
            strips[s].data[p] = map.data + meta->offset[s][p];
            strips[s].stride[p] = meta->stride[p];
        }
    }
    const bool converted =
        self->frames->Convert(inFrame->info, src, outFrame->info, dst, self->addBorders,
                              banded ? strips : nullptr, banded ? int(meta->strips) : 0);
    if (banded)
        gst_buffer_unmap(meta->band, &map);
    if (self->untouched > 0)
        TouchSpares(GST_BASE_TRANSFORM(filter));
    if (!converted) {
        GST_ELEMENT_ERROR(
            filter, CORE, NEGOTIATION, (nullptr),
            ("libswscale cannot convert %s to %s", gst_video_format_to_string(self->in->gst),
             gst_video_format_to_string(self->out->gst)));
        return GST_FLOW_NOT_NEGOTIATED;
    }
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
    delete Self(object)->frames;
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
    trans_class->decide_allocation = DecideAllocation;
    trans_class->query = Query;
    filter_class->set_info = SetInfo;
    filter_class->transform_frame = TransformFrame;
}

void tavimo_swscale_init(TavimoSwscale* self) {
    new (&self->addBorders) std::atomic<bool>(true);
    self->frames = new FrameConverter();
    self->in = self->out = nullptr;
    self->untouched = 0;
}

}  // namespace

bool RegisterSwscaleConvert() {
    return gst_element_register(nullptr, kFactoryName, GST_RANK_NONE, tavimo_swscale_get_type());
}

GstElement* NewSwscaleConvert() {
    return RegisterSwscaleConvert() ? gst_element_factory_make(kFactoryName, nullptr) : nullptr;
}

bool IsSwscaleConvert(GstElement* element) {
    return element != nullptr && G_TYPE_CHECK_INSTANCE_TYPE(element, tavimo_swscale_get_type());
}

}  // namespace tavimo
