// Where an accurate seek lands: on the first frame that starts at or after
// its target, as a chapter's first frame does, not on the frame before it
// whose last moments reach the target (47.96 for a chapter at 48.00).
#pragma once

#include <gst/gst.h>

#include <atomic>

namespace tavimo::gst_internal {

// When `buffer` (of `caps`) is a frame the decoder cut to `segment`'s start
// (it gave the frame the segment's start for a time and the rest of its
// length), its own start: where it ends less one frame of the caps' rate.
// Any other frame's start is its time stamp. Any thread.
GstClockTime FrameOwnStart(GstBuffer* buffer, const GstSegment& segment, GstCaps* caps);

class SeekLanding {
  public:
    SeekLanding() = default;
    SeekLanding(const SeekLanding&) = delete;
    SeekLanding& operator=(const SeekLanding&) = delete;

    // Watches the decoded pictures on `pad` (borrowed, outliving the watch:
    // the pipeline's, stopped before this goes). Streaming thread.
    void Watch(GstPad* pad);
    // The next flushing seek is accurate: its first frame is dropped when it
    // starts before the seek's target and another follows before `end` (the
    // clip's length, ns; none: GST_CLOCK_TIME_NONE). UI thread, before the seek.
    void Arm(GstClockTime end);
    // The next seek lands as GStreamer puts it. UI thread, before the seek.
    void Disarm() { armed_ = false; }

  private:
    static GstPadProbeReturn OnData(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    bool CutShort(GstPad* pad, GstBuffer* buffer) const;

    std::atomic<bool> armed_{false};    // set for the seek to come
    std::atomic<bool> landing_{false};  // its flush went by: the next frame is its first
    std::atomic<GstClockTime> end_{GST_CLOCK_TIME_NONE};
};

}  // namespace tavimo::gst_internal
