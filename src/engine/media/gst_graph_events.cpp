// The graph's bus and events: errors, end of stream, buffering and the sink's
// request for a window arrive on streaming threads and become events that the
// UI thread takes with GetEvent or through its notify target.
#include <gst/video/videooverlay.h>

#include <QCoreApplication>
#include <algorithm>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_night_mode.h"
#include "platform/queued_call.h"

namespace tavimo::gst_internal {
namespace {

// Maps an error of the pipeline to the code of the step that meets it.
HRESULT CodeOfError(const GError* error) {
    if (error->domain == GST_RESOURCE_ERROR) {
        if (error->code == GST_RESOURCE_ERROR_NOT_FOUND ||
            error->code == GST_RESOURCE_ERROR_OPEN_READ)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (error->code == GST_RESOURCE_ERROR_NOT_AUTHORIZED)
            return E_ACCESSDENIED;
        // A demuxer that must read the file out of order (an MP4 with its
        // index at the end) from a server that sends only whole files.
        if (error->code == GST_RESOURCE_ERROR_SEEK)
            return HTTP_E_STATUS_RANGE_NOT_SATISFIABLE;
        if (error->code == GST_RESOURCE_ERROR_OPEN_WRITE ||
            error->code == GST_RESOURCE_ERROR_OPEN_READ_WRITE)
            return VFW_E_NO_AUDIO_HARDWARE;
        return E_FAIL;
    }
    if (error->domain == GST_STREAM_ERROR) {
        if (error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND)
            return VFW_E_UNSUPPORTED_STREAM;
        if (error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND)
            return VFW_E_NO_DECOMPRESSOR;
        if (error->code == GST_STREAM_ERROR_WRONG_TYPE || error->code == GST_STREAM_ERROR_DEMUX ||
            error->code == GST_STREAM_ERROR_DECODE)
            return VFW_E_INVALID_FILE_FORMAT;
        return VFW_E_UNSUPPORTED_STREAM;
    }
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)
        return VFW_E_NO_DECOMPRESSOR;
    return E_FAIL;
}

// GStreamer's debug log, category "tavimo" (GST_DEBUG=tavimo:4): what the
// video sink rendered and dropped, at every end of stream.
GstDebugCategory* DebugCategory() {
    static GstDebugCategory* category = [] {
        GstDebugCategory* made = nullptr;
        GST_DEBUG_CATEGORY_INIT(made, "tavimo", 0, "Tavimo's media framework");
        return made;
    }();
    return category;
}

void LogSinkStatistics(GstElement* sink) {
    GstDebugCategory* category = DebugCategory();
    if (gst_debug_category_get_threshold(category) < GST_LEVEL_INFO || !HasProperty(sink, "stats"))
        return;
    GstStructure* stats = nullptr;
    g_object_get(sink, "stats", &stats, nullptr);
    guint64 rendered = 0, dropped = 0;
    if (stats) {
        gst_structure_get_uint64(stats, "rendered", &rendered);
        gst_structure_get_uint64(stats, "dropped", &dropped);
        gst_structure_free(stats);
    }
    GST_CAT_INFO(category,
                 "end of stream: %" G_GUINT64_FORMAT " frames rendered, %" G_GUINT64_FORMAT
                 " dropped",
                 rendered, dropped);
}

}  // namespace

HRESULT GstGraph::SetNotifyWindow(GraphNotifyTarget target, long msg, intptr_t param) {
    std::lock_guard lock(eventMutex_);
    notify_ = std::move(target);
    msg_ = msg;
    param_ = param;
    if (notify_ && !events_.empty())
        PostNotifyLocked();
    return S_OK;
}

HRESULT GstGraph::GetEvent(long* code, intptr_t* p1, intptr_t* p2, long timeoutMs) {
    std::unique_lock lock(eventMutex_);
    eventCv_.wait_for(lock, std::chrono::milliseconds(std::max(0L, timeoutMs)),
                      [&] { return !events_.empty(); });
    if (events_.empty())
        return E_ABORT;
    *code = events_.front().code;
    *p1 = events_.front().param;
    *p2 = 0;
    events_.pop_front();
    return S_OK;
}

HRESULT GstGraph::WaitForCompletion(long timeoutMs, long* code) {
    if (GST_STATE_TARGET(pipeline_) != GST_STATE_PLAYING)
        return VFW_E_WRONG_STATE;
    std::unique_lock lock(eventMutex_);
    bool done = eventCv_.wait_for(lock, std::chrono::milliseconds(std::max(0L, timeoutMs)),
                                  [&] { return completed_; });
    if (!done)
        return E_ABORT;
    if (code)
        *code = EC_COMPLETE;
    return S_OK;
}

GstBusSyncReply GstGraph::SyncHandler(GstBus*, GstMessage* message, gpointer data) {
    static_cast<GstGraph*>(data)->OnMessage(message);
    // A dropped message is the handler's to free.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void GstGraph::OnMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS: {
            // The sink is found under the graph's lock but asked for its
            // counts outside it: this streaming thread may hold pad locks that
            // a pad being linked under the graph's lock waits for.
            GstElement* sink = nullptr;
            {
                std::lock_guard lock(mutex_);
                if (auto video = FindAttached(Role::VideoRenderer))
                    sink = static_cast<VideoRendererFilter&>(*video).sink();
                if (sink)
                    gst_object_ref(sink);
            }
            if (sink) {
                LogSinkStatistics(sink);
                gst_object_unref(sink);
            }
            QueueEvent(EC_COMPLETE, 0, true);
            break;
        }
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            HRESULT hr = CodeOfError(error);
            g_error_free(error);
            HRESULT none = S_OK;
            error_.compare_exchange_strong(none, hr);
            QueueEvent(EC_ERRORABORT, hr, false);
            break;
        }
        case GST_MESSAGE_BUFFERING:
            OnBuffering(message);
            break;
        case GST_MESSAGE_SEGMENT_DONE:
            QueueEvent(EC_END_OF_SEGMENT, 0, false);
            break;
        case GST_MESSAGE_TOC:
            OnToc(message);
            break;
        case GST_MESSAGE_STEP_DONE:
            ++stepsDone_;
            break;
        case GST_MESSAGE_LATENCY:
            // Night mode holds the sound back longer or shorter: the sinks
            // are told, off the streaming thread that said so. (Only then:
            // the call holds the pipeline until it has run.)
            if (IsNightMode(GST_MESSAGE_SRC(message)))
                gst_element_call_async(
                    pipeline_,
                    [](GstElement* e, gpointer) { gst_bin_recalculate_latency(GST_BIN(e)); },
                    nullptr, nullptr);
            break;
        case GST_MESSAGE_ELEMENT:
            if (gst_message_has_name(message, "http-headers"))
                OnHttpHeaders(gst_message_get_structure(message));
            if (gst_is_video_overlay_prepare_window_handle_message(message)) {
                std::lock_guard lock(mutex_);
                if (auto video = FindAttached(Role::VideoRenderer))
                    static_cast<VideoRendererFilter&>(*video).PrepareWindowHandle();
            }
            break;
        default:
            break;
    }
    std::lock_guard lock(waitMutex_);
    cv_.notify_all();
}

// Network sources: pause below 100 % buffered, play on at 100 %, off the
// streaming thread (PlayAsBuffered).
void GstGraph::OnBuffering(GstMessage* message) {
    gint percent = 100;
    gst_message_parse_buffering(message, &percent);
    bool low = percent < 100;
    if (low == buffering_.exchange(low) || !wantPlaying_)
        return;
    platform::HandOff handing;  // GLib's pool hands the reference on
    gst_element_call_async(
        pipeline_, &GstGraph::PlayAsBuffered, new std::weak_ptr<GstGraph>(weak_from_this()),
        [](gpointer weak) { delete static_cast<std::weak_ptr<GstGraph>*>(weak); });
}

// GStreamer's pool thread, some time after the message: plays or pauses as the
// user's wish and the buffering stand now; nothing once the user has paused or
// stopped, or the graph is gone. Under the pipeline's state lock, so that a
// Pause or Stop (ChangeState: the wish first, then the state) is either seen
// here or sets its state after this one.
void GstGraph::PlayAsBuffered(GstElement* pipeline, gpointer weak) {
    platform::HandOff::Taken();
    GST_STATE_LOCK(pipeline);
    if (auto graph = static_cast<std::weak_ptr<GstGraph>*>(weak)->lock();
        graph && graph->wantPlaying_)
        gst_element_set_state(pipeline, graph->buffering_ ? GST_STATE_PAUSED : GST_STATE_PLAYING);
    GST_STATE_UNLOCK(pipeline);
}

// A server that answers a range (206), or says in a whole answer that it takes
// them, can be sought in; one that sends the whole file without a word of
// ranges (Python's http.server) cannot: asked for a range it sends the whole
// file again, and the source ends the stream with an error.
void GstGraph::OnHttpHeaders(const GstStructure* headers) {
    guint status = 0;
    gst_structure_get_uint(headers, "http-status-code", &status);
    GstStructure* response = nullptr;
    if (status < 200 || status >= 300 ||
        !gst_structure_get(headers, "response-headers", GST_TYPE_STRUCTURE, &response, nullptr) ||
        !response)
        return;
    bool ranges = status == 206;
    for (int i = 0; i < gst_structure_n_fields(response) && !ranges; ++i) {
        const char* name = gst_structure_nth_field_name(response, i);
        const char* value = gst_structure_get_string(response, name);
        ranges = g_ascii_strcasecmp(name, "Accept-Ranges") == 0 && value &&
                 g_ascii_strcasecmp(value, "bytes") == 0;
    }
    gst_structure_free(response);
    rangesRefused_ = !ranges;
}

void GstGraph::QueueEvent(long code, intptr_t param, bool completes) {
    std::lock_guard lock(eventMutex_);
    events_.push_back({code, param});
    if (completes)
        completed_ = true;
    eventCv_.notify_all();
    if (notify_)
        PostNotifyLocked();
}

// One queued call to the notify target for every batch of events.
void GstGraph::PostNotifyLocked() {
    QCoreApplication* app = QCoreApplication::instance();
    if (notifyPosted_ || !app)
        return;
    notifyPosted_ = true;
    std::weak_ptr<GstGraph> weak = weak_from_this();
    platform::PostQueued(app, [weak] {
        auto graph = weak.lock();
        if (!graph)
            return;
        GraphNotifyTarget target;
        long msg;
        intptr_t param;
        {
            std::lock_guard lock(graph->eventMutex_);
            graph->notifyPosted_ = false;
            target = graph->notify_;
            msg = graph->msg_;
            param = graph->param_;
        }
        graph.reset();
        if (target)
            target(msg, param);
    });
}

}  // namespace tavimo::gst_internal
