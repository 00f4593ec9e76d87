// The first frames of new caps at the video sink, shown however late they
// come (see HoldLateFramesAfterNewCaps in gst_media_internal.h).
#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

// The sink's own lateness limit and QoS, set aside while it shows the first
// frames of new caps whatever their lateness. New caps, at the start or at a
// new size mid-play, cost the streaming thread new pools, and the first write
// to each new shared-memory image faults page by page (some 20 ms an image
// at 1080p on a virtual machine); at the start, libass also lays out its
// first events. Going full screen, the first two frames came 40 to 70 ms
// late: the sink dropped one, and its QoS reports made the converter and the
// decoder skip four more, a stutter of 150 ms. At the start of a 1080p clip
// with an ASS script one to four of the first frames were lost the same way.
// Shown late, they are a pause of a frame or two, made up within the next few.
struct LateFramesHold {
    int left = 0;         // frames still to show whatever their lateness
    gint64 lateness = 0;  // the sink's own values, while held
    gboolean qos = TRUE;
};

// The frames after new caps that the sink shows however late they come.
constexpr int kFramesHeldAfterNewCaps = 15;

// Streaming thread, as caps and frames reach the sink: new caps hold the
// next frames (a hold under way starts again), and after the last of them
// the sink gets its own values back.
GstPadProbeReturn HoldLateFrames(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto& hold = *static_cast<LateFramesHold*>(data);
    GstElement* sink = GST_PAD_PARENT(pad);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        if (hold.left > 0 && --hold.left == 0)
            g_object_set(sink, "max-lateness", hold.lateness, "qos", hold.qos, nullptr);
        return GST_PAD_PROBE_OK;
    }
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    if (hold.left == 0) {
        g_object_get(sink, "max-lateness", &hold.lateness, "qos", &hold.qos, nullptr);
        g_object_set(sink, "max-lateness", gint64(-1), "qos", FALSE, nullptr);
    }
    hold.left = kFramesHeldAfterNewCaps;
    return GST_PAD_PROBE_OK;
}

}  // namespace

void HoldLateFramesAfterNewCaps(GstElement* sink) {
    GstPad* into = gst_element_get_static_pad(sink, "sink");
    if (into && HasProperty(sink, "max-lateness") && HasProperty(sink, "qos"))
        gst_pad_add_probe(
            into, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
            HoldLateFrames, new LateFramesHold(),
            [](gpointer hold) { delete static_cast<LateFramesHold*>(hold); });
    if (into)
        gst_object_unref(into);
}

}  // namespace tavimo::gst_internal
