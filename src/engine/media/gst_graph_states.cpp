// The filter graph's state changes: set, then waited for, bounded; an audio
// sink that never commits its pause is made to preroll again.
#include <gst/base/gstbasesink.h>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

// Whether `sink` waits for PLAYING with the pause it was asked for still
// uncommitted, so that it will never post ASYNC_DONE. GStreamer 1.22's
// GstAudioBaseSink gets there when a pause comes just as it ends its wait for
// the clock before the first sound after a start (sync_latency): the pause
// finds it not prerolled and goes asynchronous; the sink, no longer allowed
// to start its ring buffer, writes nothing and waits for PLAYING from its
// render (gst_base_sink_wait_preroll) instead of prerolling
// (gst_base_sink_do_preroll, which commits the state). The pipeline then
// stands "PLAYING to PAUSED" until the next flush. Any thread.
bool OwesPause(GstElement* sink) {
    if (!sink || !GST_IS_BASE_SINK(sink))
        return false;
    GstBaseSink* base = GST_BASE_SINK(sink);
    // A sink that waits in preroll has let go of its lock; one that holds it
    // may hold it for long (writing to a sound server that takes nothing).
    if (!g_mutex_trylock(GST_BASE_SINK_GET_PREROLL_LOCK(base)))
        return false;
    // Waiting (have_preroll) while the asynchronous change is due
    // (playing_async): basesink's own preroll commits before it waits.
    const bool owes = base->have_preroll && base->playing_async && base->need_preroll;
    GST_BASE_SINK_PREROLL_UNLOCK(base);
    GST_OBJECT_LOCK(sink);
    const bool pausing = GST_STATE_PENDING(sink) == GST_STATE_PAUSED;
    GST_OBJECT_UNLOCK(sink);
    return owes && pausing;
}

}  // namespace

// Sets the pipeline's state and waits, bounded, for it to settle.
HRESULT GstGraph::ChangeState(GstState state) {
    if (HRESULT hr = error_.load(); FAILED(hr))
        return hr;
    wantPlaying_ = state == GST_STATE_PLAYING;
    if (buffering_ && state == GST_STATE_PLAYING)
        return S_FALSE;
    if (gst_element_set_state(pipeline_, state) == GST_STATE_CHANGE_FAILURE) {
        HRESULT hr = error_.load();
        return FAILED(hr) ? hr : E_FAIL;
    }
    return WaitForState(state);
}

// UI thread: until the pipeline stands in `state` with no change pending, or
// in any state with none pending for GST_STATE_VOID_PENDING; bounded by the
// source's timeout. An audio sink that will never commit its pause
// (OwesPause) is made to preroll again, once. For PLAYING, S_FALSE once a
// network source buffers: the clip plays on at 100 % (OnBuffering).
HRESULT GstGraph::WaitForState(GstState state) {
    auto deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs());
    const std::shared_ptr<AudioRendererFilter> audio = AudioRenderer();
    bool prerolledAgain = false;
    std::unique_lock lock(waitMutex_);
    abort_ = false;
    for (;;) {
        if (HRESULT hr = error_.load(); FAILED(hr))
            return hr;
        GstState current = GST_STATE_VOID_PENDING;
        GstStateChangeReturn ret = gst_element_get_state(pipeline_, &current, nullptr, 0);
        if (ret == GST_STATE_CHANGE_FAILURE)
            return E_FAIL;
        if ((ret == GST_STATE_CHANGE_SUCCESS || ret == GST_STATE_CHANGE_NO_PREROLL) &&
            (current == state || state == GST_STATE_VOID_PENDING))
            return S_OK;
        // Paused meanwhile for the buffering, as ChangeState leaves a start
        // while buffering.
        if (state == GST_STATE_PLAYING && buffering_)
            return S_FALSE;
        if (!prerolledAgain && audio) {
            // Unlocked: the sink posts to the bus (OnMessage takes waitMutex_)
            // under the lock OwesPause takes, and the flush waits for it.
            lock.unlock();
            prerolledAgain = PrerollOwedPause(audio->sink());
            lock.lock();
            if (prerolledAgain)
                continue;
        }
        if (abort_)
            return E_ABORT;
        if (Clock::now() >= deadline)
            return VFW_E_TIMEOUT;
        cv_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

// Where `sink` owes its pause (OwesPause): a flushing seek to where the clip
// stands, at its rate, so that every sink prerolls again and commits the
// state the pipeline goes to (none on a stream that cannot seek). Returns
// whether one was sent.
bool GstGraph::PrerollOwedPause(GstElement* sink) {
    REFERENCE_TIME now = 0;
    if (!OwesPause(sink) || !Seekable() || FAILED(GetCurrentPosition(&now)))
        return false;
    GST_WARNING_OBJECT(sink, "waits without committing its pause: preroll again");
    return SendSeek(now * 100, GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
}

}  // namespace tavimo::gst_internal
