// Frame steps on a paused graph: on by the video sink's step event, back by
// an accurate seek to the frame before the one shown. Frames are told by
// their times in the clip's own time, as positions and seeks are.
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

// `at`, a time of the stream's segment, in the clip's own time (the
// position's and the seeks'); 0 before the clip's start.
GstClockTime ClipTime(const GstSegment& segment, GstClockTime at) {
    guint64 time = 0;
    const int sign = gst_segment_to_stream_time_full(&segment, GST_FORMAT_TIME, at, &time);
    return sign > 0 ? GstClockTime(time) : sign < 0 ? 0 : GST_CLOCK_TIME_NONE;
}

// The frame the sink shows, in the clip's own time, ns. A frame that an
// accurate seek landed in starts at the seek's target, so its end is the
// time that tells the frame. Its time stamps are the container's: one whose
// times start late (an MPEG program stream's clock, an MP4 edit list in
// front of B-frames) has the difference taken off by the segment.
struct ShownFrame {
    GstClockTime start = GST_CLOCK_TIME_NONE, end = GST_CLOCK_TIME_NONE, length = 0;
};

// The frame `sink` shows; false without one whose time and length are known.
bool FrameShown(GstElement* sink, ShownFrame* shown) {
    GstSample* sample = nullptr;
    g_object_get(sink, "last-sample", &sample, nullptr);
    if (!sample)
        return false;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const GstSegment* segment = gst_sample_get_segment(sample);
    shown->length = FrameLength(sample);
    if (buffer && segment && segment->format == GST_FORMAT_TIME &&
        GST_BUFFER_PTS_IS_VALID(buffer)) {
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        shown->start = ClipTime(*segment, pts);
        shown->end = ClipTime(
            *segment, pts + (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer)
                                                                  : shown->length));
    }
    gst_sample_unref(sample);
    return GST_CLOCK_TIME_IS_VALID(shown->start) && GST_CLOCK_TIME_IS_VALID(shown->end) &&
           shown->length > 0;
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
    ShownFrame shown;
    if (!FrameShown(sink, &shown))
        return E_FAIL;
    const GstClockTime length = shown.length;
    if (frames < 0) {
        if (shown.end < length + length / 2)
            return S_FALSE;  // the first frame
        // The middle of the frame before, whatever the rounding of the times.
        return StepBackTo(sink, shown.end - length - length / 2);
    }
    // A step past the last frame would leave the sink without a picture.
    if (gint64 duration = 0; gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) &&
                             duration > 0 && shown.end + length / 2 > GstClockTime(duration))
        return S_FALSE;
    return StepOn(sink, guint64(frames));
}

// UI thread. Most demuxers seek to a frame's time exactly; one that seeks by
// its clock and leaves the decoder to wait for the next key frame (MPEG
// program streams) lands up to a second or more after `target`. Such a seek
// is made again from further back, a second at first and twice as far each
// time, and the frames up to the target are stepped through.
HRESULT GstGraph::StepBackTo(GstElement* sink, GstClockTime target) {
    constexpr GstClockTime kFurthestBack = 8 * GST_SECOND;
    GstClockTime from = target;
    for (GstClockTime back = GST_SECOND;; back *= 2) {
        if (HRESULT hr = SeekAt(gint64(from), GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
            FAILED(hr))
            return hr;
        ShownFrame landed;
        if (!FrameShown(sink, &landed))
            return E_FAIL;
        if (landed.start <= target) {
            if (landed.end > target)
                return S_OK;
            return StepOn(sink, (target - landed.end) / landed.length + 1);
        }
        if (from == 0 || back > kFurthestBack)
            return S_FALSE;  // as near as the demuxer goes
        from = target > back ? target - back : 0;
    }
}

// UI thread: `frames` frames on by the video sink's step event, which leaves
// the sound behind (Run starts both again from the frame shown).
HRESULT GstGraph::StepOn(GstElement* sink, guint64 frames) {
    const int before = stepsDone_;
    if (!gst_element_send_event(sink,
                                gst_event_new_step(GST_FORMAT_BUFFERS, frames, 1.0, TRUE, FALSE)))
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
// the frame shown. Where the sound card's time went wrong for good, the
// flushing seek there also gives the sound a new sink (ReplaceStuckSound)
// before the old one would write its sound that far ahead. An audio track
// chosen while paused plays from here.
HRESULT GstGraph::Run() {
    if (stepped_ || SoundStuck()) {
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
