// What the source read before it was wanted: the pictures a track switched
// on had dropped while it was off, and the cues a second reader found before
// a seek's target.
#include <algorithm>

#include "engine/media/gst_tracks.h"
#include "subtitles/subtitle_shared.h"

namespace tavimo::gst_internal {

void SourceTracks::PicturesAheadLocked(const Road& road, GstClockTime time, PictureDue* due) {
    // As many as a few minutes of a film's pages: the overlay keeps them all.
    constexpr size_t kMostAhead = 64;
    const long shown = PictureShownLocked(road);
    const bool hidden = mixer_ && mixer_->ViewSubtitles.load() == 0;
    if (shown < 0 || hidden || !GST_CLOCK_TIME_IS_VALID(time))
        return;
    const Track& track = *tracks_[size_t(shown)];
    const int delayMs = mixer_ ? mixer_->SubtitleDelay.load(std::memory_order_relaxed) : 0;
    for (auto at = track.pictures.upper_bound(time);
         at != track.pictures.end() && due->ahead.size() < kMostAhead; ++at) {
        GstBuffer* picture = gst_buffer_copy(at->second);
        const GstClockTimeDiff pts =
            GstClockTimeDiff(GST_BUFFER_PTS(picture)) + delayMs * GST_MSECOND;
        GST_BUFFER_PTS(picture) = GstClockTime(std::max<GstClockTimeDiff>(pts, 0));
        GST_BUFFER_DTS(picture) = GST_CLOCK_TIME_NONE;
        due->ahead.push_back(picture);
    }
}

void SourceTracks::AddReadAhead(const std::string& streamId, GstBuffer* buffer) {
    Track* found = nullptr;
    {
        std::lock_guard lock(mutex_);
        for (auto& track : tracks_) {
            if (track->kind != StreamInfo::Kind::Subtitle || track->cues == Track::Cues::Picture)
                continue;
            gchar* id = gst_pad_get_stream_id(track->pad);
            if (id && streamId == id)
                found = track.get();
            g_free(id);
            if (found)
                break;
        }
        // The track's own sink may have had no data yet, and so no caps.
        if (found && found->cues == Track::Cues::None) {
            if (GstCaps* caps = gst_pad_get_current_caps(found->pad)) {
                ReadCueCaps(*found, caps);
                gst_caps_unref(caps);
            }
        }
    }
    // Tracks stay as long as the graph: the pointer outlives the lock.
    if (found)
        OnCue(*found, buffer);
}

}  // namespace tavimo::gst_internal
