// The cues of the source's subtitle streams: each stream's sink hands its
// buffers and events to a probe on its streaming thread; the cues are kept
// per track and those of the track shown go to the player's subtitle track
// (text) or ASS script, one by one as they come. Text cues are converted
// before the tracks' lock is taken; the lock is held for the store alone.
// Fonts attached to the file go to the script for as long as the clip plays.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/media/gst_tracks.h"
#include "subtitles/ass_script.h"
#include "subtitles/subtitle_shared.h"
#include "subtitles/subtitle_track.h"

namespace tavimo::gst_internal {
namespace {

// A cue without a duration shows this long.
constexpr int64_t kUntimedCueMs = 5000;

// Stream time in ms of `time` in `segment`; -1 before the stream's start.
int64_t StreamMs(const GstSegment& segment, GstClockTime time) {
    guint64 stream = 0;
    if (gst_segment_to_stream_time_full(&segment, GST_FORMAT_TIME, time, &stream) != 1)
        return -1;
    return int64_t(stream / GST_MSECOND);
}

// The ASS script's header from the stream's caps (its codec data).
std::string AssHeaderOf(const GstStructure* s) {
    const GValue* value = gst_structure_get_value(s, "codec_data");
    GstBuffer* data =
        value && GST_VALUE_HOLDS_BUFFER(value) ? gst_value_get_buffer(value) : nullptr;
    GstMapInfo map;
    if (!data || !gst_buffer_map(data, &map, GST_MAP_READ))
        return {};
    std::string header(reinterpret_cast<const char*>(map.data), map.size);
    gst_buffer_unmap(data, &map);
    return header;
}

// A font attached to the file: its name and bytes, false for other
// attachments. The demuxer names the file and its MIME type; the caps are
// a guess from its bytes.
bool FontOf(GstSample* sample, std::string* name, std::string* bytes) {
    const GstStructure* info = gst_sample_get_info(sample);
    const char* file = info ? gst_structure_get_string(info, "filename") : nullptr;
    const char* mime = info ? gst_structure_get_string(info, "mimetype") : nullptr;
    std::string lower = file ? file : "";
    for (char& c : lower)
        c = g_ascii_tolower(c);
    auto endsWith = [&](const char* suffix) {
        return lower.size() >= std::strlen(suffix) &&
               lower.compare(lower.size() - std::strlen(suffix), std::string::npos, suffix) == 0;
    };
    const bool font = (mime && (std::strstr(mime, "font") || std::strstr(mime, "opentype"))) ||
                      endsWith(".ttf") || endsWith(".otf") || endsWith(".ttc");
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (!font || !buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ))
        return false;
    *name = file ? file : "attachment";
    bytes->assign(reinterpret_cast<const char*>(map.data), map.size);
    gst_buffer_unmap(buffer, &map);
    return true;
}

}  // namespace

CueKind CueKindOf(GstCaps* caps, CueFormat* format) {
    if (!caps || gst_caps_is_empty(caps))
        return CueKind::None;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (gst_structure_has_name(s, "application/x-ass") ||
        gst_structure_has_name(s, "application/x-ssa"))
        return CueKind::Ass;
    if (gst_structure_has_name(s, "text/x-raw")) {
        const char* written = gst_structure_get_string(s, "format");
        *format = g_strcmp0(written, "utf8") == 0 ? CueFormat::PlainUtf8 : CueFormat::PangoMarkup;
        return CueKind::Text;
    }
    if (gst_structure_has_name(s, "application/x-subtitle-vtt")) {
        *format = CueFormat::WebVtt;
        return CueKind::Text;
    }
    return CueKind::None;
}

// What a subtitle stream's caps make of its cues.
void ReadCueCaps(SourceTracks::Track& track, GstCaps* caps) {
    using Cues = SourceTracks::Track::Cues;
    if (!track.decodable)
        return;
    switch (CueKindOf(caps, &track.textFormat)) {
        case CueKind::Ass:
            track.cues = Cues::Ass;
            track.assHeader = AssHeaderOf(gst_caps_get_structure(caps, 0));
            break;
        case CueKind::Text:
            track.cues = Cues::Text;
            break;
        case CueKind::None:
            break;
    }
}

GstPadProbeReturn SourceTracks::OnSubtitleData(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto& track = *static_cast<Track*>(data);
    SourceTracks& self = *track.owner;
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        self.OnCue(track, GST_PAD_PROBE_INFO_BUFFER(info));
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    switch (GST_EVENT_TYPE(event)) {
        case GST_EVENT_CAPS: {
            GstCaps* caps = nullptr;
            gst_event_parse_caps(event, &caps);
            self.OnCaps(track, caps);
            break;
        }
        case GST_EVENT_SEGMENT: {
            std::lock_guard lock(self.mutex_);
            gst_event_copy_segment(event, &track.segment);
            break;
        }
        case GST_EVENT_TAG: {
            GstTagList* tags = nullptr;
            gst_event_parse_tag(event, &tags);
            self.OnTags(tags);
            break;
        }
        default:
            break;
    }
    return GST_PAD_PROBE_OK;
}

void SourceTracks::OnCaps(Track& track, GstCaps* caps) {
    std::lock_guard lock(mutex_);
    const std::string header = track.assHeader;
    ReadCueCaps(track, caps);
    const bool shown = subtitle_ >= 0 && tracks_[size_t(subtitle_)].get() == &track;
    if (shown && track.assHeader != header)
        ShowLocked(subtitle_);
}

// Streaming thread of the track's sink, or the cue reader's thread reading
// ahead: one cue. Cues are kept whether the track is shown or not, so that
// choosing it later shows what was read. The track's kind of cues, format and
// segment are read under the lock: the read-ahead thread runs beside the
// track's own, whose caps and segment events change them.
void SourceTracks::OnCue(Track& track, GstBuffer* buffer) {
    Track::Cues cues;
    CueFormat format;
    GstSegment segment;
    {
        std::lock_guard lock(mutex_);
        cues = track.cues;
        format = track.textFormat;
        gst_segment_copy_into(&track.segment, &segment);
    }
    if (cues == Track::Cues::None || !GST_BUFFER_PTS_IS_VALID(buffer))
        return;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    const std::string_view bytes(reinterpret_cast<const char*>(map.data), map.size);
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    const int64_t start = StreamMs(segment, pts);
    const int64_t end = GST_BUFFER_DURATION_IS_VALID(buffer)
                            ? StreamMs(segment, pts + GST_BUFFER_DURATION(buffer))
                            : start + kUntimedCueMs;
    if (start >= 0 && end > start && cues == Track::Cues::Text) {
        CueText cue = ConvertCue(format, bytes);
        const bool markup = format != CueFormat::PlainUtf8;
        AddTextCue(track, {start, end, std::move(cue.text), cue.lines, 0, 0, markup});
    } else if (start >= 0 && end > start && cues == Track::Cues::Ass) {
        std::lock_guard lock(mutex_);
        const bool shown = subtitle_ >= 0 && tracks_[size_t(subtitle_)].get() == &track;
        if (track.ass.Add(bytes, start, end - start) && shown && mixer_) {
            mixer_->Ass.AddEvent(bytes, start, end - start);
            TellShownLocked(start, end);
        }
    }
    gst_buffer_unmap(buffer, &map);
}

void SourceTracks::AddTextCue(Track& track, SubtitleEntry entry) {
    const int64_t start = entry.start, end = entry.end;
    std::lock_guard lock(mutex_);
    const bool shown = subtitle_ >= 0 && tracks_[size_t(subtitle_)].get() == &track;
    if (!track.text.Add(entry) || !shown || !track_)
        return;
    track_->Add(std::move(entry));
    TellShownLocked(start, end);
}

// A cue of the track shown has arrived: a paused picture it belongs on may
// have been drawn before it came.
void SourceTracks::TellShownLocked(int64_t startMs, int64_t endMs) {
    const int delay = mixer_ ? mixer_->SubtitleDelay.load(std::memory_order_relaxed) : 0;
    if (onShownCue_)
        onShownCue_(startMs + delay, endMs + delay);
}

// Fonts attached to the file arrive as tags of the whole file.
void SourceTracks::OnTags(GstTagList* tags) {
    const guint count = gst_tag_list_get_tag_size(tags, GST_TAG_ATTACHMENT);
    std::lock_guard lock(mutex_);
    for (guint i = 0; i < count; ++i) {
        GstSample* sample = nullptr;
        std::string name, bytes;
        if (!gst_tag_list_get_sample_index(tags, GST_TAG_ATTACHMENT, i, &sample))
            continue;
        const bool font = FontOf(sample, &name, &bytes);
        gst_sample_unref(sample);
        bool known = false;
        for (const auto& [had, unused] : fonts_)
            known = known || had == name;
        if (font && !known)
            fonts_.emplace_back(std::move(name), std::move(bytes));
    }
    if (mixer_)
        for (; fontsGiven_ < fonts_.size(); ++fontsGiven_)
            mixer_->Ass.AddFont(this, fonts_[fontsGiven_].first, fonts_[fontsGiven_].second);
}

HRESULT SourceTracks::SetSubtitleTargets(SubtitleTrack* track, MixerShared* mixer) {
    std::lock_guard lock(mutex_);
    // The fonts attached to the clip go with it.
    if (mixer_ && mixer != mixer_)
        mixer_->Ass.ForgetFonts(this);
    track_ = track;
    mixer_ = mixer;
    pictureView_ = mixer;
    fontsGiven_ = 0;
    if (subtitle_ >= 0)
        ShowLocked(subtitle_);
    return S_OK;
}

// Sends the chosen subtitle track (none: -1) to the targets; lock held.
void SourceTracks::ShowLocked(long index) {
    const long shown = subtitle_;
    subtitle_ = index;
    const Track* before = shown >= 0 ? tracks_[size_t(shown)].get() : nullptr;
    const Track* after = index >= 0 ? tracks_[size_t(index)].get() : nullptr;
    const auto picture = [](const Track* t) { return t && t->cues == Track::Cues::Picture; };
    if (picture(before)) {
        before->road->on = false;
        before->road->switched = true;
    }
    if (picture(after)) {
        after->road->on = true;
        after->road->switched = true;
    }
    if (!track_ || !mixer_)
        return;
    // What the track shown before put there goes, unless the new one replaces it.
    if (before && before->cues == Track::Cues::Text && (!after || after->cues != Track::Cues::Text))
        track_->Clear();
    if (before && before->cues == Track::Cues::Ass)
        mixer_->Ass.Clear();
    if (!after || after->cues != Track::Cues::Ass) {
        mixer_->SubtitleSource = 0;
        if (after)
            track_->Fill(after->text.Entries());
        return;
    }
    for (; fontsGiven_ < fonts_.size(); ++fontsGiven_)
        mixer_->Ass.AddFont(this, fonts_[fontsGiven_].first, fonts_[fontsGiven_].second);
    mixer_->Ass.SetHeader(after->assHeader);
    mixer_->Ass.AddEvents(after->ass.Events());
    mixer_->SubtitleSource = 1;
}

}  // namespace tavimo::gst_internal
