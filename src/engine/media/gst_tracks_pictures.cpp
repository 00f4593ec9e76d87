// The source's picture subtitle streams: every picture a track's stream
// brings is kept by its time (bounded by count and bytes), and the overlay of
// the track shown is given the picture due after a switch or a seek.
#include <algorithm>
#include <iterator>
#include <utility>

#include "engine/media/dvb_pages.h"
#include "engine/media/gst_tracks.h"
#include "subtitles/subtitle_shared.h"

namespace tavimo::gst_internal {

// Streaming thread of the picture selector: the chosen track's pictures go
// to the overlay, moved by the subtitle delay; none while the track is off or
// subtitles are out of view.
namespace {

// A DVD colour table or highlight: the overlay takes it on its picture side.
bool IsDvdEvent(GstEvent* event) {
    const GstStructure* s = gst_event_get_structure(event);
    return (GST_EVENT_TYPE(event) == GST_EVENT_CUSTOM_DOWNSTREAM ||
            GST_EVENT_TYPE(event) == GST_EVENT_CUSTOM_DOWNSTREAM_STICKY ||
            GST_EVENT_TYPE(event) == GST_EVENT_CUSTOM_DOWNSTREAM_OOB) &&
           s && gst_structure_has_name(s, "application/x-gst-dvd");
}

// Events of the picture stream the overlay takes itself. It sends any other
// on into the video, where a paused sink would hold the picture side's
// stream lock (and so every switch) until play goes on; those stop here.
bool OverlayTakes(GstEvent* event) {
    switch (GST_EVENT_TYPE(event)) {
        case GST_EVENT_CAPS:
        case GST_EVENT_SEGMENT:
        case GST_EVENT_FLUSH_START:
        case GST_EVENT_FLUSH_STOP:
        case GST_EVENT_EOS:
            return true;
        default:
            return IsDvdEvent(event);
    }
}

// Makes `buffer` (writable) at `pts` (ns of the stream, may be below 0) what
// the road's overlay takes: in the stream's time, or in running time of
// `segment` for an overlay that compares it with the video's running time
// (a picture begun before the segment starts at its start, as the overlay
// would clip it), with DVB regions widened where the overlay needs it.
// Streaming thread or UI thread, whoever hands the overlay `buffer`.
void MakeReady(const SourceTracks::Road& road, const GstSegment& segment, GstBuffer* buffer,
               GstClockTimeDiff pts) {
    GstClockTime at = GstClockTime(std::max<GstClockTimeDiff>(pts, 0));
    if (road.runningTime) {
        guint64 running = 0;
        const bool after =
            gst_segment_to_running_time_full(&segment, GST_FORMAT_TIME, at, &running) == 1;
        at = after ? running : 0;
    }
    GST_BUFFER_PTS(buffer) = at;
    GST_BUFFER_DTS(buffer) = GST_CLOCK_TIME_NONE;
    GstMapInfo map;
    if (road.widenRegions && gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) {
        WidenDvbRegions(map.data, map.size);
        gst_buffer_unmap(buffer, &map);
    }
}

// The overlay's picture pad holds a stream start before any picture, as
// GStreamer wants; not sent as an event, which the overlay would pass on
// into the video.
void MarkStreamStart(SourceTracks::Road& road, GstPad* selectorPad) {
    if (GstEvent* had = gst_pad_get_sticky_event(road.pictures, GST_EVENT_STREAM_START, 0)) {
        gst_event_unref(had);
        return;
    }
    GstEvent* start =
        selectorPad ? gst_pad_get_sticky_event(selectorPad, GST_EVENT_STREAM_START, 0) : nullptr;
    if (!start)
        start = gst_event_new_stream_start("tavimo-pictures");
    gst_pad_store_sticky_event(road.pictures, start);
    gst_event_unref(start);
}

// The pictures not handed on (those handed on are null).
void ReleaseAhead(std::vector<GstBuffer*>& ahead) {
    for (GstBuffer*& picture : ahead)
        gst_clear_buffer(&picture);
    ahead.clear();
}

// The pictures read ahead go to the overlay after the one due, in order.
void GiveAhead(SourceTracks::Road& road, const GstSegment* segment,
               std::vector<GstBuffer*>& ahead) {
    for (GstBuffer*& picture : ahead) {
        if (!segment)
            break;
        MakeReady(road, *segment, picture, GstClockTimeDiff(GST_BUFFER_PTS(picture)));
        gst_pad_chain(road.pictures, std::exchange(picture, nullptr));
    }
    ReleaseAhead(ahead);
}

// The segment a road's overlay is given for its pictures: the stream's own,
// or one whose times are the running times (see MakeReady).
GstEvent* SegmentFor(const SourceTracks::Road& road, const GstSegment& segment) {
    if (!road.runningTime)
        return gst_event_new_segment(&segment);
    GstSegment running;
    gst_segment_init(&running, GST_FORMAT_TIME);
    return gst_event_new_segment(&running);
}

}  // namespace

GstPadProbeReturn SourceTracks::OnPictureData(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto& road = *static_cast<Road*>(data);
    SourceTracks& self = *road.owner;
    if (info->type & (GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH)) {
        // Handled, not dropped: a sticky event counts as delivered, so the
        // pad does not try it again before every picture.
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
            std::lock_guard lock(road.giveMutex);
            road.given = false;
        } else if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            gst_event_copy_segment(event, &road.segment);
            if (road.runningTime) {
                gst_event_unref(event);
                GST_PAD_PROBE_INFO_DATA(info) = event = SegmentFor(road, road.segment);
            }
            if (road.on) {
                // After a seek, ahead of the stream's own next picture.
                PictureDue due;
                {
                    std::lock_guard lock(self.mutex_);
                    due = self.PictureDueLocked(road, road.segment.start);
                }
                GivePicture(road, due, &road.segment, true);
            }
        }
        if (GST_EVENT_TYPE(event) == GST_EVENT_STREAM_START)
            gst_pad_store_sticky_event(road.pictures, event);  // held, not sent on
        if (OverlayTakes(event))
            return GST_PAD_PROBE_OK;
        gst_event_unref(event);
        GST_PAD_PROBE_INFO_DATA(info) = nullptr;
        return GST_PAD_PROBE_HANDLED;
    }
    MixerShared* view = self.pictureView_.load();
    if (!road.on || (view && view->ViewSubtitles.load() == 0))
        return GST_PAD_PROBE_DROP;
    const int delayMs = view ? view->SubtitleDelay.load(std::memory_order_relaxed) : 0;
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if ((delayMs == 0 && !road.runningTime && !road.widenRegions) ||
        !GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    MakeReady(road, road.segment, buffer,
              GstClockTimeDiff(GST_BUFFER_PTS(buffer)) + delayMs * GST_MSECOND);
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn SourceTracks::OnPictureRead(GstPad*, GstPadProbeInfo* info, gpointer data) {
    // A film's PGS stream holds a few thousand display sets of some kB each;
    // past this many or this many bytes the earliest go (a seek back then
    // shows the next one only).
    constexpr size_t kKeptPictures = 8192;
    constexpr size_t kKeptPictureBytes = size_t{64} << 20;
    auto& track = *static_cast<Track*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (IsDvdEvent(event)) {
            std::lock_guard lock(track.owner->mutex_);
            gst_event_replace(&track.palette, event);
        }
        return GST_PAD_PROBE_OK;
    }
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_PAD_PROBE_OK;
    std::lock_guard lock(track.owner->mutex_);
    auto [at, added] = track.pictures.emplace(GST_BUFFER_PTS(buffer), nullptr);
    if (!added) {
        track.pictureBytes -= gst_buffer_get_size(at->second);
        gst_buffer_unref(at->second);
    }
    at->second = gst_buffer_ref(buffer);
    track.pictureBytes += gst_buffer_get_size(buffer);
    while (track.pictures.size() > 1 &&
           (track.pictures.size() > kKeptPictures || track.pictureBytes > kKeptPictureBytes)) {
        auto earliest = track.pictures.begin();
        track.pictureBytes -= gst_buffer_get_size(earliest->second);
        gst_buffer_unref(earliest->second);
        track.pictures.erase(earliest);
    }
    return GST_PAD_PROBE_OK;
}

// Streaming thread of the video. A seek flushed the overlay's pictures, and
// the source sends no picture again that started before where it landed;
// the frames after the seek may reach the overlay before the picture stream
// says anything, so the picture due goes in here, ahead of them.
GstPadProbeReturn SourceTracks::OnVideoSegment(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto& road = *static_cast<Road*>(data);
    SourceTracks& self = *road.owner;
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    MixerShared* view = self.pictureView_.load();
    if (GST_EVENT_TYPE(event) != GST_EVENT_SEGMENT || !road.on ||
        (view && view->ViewSubtitles.load() == 0))
        return GST_PAD_PROBE_OK;
    GstSegment segment;
    gst_event_copy_segment(event, &segment);
    PictureDue due;
    {
        std::lock_guard lock(self.mutex_);
        due = self.PictureDueLocked(road, segment.start);
    }
    GivePicture(road, due, &segment, true);
    return GST_PAD_PROBE_OK;
}

long SourceTracks::PictureShownLocked(const Road& road) const {
    if (!road.on || subtitle_ < 0 || tracks_[size_t(subtitle_)]->road != &road)
        return -1;
    return subtitle_;
}

SourceTracks::PictureDue SourceTracks::PictureDueLocked(const Road& road, GstClockTime time) {
    PictureDue due;
    const long shown = PictureShownLocked(road);
    if (shown < 0)
        return due;
    const Track& track = *tracks_[size_t(shown)];
    due.selectorPad = GST_PAD(gst_object_ref(track.selectorPad));
    due.caps = gst_pad_get_current_caps(track.pad);
    // The selector passed only the first track's colours.
    due.palette = track.palette
                      ? gst_event_copy(track.palette)
                      : gst_pad_get_sticky_event(track.pad, GST_EVENT_CUSTOM_DOWNSTREAM_STICKY, 0);
    auto after = track.pictures.upper_bound(time);
    const bool hidden = mixer_ && mixer_->ViewSubtitles.load() == 0;
    if (hidden || !GST_CLOCK_TIME_IS_VALID(time) || after == track.pictures.begin())
        return due;
    GstBuffer* kept = std::prev(after)->second;
    // A VobSub unit knows its length; a PGS display set lasts until the next.
    if (GST_BUFFER_DURATION_IS_VALID(kept) &&
        GST_BUFFER_PTS(kept) + GST_BUFFER_DURATION(kept) <= time)
        return due;
    // The overlay drops what starts before its segment: the picture starts
    // where the segment does (a VobSub unit then ends that much later).
    due.picture = gst_buffer_copy(kept);
    const int delayMs = mixer_ ? mixer_->SubtitleDelay.load(std::memory_order_relaxed) : 0;
    const GstClockTimeDiff pts =
        GstClockTimeDiff(GST_BUFFER_PTS(due.picture)) + delayMs * GST_MSECOND;
    GST_BUFFER_PTS(due.picture) = std::max(GstClockTime(std::max<GstClockTimeDiff>(pts, 0)), time);
    GST_BUFFER_DTS(due.picture) = GST_CLOCK_TIME_NONE;
    return due;
}

void SourceTracks::GivePicture(Road& road, PictureDue due, const GstSegment* segment, bool once) {
    std::lock_guard lock(road.giveMutex);
    if (once && road.given) {
        ReleaseAhead(due.ahead);
        gst_clear_buffer(&due.picture);
        gst_clear_event(&due.palette);
        gst_clear_caps(&due.caps);
        gst_clear_object(&due.selectorPad);
        return;
    }
    road.given = true;
    MarkStreamStart(road, due.selectorPad);
    if (due.switched) {
        if (due.selectorPad)
            g_object_set(road.selector, "active-pad", due.selectorPad, nullptr);
        // The overlay forgets the picture it shows; its video goes on.
        gst_pad_send_event(road.pictures, gst_event_new_flush_stop(FALSE));
    }
    GstSegment current;
    if (!segment && (due.switched || due.picture || !due.ahead.empty())) {
        // The flush took the overlay's segment of the pictures away: the
        // video's is the same timeline.
        if (GstEvent* event = gst_pad_get_sticky_event(road.video, GST_EVENT_SEGMENT, 0)) {
            gst_event_copy_segment(event, &current);
            gst_event_unref(event);
            segment = &current;
        }
    }
    if (due.caps)
        gst_pad_send_event(road.pictures, gst_event_new_caps(due.caps));
    if (due.palette)
        gst_pad_send_event(road.pictures, due.palette);
    if (segment && (due.switched || due.picture || !due.ahead.empty()))
        gst_pad_send_event(road.pictures, SegmentFor(road, *segment));
    if (due.picture && segment) {
        due.picture = gst_buffer_make_writable(due.picture);
        MakeReady(road, *segment, due.picture, GstClockTimeDiff(GST_BUFFER_PTS(due.picture)));
        gst_pad_chain(road.pictures, due.picture);
    } else if (due.picture)
        gst_buffer_unref(due.picture);
    GiveAhead(road, segment, due.ahead);
    if (due.caps)
        gst_caps_unref(due.caps);
    if (due.selectorPad)
        gst_object_unref(due.selectorPad);
}

}  // namespace tavimo::gst_internal
