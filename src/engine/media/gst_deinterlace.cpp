// Deinterlacing in the video path: GStreamer's deinterlace with YADIF in
// front of the colour converter, in the mode the View menu and D choose.
#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

// deinterlace's "mode" for each of ours. In "auto" it deinterlaces the frames
// the stream marks interlaced (caps or buffer flags) and is passthrough for
// progressive streams: their frames leave it as they came, not copied.
const char* ModeNick(DeinterlaceMode mode) {
    switch (mode) {
        case DeinterlaceMode::On:
            return "interlaced";
        case DeinterlaceMode::Off:
            return "disabled";
        case DeinterlaceMode::Auto:
            break;
    }
    return "auto";
}

// Whether `deinterlacer` can deinterlace the raw video of `pad` (its current
// caps): its first template lists the formats it processes; any other it
// only passes through, and forced to deinterlace one (On) it refused it, so
// that a 10-bit clip did not play at all.
bool Deinterlaces(GstElement* deinterlacer, GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstVideoInfo info;
    const bool known = caps && gst_video_info_from_caps(&info, caps);
    if (caps)
        gst_caps_unref(caps);
    if (!known)
        return false;
    GstPad* sink = gst_element_get_static_pad(deinterlacer, "sink");
    GstCaps* templates = gst_pad_get_pad_template_caps(sink);
    GstCaps* processed = gst_caps_copy_nth(templates, 0);
    GstCaps* format = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                          gst_video_format_to_string(info.finfo->format), nullptr);
    const bool ok = gst_caps_can_intersect(processed, format);
    for (GstCaps* c : {templates, processed, format})
        gst_caps_unref(c);
    gst_object_unref(sink);
    return ok;
}

}  // namespace

// Lock held. The deinterlacer goes between the queue (added after it) and the
// converter, for video of a format it processes; without it the video plays
// as it is.
bool GstGraph::AddDeinterlacer(GstPad* pad) {
    GstElement* deinterlacer = gst_element_factory_make("deinterlace", nullptr);
    if (!deinterlacer)
        return false;
    if (!Deinterlaces(deinterlacer, pad)) {
        gst_object_unref(gst_object_ref_sink(deinterlacer));
        return false;
    }
    gst_util_set_object_arg(G_OBJECT(deinterlacer), "method", "yadif");
    gst_util_set_object_arg(G_OBJECT(deinterlacer), "mode", ModeNick(deinterlaceMode_.load()));
    gst_bin_add(GST_BIN(pipeline_), deinterlacer);
    if (!gst_element_link(deinterlacer, converter_)) {
        gst_bin_remove(GST_BIN(pipeline_), deinterlacer);
        return false;
    }
    gst_element_sync_state_with_parent(deinterlacer);
    deinterlacer_ = deinterlacer;
    return true;
}

GstElement* GstGraph::VideoPathHead() const {
    return videoQueue_ ? videoQueue_ : deinterlacer_ ? deinterlacer_ : converter_;
}

// UI thread. deinterlace takes a new mode while playing: it negotiates again
// at its next frame (the frame rate doubles or halves, as it sends a frame
// for every field).
HRESULT GstGraph::SetDeinterlaceMode(DeinterlaceMode mode) {
    deinterlaceMode_ = mode;
    GstElement* deinterlacer = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (deinterlacer_)
            deinterlacer = GST_ELEMENT(gst_object_ref(deinterlacer_));
    }
    if (!deinterlacer)
        return S_OK;
    gst_util_set_object_arg(G_OBJECT(deinterlacer), "mode", ModeNick(mode));
    gst_object_unref(deinterlacer);
    return S_OK;
}

}  // namespace tavimo::gst_internal
