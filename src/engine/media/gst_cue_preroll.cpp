#include "engine/media/gst_cue_preroll.h"
#include "engine/media/gst_media_internal.h"

#include <chrono>
#include <cstring>

namespace tavimo::gst_internal {
namespace {

// What the clip's own source stops at, so that the cues come as it has them.
constexpr char kStopAt[] =
    "video/x-raw(ANY); audio/x-raw(ANY); text/x-raw(ANY); application/x-ass; application/x-ssa; "
    "subpicture/x-dvd; subpicture/x-pgs; subpicture/x-dvb; subtitle/x-dvb";
// Bounds for a loaded machine: the reader has a thread of its own.
constexpr auto kOpenTimeout = std::chrono::seconds(10);
constexpr int kReadTimeoutMs = 10000;

bool Starts(const char* text, const char* prefix) {
    return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsTextCue(const char* name) {
    return Starts(name, "text/x-raw") || Starts(name, "application/x-ass") ||
           Starts(name, "application/x-ssa") || Starts(name, "application/x-subtitle-vtt");
}

using SinkStep = void (*)(GstElement*);

// Calls `step` on every sink of `bin`; any thread.
void ForEachSink(GstBin* bin, SinkStep step) {
    GstIterator* sinks = gst_bin_iterate_sinks(bin);
    gst_iterator_foreach(
        sinks,
        [](const GValue* sink, gpointer step) {
            (*static_cast<SinkStep*>(step))(GST_ELEMENT(g_value_get_object(sink)));
        },
        &step);
    gst_iterator_free(sinks);
}

}  // namespace

// A stream that may be text, on its sink's streaming thread.
struct CuePreroll::PadState {
    CuePreroll* owner;
    bool text;  // its caps are a text cue's
};

CuePreroll::CuePreroll(std::string uri, CueSink sink)
    : uri_(std::move(uri)), sink_(std::move(sink)), thread_([this] { Run(); }) {}

CuePreroll::~CuePreroll() {
    GstElement* reader = nullptr;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        if (pipeline_)
            reader = GST_ELEMENT(gst_object_ref(pipeline_));
    }
    wake_.notify_all();
    // A flushing seek of the reader's can wait for ever on a streaming thread
    // held in a sink's preroll (a sink linked after the seek's flush went by
    // never saw it), with the pipeline's state lock held and, while the seek
    // goes up through a sink, that sink's too. Every sink is flushed first
    // (through its pad: no lock of the element's) and taken down then: the
    // streaming threads let go, the seek returns, and the join below does not
    // hang the UI.
    if (reader) {
        ForEachSink(GST_BIN(reader), [](GstElement* sink) {
            if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
                gst_pad_send_event(pad, gst_event_new_flush_start());
                gst_object_unref(pad);
            }
        });
        ForEachSink(GST_BIN(reader),
                    [](GstElement* sink) { gst_element_set_state(sink, GST_STATE_NULL); });
        gst_object_unref(reader);
    }
    thread_.join();
}

void CuePreroll::Read(GstClockTime target) {
    {
        std::lock_guard lock(mutex_);
        if (target == asked_)
            return;  // a paused picture drawn again: read already
        asked_ = target;
        pending_ = target;
    }
    wake_.notify_all();
}

bool CuePreroll::Stopping() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

// The reader's thread: one request at a time, the latest.
void CuePreroll::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_; });
        if (stop_)
            break;
        const GstClockTime target = *pending_;
        pending_.reset();
        lock.unlock();
        if (!pipeline_ && !broken_)
            broken_ = !Open();
        if (!broken_)
            ReadUpTo(target);
        lock.lock();
    }
    lock.unlock();
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
}

// Opens the file PAUSED and waits for its streams; false when it has no
// subtitle stream to read or fails.
bool CuePreroll::Open() {
    {
        std::lock_guard lock(mutex_);
        if (stop_)
            return false;
        pipeline_ = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("Tavimo Cue Preroll")));
    }
    GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
    if (!source)
        return false;
    GstCaps* caps = gst_caps_from_string(kStopAt);
    g_object_set(source, "uri", uri_.c_str(), "caps", caps, nullptr);
    gst_caps_unref(caps);
    g_signal_connect(source, "autoplug-select", G_CALLBACK(&DemuxOnly), nullptr);
    g_signal_connect(source, "pad-added", G_CALLBACK(&OnPadAdded), this);
    g_signal_connect(source, "no-more-pads", G_CALLBACK(&OnNoMorePads), this);
    gst_bin_add(GST_BIN(pipeline_), source);
    if (gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return false;
    {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, kOpenTimeout, [this] { return padsDone_ || stop_; });
        if (!padsDone_ || subtitles_ == 0)
            return false;
    }
    // Settled in PAUSED, so that the demuxer takes a seek.
    return gst_element_get_state(pipeline_, nullptr, nullptr, GST_SECOND * 5) !=
           GST_STATE_CHANGE_FAILURE;
}

// From kLookBack before `target` to it, through to the end of that stretch.
void CuePreroll::ReadUpTo(GstClockTime target) {
    const GstClockTime from = target > kLookBack ? target - kLookBack : 0;
    const auto flags =
        GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_BEFORE);
    // A demuxer still reading its headers may refuse a seek: a few tries.
    bool sought = false;
    for (int tries = 0; !sought && tries < 20 && !Stopping(); ++tries) {
        sought = gst_element_seek(pipeline_, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                                  gint64(from), GST_SEEK_TYPE_SET, gint64(target));
        if (!sought)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Closing meanwhile took the sinks down: they stay down.
    if (!sought || Stopping())
        return;
    gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline_);
    for (int waited = 0; waited < kReadTimeoutMs && !Stopping(); waited += 100) {
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 100 * GST_MSECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (message) {
            gst_message_unref(message);
            break;
        }
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
}

// Streaming thread: every stream to a sink that never waits for the clock;
// all but sound and pictures watched, the text ones read.
void CuePreroll::OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    auto* self = static_cast<CuePreroll*>(data);
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return;
    g_object_set(sink, "sync", FALSE, "async", FALSE, "enable-last-sample", FALSE, nullptr);
    gst_bin_add(GST_BIN(self->pipeline_), sink);
    GstPad* input = gst_element_get_static_pad(sink, "sink");
    // Caps not known yet may still be text's: the stream's caps event tells.
    const std::string caps = CapsName(pad);
    const char* name = caps.c_str();
    if (!Starts(name, "video/") && !Starts(name, "audio/")) {
        auto* state = new PadState{self, IsTextCue(name)};
        gst_pad_add_probe(
            input, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
            &OnCueData, state, [](gpointer p) { delete static_cast<PadState*>(p); });
        std::lock_guard lock(self->mutex_);
        ++self->subtitles_;
    }
    gst_pad_link(pad, input);
    gst_object_unref(input);
    gst_element_sync_state_with_parent(sink);
}

void CuePreroll::OnNoMorePads(GstElement*, gpointer data) {
    auto* self = static_cast<CuePreroll*>(data);
    {
        std::lock_guard lock(self->mutex_);
        self->padsDone_ = true;
    }
    self->wake_.notify_all();
}

// Streaming thread of a text stream's sink.
GstPadProbeReturn CuePreroll::OnCueData(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* state = static_cast<PadState*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
            GstCaps* caps = nullptr;
            gst_event_parse_caps(event, &caps);
            state->text = caps && !gst_caps_is_empty(caps) &&
                          IsTextCue(gst_structure_get_name(gst_caps_get_structure(caps, 0)));
        }
        return GST_PAD_PROBE_OK;
    }
    if (!state->text)
        return GST_PAD_PROBE_OK;
    gchar* id = gst_pad_get_stream_id(pad);
    if (id)
        state->owner->sink_(id, GST_PAD_PROBE_INFO_BUFFER(info));
    g_free(id);
    return GST_PAD_PROBE_OK;
}

}  // namespace tavimo::gst_internal
