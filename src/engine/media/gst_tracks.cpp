// The source's audio and subtitle tracks: listing them in file order, keeping
// the cues of every subtitle stream, and switching without reopening.
#include "engine/media/gst_tracks.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "subtitles/ass_script.h"
#include "subtitles/subtitle_shared.h"

namespace tavimo::gst_internal {
namespace {

// What a stream's caps say: its kind and the short name menus show. The
// name of the stream's coded caps wins over that of the decoded ones.
struct FormatRow {
    const char* caps;   // structure name
    const char* field;  // a field that tells formats apart, or null
    const char* value;  // its value (string or int as text)
    const char* name;
    StreamInfo::Kind kind;
    bool drawn;  // subtitles: we draw it
};
using K = StreamInfo::Kind;
constexpr FormatRow kFormats[] = {
    {"audio/mpeg", "mpegversion", "4", "AAC", K::Audio, false},
    {"audio/mpeg", "mpegversion", "2", "AAC", K::Audio, false},
    {"audio/mpeg", "layer", "3", "MP3", K::Audio, false},
    {"audio/mpeg", "layer", "2", "MP2", K::Audio, false},
    {"audio/mpeg", nullptr, nullptr, "MPEG Audio", K::Audio, false},
    {"audio/x-ac3", nullptr, nullptr, "AC-3", K::Audio, false},
    {"audio/ac3", nullptr, nullptr, "AC-3", K::Audio, false},
    {"audio/x-eac3", nullptr, nullptr, "E-AC-3", K::Audio, false},
    {"audio/x-dts", nullptr, nullptr, "DTS", K::Audio, false},
    {"audio/x-true-hd", nullptr, nullptr, "TrueHD", K::Audio, false},
    {"audio/x-opus", nullptr, nullptr, "Opus", K::Audio, false},
    {"audio/x-vorbis", nullptr, nullptr, "Vorbis", K::Audio, false},
    {"audio/x-flac", nullptr, nullptr, "FLAC", K::Audio, false},
    {"audio/x-alac", nullptr, nullptr, "ALAC", K::Audio, false},
    {"audio/x-wma", nullptr, nullptr, "WMA", K::Audio, false},
    {"audio/x-raw", nullptr, nullptr, "PCM", K::Audio, false},
    {"text/x-raw", "format", "utf8", "Timed Text", K::Subtitle, true},
    {"text/x-raw", nullptr, nullptr, "SubRip", K::Subtitle, true},
    {"application/x-subtitle-vtt", nullptr, nullptr, "WebVTT", K::Subtitle, true},
    {"application/x-ass", nullptr, nullptr, "ASS", K::Subtitle, true},
    {"application/x-ssa", nullptr, nullptr, "SSA", K::Subtitle, true},
    {"subpicture/x-pgs", nullptr, nullptr, "PGS", K::Subtitle, true},
    {"subpicture/x-dvd", nullptr, nullptr, "VobSub", K::Subtitle, true},
    {"subtitle/x-dvb", nullptr, nullptr, "DVB", K::Subtitle, true},
    {"subpicture/x-dvb", nullptr, nullptr, "DVB", K::Subtitle, true},
    {"application/x-subtitle-unknown", nullptr, nullptr, "Unknown", K::Subtitle, false},
};

const FormatRow* FormatOf(GstCaps* caps) {
    if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps))
        return nullptr;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    for (const FormatRow& row : kFormats) {
        if (!gst_structure_has_name(s, row.caps))
            continue;
        if (!row.field)
            return &row;
        int number = 0;
        const char* text = gst_structure_get_string(s, row.field);
        if ((text && std::strcmp(text, row.value) == 0) ||
            (gst_structure_get_int(s, row.field, &number) && number == std::atoi(row.value)))
            return &row;
    }
    return nullptr;
}

// The pad upstream of `pad` inside the source: through ghost pads, the
// element's other side (a queue's or multiqueue's pair), and peers. Null at
// the source's edge. Takes `pad`'s reference, returns one.
GstPad* Upstream(GstPad* pad) {
    GstPad* next = nullptr;
    if (GST_IS_GHOST_PAD(pad)) {
        next = gst_ghost_pad_get_target(GST_GHOST_PAD(pad));
    } else if (GST_PAD_IS_SRC(pad)) {
        GstIterator* it = gst_pad_iterate_internal_links(pad);
        GValue item = G_VALUE_INIT;
        if (it && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            next = GST_PAD(g_value_dup_object(&item));
            g_value_unset(&item);
        }
        if (it)
            gst_iterator_free(it);
    } else {
        next = gst_pad_get_peer(pad);
        if (next && GST_IS_PROXY_PAD(next) && !GST_IS_GHOST_PAD(next))
            gst_clear_object(&next);  // a bin's edge: the source itself
    }
    gst_object_unref(pad);
    return next;
}

// The format of the stream at `pad`, by the most upstream caps we can name.
const FormatRow* CodedFormatOf(GstPad* pad) {
    const FormatRow* found = nullptr;
    GstPad* at = GST_PAD(gst_object_ref(pad));
    for (int step = 0; at && step < 48; ++step) {
        GstCaps* caps = gst_pad_get_current_caps(at);
        if (const FormatRow* row = FormatOf(caps))
            found = row;
        if (caps)
            gst_caps_unref(caps);
        at = Upstream(at);
    }
    if (at)
        gst_object_unref(at);
    return found;
}

// Whether the demuxer of the stream at `pad` flags the tracks a file
// disables (GST_STREAM_FLAG_UNSELECT) rather than those it makes default
// (GST_STREAM_FLAG_SELECT): an MP4 or QuickTime track carries an enabled
// flag, which qtdemux passes on this way. A track such a demuxer does not
// flag is one the file enables, its default.
bool FlagsDisabledTracks(GstPad* pad) {
    bool found = false;
    GstPad* at = GST_PAD(gst_object_ref(pad));
    for (int step = 0; at && !found && step < 48; ++step) {
        GstElement* parent =
            GST_PAD_PARENT(at) && GST_IS_ELEMENT(GST_PAD_PARENT(at)) ? GST_PAD_PARENT(at) : nullptr;
        GstElementFactory* factory = parent ? gst_element_get_factory(parent) : nullptr;
        found = factory && g_strcmp0(GST_OBJECT_NAME(factory), "qtdemux") == 0;
        at = Upstream(at);
    }
    if (at)
        gst_object_unref(at);
    return found;
}

// The track's number in the file: the demuxer's stream id ends in
// "/<number>" or "/<number>:<uid>". Unknown ones go last, in arrival order.
uint64_t FileOrderOf(GstPad* pad, unsigned arrival) {
    gchar* id = gst_pad_get_stream_id(pad);
    uint64_t order = (uint64_t(1) << 40) + arrival;
    const char* slash = id ? std::strrchr(id, '/') : nullptr;
    char* end = nullptr;
    if (slash && slash[1]) {
        const unsigned long long number = std::strtoull(slash + 1, &end, 16);
        if (end != slash + 1 && (*end == '\0' || *end == ':'))
            order = (uint64_t(number) << 16) + arrival;
    }
    g_free(id);
    return order;
}

}  // namespace

SourceTracks::~SourceTracks() {
    gst_clear_object(&pendingAudio_);
    if (selector_)
        gst_object_unref(selector_);
}

void SourceTracks::ApplyPendingAudio() {
    std::lock_guard lock(mutex_);
    if (!pendingAudio_ || !selector_)
        return;
    g_object_set(selector_, "active-pad", pendingAudio_, nullptr);
    gst_clear_object(&pendingAudio_);
}

SourceTracks::Track& SourceTracks::InsertLocked(std::unique_ptr<Track> track) {
    track->owner = this;
    track->order = FileOrderOf(track->pad, arrivals_++);
    gst_segment_init(&track->segment, GST_FORMAT_TIME);
    auto at = std::upper_bound(tracks_.begin(), tracks_.end(), track->order,
                               [](uint64_t order, const auto& t) { return order < t->order; });
    // A subtitle track shown keeps its place in the list.
    if (subtitle_ >= 0 && at - tracks_.begin() <= subtitle_)
        ++subtitle_;
    return **tracks_.insert(at, std::move(track));
}

void SourceTracks::AddAudio(GstPad* pad, GstElement* selector, GstPad* selectorPad) {
    auto track = std::make_unique<Track>();
    track->pad = GST_PAD(gst_object_ref(pad));
    track->flagsDisabled = FlagsDisabledTracks(pad);
    track->selectorPad = GST_PAD(gst_object_ref(selectorPad));
    const FormatRow* format = CodedFormatOf(pad);
    track->format = format ? format->name : "";
    std::lock_guard lock(mutex_);
    InsertLocked(std::move(track));
    if (!selector_)
        selector_ = GST_ELEMENT(gst_object_ref(selector));
    if (audioChosen_)
        return;
    for (auto& t : tracks_)
        if (t->selectorPad) {
            g_object_set(selector_, "active-pad", t->selectorPad, nullptr);
            break;
        }
}

void SourceTracks::AddSubtitle(GstPad* pad, GstPad* sinkPad) {
    AddSubtitle(pad, sinkPad, true);
}

void SourceTracks::AddUndrawn(GstPad* pad, GstPad* sinkPad) {
    AddSubtitle(pad, sinkPad, false);
}

void SourceTracks::AddSubtitle(GstPad* pad, GstPad* sinkPad, bool drawn) {
    auto made = std::make_unique<Track>();
    made->pad = GST_PAD(gst_object_ref(pad));
    made->flagsDisabled = FlagsDisabledTracks(pad);
    made->kind = StreamInfo::Kind::Subtitle;
    const FormatRow* format = CodedFormatOf(pad);
    made->format = format ? format->name : "";
    made->decodable = drawn && format && format->drawn;
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        ReadCueCaps(*made, caps);
        gst_caps_unref(caps);
    }
    std::lock_guard lock(mutex_);
    Track& track = InsertLocked(std::move(made));
    gst_pad_add_probe(
        sinkPad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        &SourceTracks::OnSubtitleData, &track, nullptr);
}

void SourceTracks::AddPicture(GstPad* pad, const PictureOverlay& overlay, GstPad* selectorPad) {
    auto track = std::make_unique<Track>();
    track->pad = GST_PAD(gst_object_ref(pad));
    track->flagsDisabled = FlagsDisabledTracks(pad);
    track->kind = StreamInfo::Kind::Subtitle;
    track->cues = Track::Cues::Picture;
    track->selectorPad = GST_PAD(gst_object_ref(selectorPad));
    const FormatRow* format = CodedFormatOf(pad);
    track->format = format ? format->name : "";
    std::lock_guard lock(mutex_);
    Track& added = InsertLocked(std::move(track));
    gst_pad_add_probe(
        pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        &SourceTracks::OnPictureRead, &added, nullptr);
    for (auto& road : roads_)
        if (road->selector == overlay.selector)
            added.road = road.get();
    if (added.road)
        return;
    auto road = std::make_unique<Road>();
    road->owner = this;
    road->selector = GST_ELEMENT(gst_object_ref(overlay.selector));
    road->pictures = GST_PAD(gst_object_ref(overlay.pictures));
    road->video = GST_PAD(gst_object_ref(overlay.video));
    road->runningTime = overlay.runningTime;
    road->widenRegions = overlay.widenRegions;
    gst_segment_init(&road->segment, GST_FORMAT_TIME);
    GstPad* out = gst_element_get_static_pad(overlay.selector, "src");
    gst_pad_add_probe(
        out,
        GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                        GST_PAD_PROBE_TYPE_EVENT_FLUSH),
        &SourceTracks::OnPictureData, road.get(), nullptr);
    gst_object_unref(out);
    gst_pad_add_probe(road->video, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
                      &SourceTracks::OnVideoSegment, road.get(), nullptr);
    added.road = road.get();
    roads_.push_back(std::move(road));
}

void SourceTracks::AddUndecodable(GstPad* pad, GstCaps* caps) {
    if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps))
        return;
    const FormatRow* format = FormatOf(caps);
    const char* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    const bool audio =
        format ? format->kind == StreamInfo::Kind::Audio : g_str_has_prefix(name, "audio/");
    // Video without a decoder, and data streams, are no track to choose.
    if (!audio && !format && !g_str_has_prefix(name, "text/") &&
        !g_str_has_prefix(name, "subtitle/") && !g_str_has_prefix(name, "subpicture/") &&
        !g_str_has_prefix(name, "application/x-subtitle"))
        return;
    auto track = std::make_unique<Track>();
    track->pad = GST_PAD(gst_object_ref(pad));
    track->flagsDisabled = FlagsDisabledTracks(pad);
    track->kind = audio ? StreamInfo::Kind::Audio : StreamInfo::Kind::Subtitle;
    track->format = format ? format->name : "";
    track->decodable = false;
    std::lock_guard lock(mutex_);
    InsertLocked(std::move(track));
}

HRESULT SourceTracks::Count(long* count) {
    std::lock_guard lock(mutex_);
    *count = long(tracks_.size());
    return S_OK;
}

namespace {

// The stream-scoped tags of `pad`'s stream: language and title.
void ReadTags(GstPad* pad, StreamInfo* info) {
    for (guint i = 0;; ++i) {
        GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_TAG, i);
        if (!event)
            break;
        GstTagList* tags = nullptr;
        gst_event_parse_tag(event, &tags);
        gchar* text = nullptr;
        if (gst_tag_list_get_scope(tags) == GST_TAG_SCOPE_STREAM) {
            if (info->language.empty() &&
                gst_tag_list_get_string(tags, GST_TAG_LANGUAGE_CODE, &text) &&
                g_strcmp0(text, "und") != 0)
                info->language = text;
            g_clear_pointer(&text, g_free);
            if (info->title.empty() && gst_tag_list_get_string(tags, GST_TAG_TITLE, &text))
                info->title = text;
            g_clear_pointer(&text, g_free);
        }
        gst_event_unref(event);
    }
}

}  // namespace

HRESULT SourceTracks::Info(long index, StreamInfo* info) {
    std::lock_guard lock(mutex_);
    if (!info || index < 0 || index >= long(tracks_.size()))
        return E_INVALIDARG;
    const Track& track = *tracks_[size_t(index)];
    StreamInfo out;
    out.kind = track.kind;
    out.format = track.format;
    out.decodable = track.decodable;
    ReadTags(track.pad, &out);
    if (gchar* id = gst_pad_get_stream_id(track.pad)) {
        out.streamId = id;
        g_free(id);
    }
    if (GstCaps* caps = gst_pad_get_current_caps(track.pad)) {
        if (track.kind == StreamInfo::Kind::Audio && !gst_caps_is_empty(caps))
            gst_structure_get_int(gst_caps_get_structure(caps, 0), "channels", &out.channels);
        gst_caps_unref(caps);
    }
    if (GstEvent* start = gst_pad_get_sticky_event(track.pad, GST_EVENT_STREAM_START, 0)) {
        GstStreamFlags flags = GST_STREAM_FLAG_NONE;
        gst_event_parse_stream_flags(start, &flags);
        out.isDefault = (flags & GST_STREAM_FLAG_SELECT) != 0 ||
                        (track.flagsDisabled && (flags & GST_STREAM_FLAG_UNSELECT) == 0);
        gst_event_unref(start);
    }
    if (track.kind == StreamInfo::Kind::Subtitle) {
        out.enabled = index == subtitle_;
    } else if (selector_ && track.selectorPad) {
        GstPad* active = pendingAudio_ ? GST_PAD(gst_object_ref(pendingAudio_)) : nullptr;
        if (!active)
            g_object_get(selector_, "active-pad", &active, nullptr);
        out.enabled = active == track.selectorPad;
        if (active)
            gst_object_unref(active);
    }
    *info = std::move(out);
    return S_OK;
}

HRESULT SourceTracks::Enable(long index, uint32_t flags) {
    // Asked before the lock: the answer comes from the sinks.
    const int64_t at = position_ ? position_() : -1;
    // The overlay left forgets its picture, the one chosen gets its own.
    std::vector<std::pair<Road*, PictureDue>> dues;
    HRESULT hr = S_OK;
    {
        std::lock_guard lock(mutex_);
        hr = EnableLocked(index, flags);
        for (auto& road : roads_) {
            if (!road->switched)
                continue;
            const GstClockTime time = TimeOfVideoAt(*road, at);
            PictureDue due = PictureDueLocked(*road, time);
            PicturesAheadLocked(*road, time, &due);
            due.switched = true;
            road->switched = false;
            dues.emplace_back(road.get(), due);
        }
    }
    for (auto& [road, due] : dues)
        GivePicture(*road, due, nullptr, false);
    return hr;
}

// The time of the stream (what its buffers are stamped with) where the clip
// stands at `clipNs` (-1: unknown), by the road's video segment. They are
// one in Matroska; an MPEG-TS stamps its streams from its own clock's start.
GstClockTime SourceTracks::TimeOfVideoAt(const Road& road, int64_t clipNs) {
    if (clipNs < 0)
        return GST_CLOCK_TIME_NONE;
    GstClockTime time = GstClockTime(clipNs);
    if (GstEvent* event = gst_pad_get_sticky_event(road.video, GST_EVENT_SEGMENT, 0)) {
        GstSegment segment;
        gst_event_copy_segment(event, &segment);
        gst_event_unref(event);
        const guint64 position =
            gst_segment_position_from_stream_time(&segment, GST_FORMAT_TIME, time);
        if (position != guint64(-1))
            time = position;
    }
    return time;
}

HRESULT SourceTracks::EnableLocked(long index, uint32_t flags) {
    if (index < 0 || index >= long(tracks_.size()))
        return E_INVALIDARG;
    const Track& track = *tracks_[size_t(index)];
    const bool on = (flags & AMSTREAMSELECTENABLE_ENABLE) != 0;
    if (track.kind == StreamInfo::Kind::Audio) {
        if (!on)
            return E_INVALIDARG;
        if (!track.decodable || !track.selectorPad || !selector_)
            return VFW_E_NO_DECOMPRESSOR;
        audioChosen_ = true;
        gst_clear_object(&pendingAudio_);
        // Paused, the stream that plays has its thread held in the sink's
        // preroll, and the selector passes no flush of a stream it no longer
        // lets through: a flushing seek after a switch (the paused picture
        // drawn again) would wait on that thread for good. The switch waits
        // for play, where no thread is held (ApplyPendingAudio).
        GstState state = GST_STATE_VOID_PENDING;
        gst_element_get_state(selector_, &state, nullptr, 0);
        if (state != GST_STATE_PLAYING) {
            pendingAudio_ = GST_PAD(gst_object_ref(track.selectorPad));
            return S_OK;
        }
        // The selector sends the new stream's segment on and lets it through
        // from the running time where the old one stood: no jump, no reopen.
        g_object_set(selector_, "active-pad", track.selectorPad, nullptr);
        return S_OK;
    }
    if (!on) {
        if (subtitle_ == index)
            ShowLocked(-1);
        return S_OK;
    }
    if (!track.decodable)
        return VFW_E_NO_DECOMPRESSOR;
    ShowLocked(index);
    return S_OK;
}

}  // namespace tavimo::gst_internal
