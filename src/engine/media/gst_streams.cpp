// The source's audio and subtitle streams joining the graph: audio through one
// input-selector to the audio renderer, text subtitles to sinks of their own,
// picture subtitles through their overlays in the video path.
#include <QCoreApplication>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"
#include "platform/queued_call.h"

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
bool GstGraph::LinkSubtitle(GstPad* pad, bool drawn) {
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
    if (drawn)
        tracks_.AddSubtitle(pad, input);
    else
        tracks_.AddUndrawn(pad, input);
    const bool linked = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, input));
    gst_object_unref(input);
    gst_element_sync_state_with_parent(sink);
    return linked;
}

// Picture subtitles are burnt in by GStreamer's overlays, one for each kind
// of stream they take. dvbsuboverlay compares a page's time with the video's
// running time and reads full-width lines badly (see PictureOverlay).
const OverlayRow kOverlays[kOverlayKinds] = {
    {{"subpicture/x-pgs", "subpicture/x-dvd"},
     "dvdspu",
     "Picture Subtitle Overlay",
     "subpicture",
     "video",
     false,
     false},
    {{"subpicture/x-dvb", "subtitle/x-dvb"},
     "dvbsuboverlay",
     "DVB Subtitle Overlay",
     "text_sink",
     "video_sink",
     true,
     true},
};

int PictureOverlayOf(const std::string& type) {
    for (size_t row = 0; row < std::size(kOverlays); ++row)
        for (const char* caps : kOverlays[row].caps)
            if (type == caps)
                return int(row);
    return -1;
}

// Puts `element` into the video path just behind the converter, in front of
// what the converter fed (the overlays joined before, or the mixer). Before
// the video comes, it goes in front of those; the converter links to it when
// the video comes. Nothing has been negotiated yet: the source exposes all
// its streams before any data flows.
bool GstGraph::JoinVideoPath(GstElement* element, const char* input) {
    GstPad* in = gst_element_get_static_pad(element, input);
    GstPad* out = converter_ ? gst_element_get_static_pad(converter_, "src") : nullptr;
    GstPad* next = out           ? gst_pad_get_peer(out)
                   : videoEntry_ ? GST_PAD(gst_object_ref(videoEntry_))
                                 : nullptr;
    GstPad* elementOut = gst_element_get_static_pad(element, "src");
    bool ok = in && elementOut && (!out || (next && gst_pad_unlink(out, next)));
    if (ok && next)
        ok = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(elementOut, next));
    else if (ok)
        ok = LinkVideoTail(element);
    if (ok && out)
        ok = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(out, in));
    if (ok)
        videoEntry_ = in;
    for (GstPad* pad : {in, out, next, elementOut})
        if (pad)
            gst_object_unref(pad);
    return ok;
}

// dvdspu draws into 8-bit YUV only, so the converter in front of it gives
// YUV, which ximagesink (RGB only) refuses: a clip with a PGS or VobSub track
// did not play at all. A converter behind the overlays, joined with the first
// of them, gives the mixer and the sink what they take, and passes the frames
// through untouched where they already do. Lock held.
bool GstGraph::JoinOverlayConverter() {
    GstElement* converter = MakeConverter(ConverterPlan{});
    if (!converter)
        return false;
    gst_object_set_name(GST_OBJECT(converter), kOverlayConverterName);
    gst_bin_add(GST_BIN(pipeline_), converter);
    const bool ok = JoinVideoPath(converter, "sink");
    gst_element_sync_state_with_parent(converter);
    return ok;
}

// The overlay of kOverlays[`kind`] and the input-selector of its streams
// join the video path in front of the mixer (whose text and notes stay on
// top) when the first stream of that kind comes. Lock held.
bool GstGraph::JoinPictureOverlay(size_t kind) {
    if (!videoEntry_ && !JoinOverlayConverter())
        return false;
    const OverlayRow& row = kOverlays[kind];
    GstElement* overlay = gst_element_factory_make(row.factory, row.name);
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
    const bool ok = gst_element_link_pads(selector, "src", overlay, row.picturePad) &&
                    JoinVideoPath(overlay, row.videoPad);
    gst_element_sync_state_with_parent(overlay);
    gst_element_sync_state_with_parent(selector);
    PictureOverlay& joined = overlays_[kind];
    joined.selector = selector;
    joined.pictures = gst_element_get_static_pad(overlay, row.picturePad);
    joined.video = gst_element_get_static_pad(overlay, row.videoPad);
    joined.runningTime = row.runningTime;
    joined.widenRegions = row.widenRegions;
    // Borrowed: the overlay holds its pads as long as the pipeline holds it.
    gst_object_unref(joined.pictures);
    gst_object_unref(joined.video);
    return ok;
}

// Every picture stream goes through its kind's input-selector to its
// overlay: the track menu switches the selector's active pad, without
// reopening. A stream that reaches no overlay is listed greyed.
bool GstGraph::LinkPicture(GstPad* pad, size_t kind) {
    if (!FindAttached(Role::VideoRenderer) ||
        (!overlays_[kind].selector && !JoinPictureOverlay(kind)))
        return LinkSubtitle(pad, false);
    const PictureOverlay& overlay = overlays_[kind];
    GstPad* input = gst_element_request_pad_simple(overlay.selector, "sink_%u");
    if (!input)
        return LinkSubtitle(pad, false);
    const bool linked = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, input));
    if (linked)
        tracks_.AddPicture(pad, overlay, input);
    else
        gst_element_release_request_pad(overlay.selector, input);
    gst_object_unref(input);
    return linked || LinkSubtitle(pad, false);
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
    platform::PostQueued(app, [weak, startMs, endMs] {
        auto graph = weak.lock();
        if (!graph)
            return;
        graph->redrawPosted_ = false;
        REFERENCE_TIME at = 0;
        if (GST_STATE_TARGET(graph->pipeline_) == GST_STATE_PLAYING ||
            FAILED(graph->GetCurrentPosition(&at)) || at / 10000 < startMs || at / 10000 >= endMs)
            return;
        graph->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    });
}

}  // namespace tavimo::gst_internal
