#include "engine/media/gst_seek_landing.h"

#include <gst/video/video.h>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {

GstClockTime FrameOwnStart(GstBuffer* buffer, const GstSegment& segment, GstCaps* caps) {
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    GstVideoInfo info;
    if (!GST_CLOCK_TIME_IS_VALID(pts) || pts != segment.start ||
        !GST_BUFFER_DURATION_IS_VALID(buffer) || !caps || !gst_video_info_from_caps(&info, caps) ||
        info.fps_n <= 0 || info.fps_d <= 0)
        return pts;
    const GstClockTime period = gst_util_uint64_scale(GST_SECOND, info.fps_d, info.fps_n);
    const GstClockTime duration = GST_BUFFER_DURATION(buffer);
    // A millisecond for the rounding of the container's times.
    if (duration + GST_MSECOND >= period || pts + duration < period)
        return pts;
    return pts + duration - period;
}

void SeekLanding::Watch(GstPad* pad) {
    gst_pad_add_probe(pad,
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      OnData, this, nullptr);
}

void SeekLanding::Arm(GstClockTime end) {
    end_ = end;
    landing_ = false;
    armed_ = true;
}

// Streaming thread: the seek's flush, then its first frame.
GstPadProbeReturn SeekLanding::OnData(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SeekLanding*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_FLUSH) {
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_FLUSH_STOP)
            self->landing_ = self->armed_.exchange(false);
        return GST_PAD_PROBE_OK;
    }
    if (!self->landing_.exchange(false))
        return GST_PAD_PROBE_OK;
    return self->CutShort(pad, GST_PAD_PROBE_INFO_BUFFER(info)) ? GST_PAD_PROBE_DROP
                                                                : GST_PAD_PROBE_OK;
}

// Whether `buffer` started before the segment (the decoder cut it) and is
// not the clip's last frame.
bool SeekLanding::CutShort(GstPad* pad, GstBuffer* buffer) const {
    GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    bool cut = false;
    if (event && caps) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        const GstClockTime end = end_.load();
        cut = segment->format == GST_FORMAT_TIME && segment->rate > 0 &&
              FrameOwnStart(buffer, *segment, caps) < pts &&
              (!GST_CLOCK_TIME_IS_VALID(end) ||
               pts + GST_BUFFER_DURATION(buffer) + GST_MSECOND < end);
    }
    if (caps)
        gst_caps_unref(caps);
    if (event)
        gst_event_unref(event);
    return cut;
}

// UI thread. A paused clip stands where it was paused or last sought, which
// may be inside the frame shown: a seek there (to draw it again) goes to the
// frame's own start, so that it is the frame it lands on.
void GstGraph::ArmLanding(REFERENCE_TIME* target) {
    REFERENCE_TIME now = -1, length = -1;
    std::shared_ptr<ICurrentImage> shown;
    std::shared_ptr<VideoRendererFilter> video;
    {
        std::lock_guard lock(mutex_);
        video = std::static_pointer_cast<VideoRendererFilter>(FindAttached(Role::VideoRenderer));
    }
    if (video && SUCCEEDED(GetCurrentPosition(&now)) && now == *target &&
        SUCCEEDED(video->GetCurrentImage(&shown)) && shown && shown->Time() >= 0)
        *target = std::min(*target, shown->Time());
    const bool known = SUCCEEDED(GetDuration(&length)) && length > 0;
    landing_.Arm(known ? GstClockTime(length) * 100 : GST_CLOCK_TIME_NONE);
}

}  // namespace tavimo::gst_internal
