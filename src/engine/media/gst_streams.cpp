// The source's audio and subtitle streams joining the graph: audio through one
// input-selector to the audio renderer, subtitles to sinks of their own.
#include <QCoreApplication>
#include <QMetaObject>

#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {

// Every audio stream goes through the one input-selector to the audio
// renderer, so that choosing another track is a switch of the selector's
// active pad: no reopening, no relinking. The selector keeps the streams it
// does not pass in step with the one it does, so a switch lands where the
// playback stands.
bool GstGraph::LinkAudio(GstPad* pad) {
    auto audio = FindAttached(Role::AudioRenderer);
    if (!audio)
        return false;
    if (!selector_) {
        GstElement* selector = Own(gst_element_factory_make("input-selector", nullptr));
        if (!selector)
            return false;
        g_object_set(selector, "sync-streams", TRUE, nullptr);
        gst_bin_add(GST_BIN(pipeline_), selector);
        if (!gst_element_link(selector, audio->element())) {
            gst_bin_remove(GST_BIN(pipeline_), selector);
            gst_object_unref(selector);
            return false;
        }
        gst_element_sync_state_with_parent(selector);
        selector_ = selector;
    }
    GstPad* input = gst_element_request_pad_simple(selector_, "sink_%u");
    if (!input)
        return false;
    const bool linked = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, input));
    if (linked)
        tracks_.AddAudio(pad, selector_, input);
    else
        gst_element_release_request_pad(selector_, input);
    gst_object_unref(input);
    return linked;
}

// A subtitle stream is sparse: its sink takes every cue at once, without the
// clock (cues are kept by their times and drawn when due) and without
// prerolling, so it never holds the picture back at the start, after a seek
// or a pause, or through a long gap between cues.
bool GstGraph::LinkSubtitle(GstPad* pad) {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return false;
    g_object_set(sink, "sync", FALSE, "async", FALSE, "enable-last-sample", FALSE, "qos", FALSE,
                 nullptr);
    // Not a sink to the pipeline: it runs ahead of the clock, and the
    // pipeline's position (the furthest of its sinks') and its end of
    // stream are those of the picture and the sound.
    GST_OBJECT_FLAG_UNSET(sink, GST_ELEMENT_FLAG_SINK);
    gst_bin_add(GST_BIN(pipeline_), sink);
    GstPad* input = gst_element_get_static_pad(sink, "sink");
    // Watched before it is linked: the stream's caps come with its first data.
    tracks_.AddSubtitle(pad, input);
    const bool linked = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, input));
    gst_object_unref(input);
    gst_element_sync_state_with_parent(sink);
    return linked;
}

// The overlay that burns picture subtitles into the video joins the video
// path in front of the mixer (whose text and notes stay on top) when the
// first picture stream comes: the source exposes all its streams before any
// data flows, so nothing has been negotiated yet. Lock held.
bool GstGraph::JoinPictureOverlay() {
    GstElement* overlay = gst_element_factory_make("dvdspu", "Picture Subtitle Overlay");
    GstElement* selector = gst_element_factory_make("input-selector", nullptr);
    if (!overlay || !selector) {
        for (GstElement* e : {overlay, selector})
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        return false;
    }
    // A stream not chosen is dropped at once, never waits for the chosen one.
    g_object_set(selector, "sync-streams", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(pipeline_), overlay, selector, nullptr);
    bool ok = gst_element_link_pads(selector, "src", overlay, "subpicture");
    if (converter_) {
        GstPad* out = gst_element_get_static_pad(converter_, "src");
        GstPad* next = gst_pad_get_peer(out);
        GstPad* overlayOut = gst_element_get_static_pad(overlay, "src");
        ok = ok && next && gst_pad_unlink(out, next) &&
             gst_element_link_pads(converter_, "src", overlay, "video") &&
             GST_PAD_LINK_SUCCESSFUL(gst_pad_link(overlayOut, next));
        gst_object_unref(overlayOut);
        if (next)
            gst_object_unref(next);
        gst_object_unref(out);
    } else {
        ok = ok && LinkVideoTail(overlay);
    }
    gst_element_sync_state_with_parent(overlay);
    gst_element_sync_state_with_parent(selector);
    overlay_ = overlay;
    pictures_ = selector;
    return ok;
}

// Every picture stream goes through one input-selector to the overlay: the
// track menu switches the selector's active pad, without reopening.
bool GstGraph::LinkPicture(GstPad* pad) {
    if (!FindAttached(Role::VideoRenderer) || (!overlay_ && !JoinPictureOverlay()))
        return LinkSubtitle(pad);
    GstPad* input = gst_element_request_pad_simple(pictures_, "sink_%u");
    if (!input)
        return false;
    const bool linked = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, input));
    if (linked)
        tracks_.AddPicture(pad, pictures_, input, overlay_);
    else
        gst_element_release_request_pad(pictures_, input);
    gst_object_unref(input);
    return linked;
}

void GstGraph::OnUnknownType(GstElement*, GstPad* pad, GstCaps* caps, gpointer data) {
    static_cast<GstGraph*>(data)->tracks_.AddUndecodable(pad, caps);
}

// A cue read after the paused picture was drawn (a seek while paused brings
// the cue and the picture on separate threads) would stay missing until play
// went on: the picture is drawn again through the mixer, by a seek to where
// it stands, once for a burst of cues. Running, the next frame shows it.
void GstGraph::RedrawPausedWithin(int64_t startMs, int64_t endMs) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || GST_STATE_TARGET(pipeline_) == GST_STATE_PLAYING || redrawPosted_.exchange(true))
        return;
    std::weak_ptr<GstGraph> weak = weak_from_this();
    QMetaObject::invokeMethod(
        app,
        [weak, startMs, endMs] {
            auto graph = weak.lock();
            if (!graph)
                return;
            graph->redrawPosted_ = false;
            REFERENCE_TIME at = 0;
            if (GST_STATE_TARGET(graph->pipeline_) == GST_STATE_PLAYING ||
                FAILED(graph->GetCurrentPosition(&at)) || at / 10000 < startMs ||
                at / 10000 >= endMs)
                return;
            graph->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr,
                                AM_SEEKING_NoPositioning);
        },
        Qt::QueuedConnection);
}

}  // namespace tavimo::gst_internal
