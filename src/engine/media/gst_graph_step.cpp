// Frame steps on a paused graph: on by the video sink's step event, back by
// an accurate seek to the frame before the one shown.
#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

// One frame's length in ns for `sample`: from the frame rate of its caps,
// else its buffer's duration; 0 when neither tells.
GstClockTime FrameLength(GstSample* sample) {
    GstVideoInfo info;
    GstCaps* caps = gst_sample_get_caps(sample);
    if (caps && gst_video_info_from_caps(&info, caps) && info.fps_n > 0)
        return gst_util_uint64_scale_int(GST_SECOND, info.fps_d, info.fps_n);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (GST_BUFFER_DURATION_IS_VALID(buffer))
        return GST_BUFFER_DURATION(buffer);
    return 0;
}

// Where the frame of `sample` ends, in ns; NONE when its time is unknown. A
// frame that an accurate seek landed in starts at the seek's target, so its
// end is the time that tells the frame.
GstClockTime FrameEnd(GstSample* sample, GstClockTime length) {
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (!GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_CLOCK_TIME_NONE;
    return GST_BUFFER_PTS(buffer) +
           (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : length);
}

}  // namespace

GstElement* GstGraph::VideoSink() {
    std::lock_guard lock(mutex_);
    auto video = FindAttached(Role::VideoRenderer);
    if (!video)
        return nullptr;
    GstPad* pad = gst_element_get_static_pad(video->element(), "sink");
    const bool linked = pad && gst_pad_is_linked(pad);
    if (pad)
        gst_object_unref(pad);
    return linked ? static_cast<VideoRendererFilter&>(*video).sink() : nullptr;
}

HRESULT GstGraph::CanStep() {
    return VideoSink() ? S_OK : S_FALSE;
}

HRESULT GstGraph::Step(long frames) {
    GstElement* sink = VideoSink();
    if (!sink || frames == 0 || frames < -1)
        return E_INVALIDARG;
    GstState state = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(pipeline_, &state, &pending, 0);
    if (state != GST_STATE_PAUSED || pending != GST_STATE_VOID_PENDING)
        return VFW_E_WRONG_STATE;
    GstSample* shown = nullptr;
    g_object_get(sink, "last-sample", &shown, nullptr);
    if (!shown)
        return E_FAIL;
    const GstClockTime length = FrameLength(shown);
    const GstClockTime end = FrameEnd(shown, length);
    gst_sample_unref(shown);
    if (!GST_CLOCK_TIME_IS_VALID(end) || length == 0)
        return E_FAIL;
    if (frames < 0) {
        if (end < length + length / 2)
            return S_FALSE;  // the first frame
        // The middle of the frame before, whatever the rounding of the times.
        return SeekAt(gint64(end - length - length / 2),
                      GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    }
    // A step past the last frame would leave the sink without a picture.
    if (gint64 duration = 0; gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) &&
                             duration > 0 && end + length / 2 > GstClockTime(duration))
        return S_FALSE;
    const int before = stepsDone_;
    if (!gst_element_send_event(
            sink, gst_event_new_step(GST_FORMAT_BUFFERS, guint64(frames), 1.0, TRUE, FALSE)))
        return E_FAIL;
    stepped_ = true;
    auto deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs());
    std::unique_lock lock(waitMutex_);
    while (stepsDone_ == before) {
        if (HRESULT hr = error_.load(); FAILED(hr))
            return hr;
        if (Clock::now() >= deadline)
            return VFW_E_TIMEOUT;
        cv_.wait_for(lock, std::chrono::milliseconds(20));
    }
    lock.unlock();
    // The step is done once the sink has taken the frame after it.
    return WaitForState(GST_STATE_PAUSED);
}

// The picture was stepped ahead of the sound: both start again together from
// the frame shown. An audio track chosen while paused plays from here.
HRESULT GstGraph::Run() {
    if (stepped_) {
        REFERENCE_TIME now = 0;
        if (SUCCEEDED(GetCurrentPosition(&now)))
            SeekAt(now * 100, GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    }
    const HRESULT hr = ChangeState(GST_STATE_PLAYING);
    if (hr == S_OK)
        tracks_.ApplyPendingAudio();
    return hr;
}

}  // namespace tavimo::gst_internal
