// The subtitle synchroniser's reader of a whole embedded subtitle stream: a
// pipeline of its own that opens the clip's container, plugs nothing else,
// and runs every stream into sinks that never wait for the clock, keeping
// the buffers of the one stream asked for.
#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/embedded_cues_reader.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_tracks.h"
#include "subtitles/embedded_cues.h"

namespace tavimo {
namespace {

using gst_internal::CueKind;
using gst_internal::CueKindOf;

// Containers are opened and their streams exposed as they are stored.
constexpr char kStopAt[] =
    "video/x-raw(ANY); audio/x-raw(ANY); text/x-raw(ANY); application/x-ass; application/x-ssa; "
    "application/x-subtitle-vtt; subpicture/x-dvd; subpicture/x-pgs; subpicture/x-dvb; "
    "subtitle/x-dvb";
// A cue without a duration shows this long, as the player shows it.
constexpr int64_t kUntimedCueMs = 5000;
// However large the file, the read ends: a film's container from a slow disk
// takes a few tens of seconds.
constexpr auto kReadLimit = std::chrono::seconds(120);

// What the stream asked for has brought so far; its sink's streaming thread
// writes, the reading thread reads after the pipeline has stopped.
struct Collected {
    std::mutex mutex;
    CueKind kind = CueKind::None;
    CueFormat format = CueFormat::PangoMarkup;
    GstSegment segment;
    SubtitleEntries entries;
};

struct Reader {
    std::string streamId;
    GstElement* pipeline = nullptr;
    Collected collected;
};

// The event's text: what follows the eighth comma of a Matroska ASS chunk
// ("ReadOrder, Layer, Style, Name, MarginL, MarginR, MarginV, Effect, Text").
std::string AssChunkText(std::string_view chunk) {
    size_t at = 0;
    for (int commas = 0; commas < 8; ++commas) {
        at = chunk.find(',', at);
        if (at == std::string_view::npos)
            return {};
        ++at;
    }
    return std::string(chunk.substr(at));
}

int64_t StreamMs(const GstSegment& segment, GstClockTime t) {
    const guint64 stream = gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, t);
    return stream == GST_CLOCK_TIME_NONE ? -1 : int64_t(stream / GST_MSECOND);
}

void AddCue(Collected& c, GstBuffer* buffer) {
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    if (c.kind == CueKind::None || !GST_CLOCK_TIME_IS_VALID(pts))
        return;
    const int64_t start = StreamMs(c.segment, pts);
    const int64_t end = GST_BUFFER_DURATION_IS_VALID(buffer)
                            ? StreamMs(c.segment, pts + GST_BUFFER_DURATION(buffer))
                            : start + kUntimedCueMs;
    GstMapInfo map;
    if (start < 0 || end <= start || !gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    const std::string_view bytes(reinterpret_cast<const char*>(map.data), map.size);
    SubtitleEntry entry{start, end, {}, 0, 0, 0, c.format != CueFormat::PlainUtf8};
    if (c.kind == CueKind::Ass) {
        entry.text = AssChunkText(bytes);
    } else {
        CueText cue = ConvertCue(c.format, bytes);
        entry.text = std::move(cue.text);
        entry.lines = cue.lines;
    }
    gst_buffer_unmap(buffer, &map);
    if (!entry.text.empty())
        c.entries.push_back(std::move(entry));
}

GstPadProbeReturn OnData(GstPad*, GstPadProbeInfo* info, gpointer data) {
    Collected& c = *static_cast<Collected*>(data);
    std::lock_guard lock(c.mutex);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        AddCue(c, GST_PAD_PROBE_INFO_BUFFER(info));
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        c.kind = CueKindOf(caps, &c.format);
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        gst_segment_copy_into(segment, &c.segment);
    }
    return GST_PAD_PROBE_OK;
}

// Streaming thread: every stream to a sink that never waits; the one asked
// for is watched.
void OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    Reader& reader = *static_cast<Reader*>(data);
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return;
    g_object_set(sink, "sync", FALSE, "async", FALSE, "enable-last-sample", FALSE, nullptr);
    gst_bin_add(GST_BIN(reader.pipeline), sink);
    GstPad* input = gst_element_get_static_pad(sink, "sink");
    gchar* id = gst_pad_get_stream_id(pad);
    if (id && reader.streamId == id) {
        gst_pad_add_probe(
            input, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
            &OnData, &reader.collected, nullptr);
    }
    g_free(id);
    gst_pad_link(pad, input);
    gst_object_unref(input);
    gst_element_sync_state_with_parent(sink);
}

// Runs the pipeline to its end; false with `error` set otherwise.
bool RunToEnd(GstElement* pipeline, const std::atomic<bool>& cancel, std::string* error) {
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        *error = "the clip cannot be read";
        return false;
    }
    GstBus* bus = gst_element_get_bus(pipeline);
    const auto until = std::chrono::steady_clock::now() + kReadLimit;
    bool ended = false;
    while (!ended && !cancel.load() && std::chrono::steady_clock::now() < until) {
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 100 * GST_MSECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (!message)
            continue;
        ended = true;
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
            *error = "the subtitle track cannot be read";
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    if (cancel.load())
        *error = "cancelled";
    else if (!ended)
        *error = "the subtitle track took too long to read";
    return ended && error->empty();
}

}  // namespace

bool ReadEmbeddedCues(const std::string& path, const std::string& streamId,
                      const std::atomic<bool>& cancel, SubtitleEntries* entries,
                      std::string* error) {
    std::string uri;
    bool network = false;
    if (FAILED(gst_internal::ResolveUri(path, &uri, &network)) || network) {
        *error =
            network ? "a network stream cannot be read a second time" : "the clip cannot be read";
        return false;
    }
    Reader reader;
    reader.streamId = streamId;
    gst_segment_init(&reader.collected.segment, GST_FORMAT_TIME);
    reader.pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("Tavimo Cue Reader")));
    GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
    bool read = false;
    if (source) {
        GstCaps* caps = gst_caps_from_string(kStopAt);
        g_object_set(source, "uri", uri.c_str(), "caps", caps, nullptr);
        gst_caps_unref(caps);
        g_signal_connect(source, "autoplug-select", G_CALLBACK(&gst_internal::DemuxOnly), nullptr);
        g_signal_connect(source, "pad-added", G_CALLBACK(&OnPadAdded), &reader);
        gst_bin_add(GST_BIN(reader.pipeline), source);
        read = RunToEnd(reader.pipeline, cancel, error);
    } else {
        *error = "the clip cannot be read";
    }
    gst_element_set_state(reader.pipeline, GST_STATE_NULL);
    gst_object_unref(reader.pipeline);
    if (!read)
        return false;
    SubtitleEntries& found = reader.collected.entries;
    std::stable_sort(
        found.begin(), found.end(),
        [](const SubtitleEntry& a, const SubtitleEntry& b) { return a.start < b.start; });
    *entries = std::move(found);
    return true;
}

}  // namespace tavimo
