#include "engine/media/gst_cue_preroll.h"
#include "engine/media/gst_media_internal.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

namespace tavimo::gst_internal {
namespace {

// What the clip's own source stops at, so that the cues come as it has them.
constexpr char kStopAt[] =
    "video/x-raw(ANY); audio/x-raw(ANY); text/x-raw(ANY); application/x-ass; application/x-ssa; "
    "subpicture/x-dvd; subpicture/x-pgs; subpicture/x-dvb; subtitle/x-dvb";
// Bounds for a loaded machine: the reader has a thread of its own.
constexpr auto kOpenTimeout = std::chrono::seconds(10);
constexpr int kReadTimeoutMs = 10000;
// How long closing waits for the reader's thread before letting it go.
constexpr auto kCloseWait = std::chrono::seconds(2);

bool Starts(const char* text, const char* prefix) {
    return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsTextCue(const char* name) {
    return Starts(name, "text/x-raw") || Starts(name, "application/x-ass") ||
           Starts(name, "application/x-ssa") || Starts(name, "application/x-subtitle-vtt");
}

// Starts a flush at every sink of `bin`, through its pad: no lock of the
// element's, which a seek may hold while it goes up through it. Any thread.
void FlushSinks(GstBin* bin) {
    GstIterator* sinks = gst_bin_iterate_sinks(bin);
    gst_iterator_foreach(
        sinks,
        [](const GValue* value, gpointer) {
            GstElement* sink = GST_ELEMENT(g_value_get_object(value));
            if (GstPad* pad = gst_element_get_static_pad(sink, "sink")) {
                gst_pad_send_event(pad, gst_event_new_flush_start());
                gst_object_unref(pad);
            }
        },
        nullptr);
    gst_iterator_free(sinks);
}

}  // namespace

// Everything the reader's thread uses: shared with it, so that a thread
// held in GStreamer at close can be let go instead of joined.
struct CuePreroll::Reader {
    struct PadState;
    Reader(std::string uri, CueSink sink) : uri_(std::move(uri)), sink_(std::move(sink)) {}
    void Run();
    bool Open();
    void ReadUpTo(GstClockTime target);
    bool Stopping() const;
    void Deliver(const char* streamId, GstBuffer* buffer);
    static void OnPadAdded(GstElement*, GstPad* pad, gpointer data);
    static void OnNoMorePads(GstElement*, gpointer data);
    static GstPadProbeReturn OnCueData(GstPad* pad, GstPadProbeInfo* info, gpointer data);

    const std::string uri_;
    GstElement* pipeline_ = nullptr;  // made under mutex_ on the reader's thread, freed there
    bool broken_ = false;             // no subtitle stream, or it failed to open
    mutable std::mutex mutex_;        // what follows
    std::condition_variable wake_;
    std::optional<GstClockTime> pending_;
    GstClockTime asked_ = GST_CLOCK_TIME_NONE;  // the target asked last
    bool stop_ = false;
    bool padsDone_ = false;
    bool ended_ = false;    // the thread has freed the pipeline
    int subtitles_ = 0;     // subtitle streams linked
    std::mutex sinkMutex_;  // held while a cue is handed on; sink_ is dropped under it
    CueSink sink_;
};

// A stream that may be text, on its sink's streaming thread.
struct CuePreroll::Reader::PadState {
    Reader* owner;
    bool text;  // its caps are a text cue's
};

CuePreroll::CuePreroll(std::string uri, CueSink sink)
    : reader_(std::make_shared<Reader>(std::move(uri), std::move(sink))) {
    std::thread([reader = reader_] { reader->Run(); }).detach();
}

CuePreroll::~CuePreroll() {
    GstElement* pipeline = nullptr;
    {
        std::lock_guard lock(reader_->mutex_);
        reader_->stop_ = true;
        if (reader_->pipeline_)
            pipeline = GST_ELEMENT(gst_object_ref(reader_->pipeline_));
    }
    reader_->wake_.notify_all();
    {
        // Nothing reaches the graph once this returns.
        std::lock_guard lock(reader_->sinkMutex_);
        reader_->sink_ = nullptr;
    }
    // A streaming thread held in a sink's preroll keeps the reader's seek
    // waiting.
    if (pipeline) {
        FlushSinks(GST_BIN(pipeline));
        gst_object_unref(pipeline);
    }
    // A seek has also been seen to stay in a queue's pause with no thread
    // to wait for: the UI does not wait on it for longer than this.
    std::unique_lock lock(reader_->mutex_);
    if (!reader_->wake_.wait_for(lock, kCloseWait, [this] { return reader_->ended_; }))
        g_warning("Tavimo: the cue reader of %s is held in GStreamer; let go",
                  reader_->uri_.c_str());
}

void CuePreroll::Read(GstClockTime target) {
    {
        std::lock_guard lock(reader_->mutex_);
        if (target == reader_->asked_)
            return;  // a paused picture drawn again: read already
        reader_->asked_ = target;
        reader_->pending_ = target;
    }
    reader_->wake_.notify_all();
}

bool CuePreroll::Reader::Stopping() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

// The reader's thread: one request at a time, the latest.
void CuePreroll::Reader::Run() {
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
    lock.lock();
    ended_ = true;
    wake_.notify_all();
}

// Hands a cue on unless the reader is closed; on a streaming thread.
void CuePreroll::Reader::Deliver(const char* streamId, GstBuffer* buffer) {
    std::lock_guard lock(sinkMutex_);
    if (sink_)
        sink_(streamId, buffer);
}

// Opens the file PAUSED and waits for its streams; false when it has no
// subtitle stream to read or fails.
bool CuePreroll::Reader::Open() {
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
void CuePreroll::Reader::ReadUpTo(GstClockTime target) {
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
    // Closed meanwhile: nothing more is read.
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
void CuePreroll::Reader::OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    auto* self = static_cast<Reader*>(data);
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

void CuePreroll::Reader::OnNoMorePads(GstElement*, gpointer data) {
    auto* self = static_cast<Reader*>(data);
    {
        std::lock_guard lock(self->mutex_);
        self->padsDone_ = true;
    }
    self->wake_.notify_all();
}

// Streaming thread of a text stream's sink.
GstPadProbeReturn CuePreroll::Reader::OnCueData(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
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
        state->owner->Deliver(id, GST_PAD_PROBE_INFO_BUFFER(info));
    g_free(id);
    return GST_PAD_PROBE_OK;
}

}  // namespace tavimo::gst_internal
