#include "engine/media/gst_speech_listener.h"

#include <gst/audio/audio.h>

#include <algorithm>
#include <cstring>

#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

constexpr GstClockTime kOpenTimeout = 10 * GST_SECOND;
constexpr GstClockTime kPollInterval = 50 * GST_MSECOND;
constexpr int kRate = 16000;
constexpr int64_t kSamplesPerStep = kRate / 1000 * sync::kStepMs;
// The noise suppressor and detector settle this long after each seek.
constexpr int64_t kSettleSamples = kRate * 3 / 10;
// The detector's word comes this late after the sound (mostly its hang-over
// at the end of speech): measured against espeak-ng speech at known times,
// at 20 and 5 dB under brown noise; the marks are moved back by it.
constexpr int64_t kDetectorLagSamples = kRate * 60 / 1000;
// The band the detector hears (Hz): voices, not hum or hiss.
constexpr float kHighPassHz = 300.0f;
constexpr float kLowPassHz = 3400.0f;

bool Starts(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Whether a demuxer takes `caps`: a container ("video/quicktime",
// "video/x-matroska") rather than a picture stream.
bool IsContainer(GstCaps* caps) {
    static GList* const demuxers =
        gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DEMUXER, GST_RANK_MARGINAL);
    GList* taking = gst_element_factory_list_filter(demuxers, caps, GST_PAD_SINK, FALSE);
    const bool container = taking != nullptr;
    gst_plugin_feature_list_free(taking);
    return container;
}

// Streaming thread: only sound is decoded; containers are taken apart.
gboolean SoundOnly(GstElement*, GstPad*, GstCaps* caps, gpointer) {
    if (gst_caps_is_empty(caps) || gst_caps_is_any(caps) || IsContainer(caps))
        return TRUE;
    const std::string name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    for (const char* skipped : {"video/", "image/", "text/", "subpicture/", "closedcaption/",
                                "application/x-ass", "application/x-ssa"})
        if (Starts(name, skipped))
            return FALSE;
    return TRUE;
}

// Streaming thread: AC-3 is decoded by libav's decoder where it is
// installed, which takes half the time liba52's (ranked above it) takes;
// a film's 5.1 track is most of the listening's work otherwise.
// Returns decodebin's "try" (0) or "skip" (2).
int FasterDecoder(GstElement*, GstPad*, GstCaps*, GstElementFactory* factory, gpointer) {
    static const bool libav = [] {
        GstElementFactory* found = gst_element_factory_find("avdec_ac3");
        if (found)
            gst_object_unref(found);
        return found != nullptr;
    }();
    const bool liba52 = std::strcmp(GST_OBJECT_NAME(factory), "a52dec") == 0;
    return liba52 && libav ? 2 : 0;
}

// The audio decoder whose sound comes out of `pad` (past ghost pads and
// decodebin's capsfilters), with a reference; nullptr if none.
GstElement* DecoderBehind(GstPad* pad) {
    GstPad* at = GST_PAD(gst_object_ref(pad));
    for (int hops = 0; at && hops < 8; ++hops) {
        if (GST_IS_GHOST_PAD(at)) {
            GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(at));
            gst_object_unref(at);
            at = target;
            continue;
        }
        GstElement* element = gst_pad_get_parent_element(at);
        gst_object_unref(at);
        if (!element)
            return nullptr;
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory &&
            gst_element_factory_list_is_type(
                factory, GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO))
            return element;
        GstPad* input = gst_element_get_static_pad(element, "sink");
        gst_object_unref(element);
        at = input ? gst_pad_get_peer(input) : nullptr;
        if (input)
            gst_object_unref(input);
    }
    if (at)
        gst_object_unref(at);
    return nullptr;
}

GstPadProbeReturn Discard(GstPad*, GstPadProbeInfo*, gpointer) {
    return GST_PAD_PROBE_DROP;
}

// Streaming thread: the sound of another audio track than the one listened
// to goes undecoded from now on (a film's second language or commentary
// would double the decoding otherwise); what comes out is thrown away.
void DropPad(GstElement* pipeline, GstPad* pad) {
    if (GstElement* decoder = Starts(CapsName(pad), "audio/") ? DecoderBehind(pad) : nullptr) {
        GstPad* coded = gst_element_get_static_pad(decoder, "sink");
        gst_pad_add_probe(
            coded, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
            &Discard, nullptr, nullptr);
        gst_object_unref(coded);
        gst_object_unref(decoder);
    }
    GstElement* drop = gst_element_factory_make("fakesink", nullptr);
    g_object_set(drop, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add(GST_BIN(pipeline), drop);
    gst_element_sync_state_with_parent(drop);
    GstPad* input = gst_element_get_static_pad(drop, "sink");
    gst_pad_link(pad, input);
    gst_object_unref(input);
}

// A 5.1 (or wider) track is heard through its centre channel, where the
// dialogue is: a one-row mix matrix taking that channel alone.
void PreferCentre(GstElement* convert, GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstAudioInfo info;
    const bool known = caps && gst_audio_info_from_caps(&info, caps);
    if (caps)
        gst_caps_unref(caps);
    if (!known || info.channels < 3)
        return;
    int centre = -1;
    for (int i = 0; i < info.channels; ++i)
        if (info.position[i] == GST_AUDIO_CHANNEL_POSITION_FRONT_CENTER)
            centre = i;
    if (centre < 0)
        return;
    GValue matrix = G_VALUE_INIT, row = G_VALUE_INIT;
    g_value_init(&matrix, GST_TYPE_ARRAY);
    g_value_init(&row, GST_TYPE_ARRAY);
    for (int i = 0; i < info.channels; ++i) {
        GValue v = G_VALUE_INIT;
        g_value_init(&v, G_TYPE_FLOAT);
        g_value_set_float(&v, i == centre ? 1.0f : 0.0f);
        gst_value_array_append_and_take_value(&row, &v);
    }
    gst_value_array_append_and_take_value(&matrix, &row);
    g_object_set_property(G_OBJECT(convert), "mix-matrix", &matrix);
    g_value_unset(&matrix);
}

GstElement* Make(const char* factory) {
    return gst_element_factory_make(factory, nullptr);
}

GstCaps* RawCaps(const char* format) {
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, format, "rate", G_TYPE_INT,
                               kRate, "channels", G_TYPE_INT, 1, nullptr);
}

}  // namespace

SpeechListener::~SpeechListener() {
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(pipeline_);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(pipeline_);
    }
    if (lastCaps_)
        gst_caps_unref(lastCaps_);
}

bool SpeechListener::Build() {
    gst_segment_init(&segment_, GST_FORMAT_TIME);
    pipeline_ = Own(gst_pipeline_new("Tavimo Speech"));
    GstElement* source = Make("uridecodebin");
    convert_ = Make("audioconvert");
    GstElement* resample = Make("audioresample");
    GstElement* mono = Make("capsfilter");
    highPass_ = Make("audiocheblimit");
    lowPass_ = Make("audiocheblimit");
    GstElement* toInt = Make("audioconvert");
    GstElement* intCaps = Make("capsfilter");
    GstElement* toFilters = Make("queue");
    GstElement* toDetector = Make("queue");
    GstElement* dsp = Make("webrtcdsp");
    GstElement* sink = Make("fakesink");
    if (!source || !convert_ || !resample || !mono || !highPass_ || !lowPass_ || !toInt ||
        !intCaps || !toFilters || !toDetector || !dsp || !sink)
        return false;
    GstCaps* caps = RawCaps("F32LE");
    g_object_set(mono, "caps", caps, nullptr);
    gst_caps_unref(caps);
    caps = RawCaps("S16LE");
    g_object_set(intCaps, "caps", caps, nullptr);
    gst_caps_unref(caps);
    // The resampler's shortest filter: what it lets through above 8 kHz or
    // bends near it lies far outside the band heard, and the longer filter
    // of its default made resampling a 48 kHz track cost five times more.
    g_object_set(resample, "quality", 0, nullptr);
    g_object_set(highPass_, "mode", 1, "cutoff", kHighPassHz, nullptr);  // 1: high pass
    g_object_set(lowPass_, "mode", 0, "cutoff", kLowPassHz, nullptr);
    // Dithering adds noise drawn from one sequence that runs on over every
    // sample converted, so the same stretch would differ from run to run.
    g_object_set(toInt, "dithering", 0, nullptr);  // 0: none
    g_object_set(dsp, "voice-detection", TRUE, "echo-cancel", FALSE, "gain-control", FALSE,
                 "noise-suppression", TRUE, nullptr);
    // Not prerolled: the decoder is held before the sink sees anything.
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    g_object_set(source, "uri", uri_.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(pipeline_), source, convert_, resample, mono, highPass_, lowPass_,
                     toInt, intCaps, toFilters, toDetector, dsp, sink, nullptr);
    if (!gst_element_link_many(convert_, resample, mono, toFilters, highPass_, lowPass_, toInt,
                               intCaps, toDetector, dsp, sink, nullptr))
        return false;
    g_signal_connect(source, "autoplug-continue", G_CALLBACK(&SoundOnly), nullptr);
    g_signal_connect(source, "autoplug-select", G_CALLBACK(&FasterDecoder), nullptr);
    g_signal_connect(source, "pad-added", G_CALLBACK(&OnPadAdded), this);
    g_signal_connect(source, "no-more-pads", G_CALLBACK(&OnNoMorePads), this);
    Watch(dsp);
    return true;
}

void SpeechListener::Watch(GstElement* dsp) {
    GstPad* decoded = gst_element_get_static_pad(convert_, "sink");
    holdProbe_ =
        gst_pad_add_probe(decoded,
                          GstPadProbeType(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER |
                                          GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                          &OnDecoded, this, nullptr);
    gst_object_unref(decoded);
    GstPad* out = gst_element_get_static_pad(dsp, "src");
    gst_pad_add_probe(out, GST_PAD_PROBE_TYPE_BUFFER, &OnOutput, this, nullptr);
    gst_object_unref(out);
    GstPad* in = gst_element_get_static_pad(dsp, "sink");
    gst_pad_add_probe(
        in, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        &OnInput, this, nullptr);
    gst_object_unref(in);
    GstPad* filterIn = gst_element_get_static_pad(highPass_, "sink");
    gst_pad_add_probe(filterIn, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &OnFilterInput, this, nullptr);
    gst_object_unref(filterIn);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &OnMessage, this, nullptr);
    gst_object_unref(bus);
}

bool SpeechListener::Open(const std::atomic<bool>& cancel, std::string* error) {
    if (!Build()) {
        *error = "a GStreamer element for listening is missing";
        return false;
    }
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (!WaitFor(GST_MESSAGE_ASYNC_DONE, cancel, error))
        return false;
    if (!linked_) {
        *error =
            audioPads_ > track_ ? "the audio track does not decode" : "the clip has no audio track";
        return false;
    }
    // The hold's message may have gone with the wait above, which drops
    // what it does not wait for; the flag says so.
    if (!held_ && !WaitFor(GST_MESSAGE_APPLICATION, cancel, error))
        return false;
    gint64 duration = 0;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration > 0)
        durationMs_ = duration / GST_MSECOND;
    return true;
}

bool SpeechListener::Listen(int64_t startMs, int64_t endMs, sync::Activity& heard,
                            const std::atomic<bool>& cancel, std::string* error) {
    // Set before the seek: the streaming thread marks only after it.
    heard_ = &heard;
    firstStep_ = std::max<int64_t>(startMs, 0) / sync::kStepMs;
    endStep_ = std::min<int64_t>(endMs / sync::kStepMs, static_cast<int64_t>(heard.size()));
    return Play(startMs, endMs, cancel, error);
}

bool SpeechListener::SoundIn(int64_t startMs, int64_t endMs, const std::atomic<bool>& cancel,
                             bool* heard, std::string* error) {
    heard_ = nullptr;
    if (!Play(startMs, endMs, cancel, error))
        return false;
    *heard = bytesIn_ > 0;
    return true;
}

// Decodes [startMs, endMs) through to its end of stream.
bool SpeechListener::Play(int64_t startMs, int64_t endMs, const std::atomic<bool>& cancel,
                          std::string* error) {
    // Nothing flows between two stretches (the last one ended, or the
    // decoder is held before the first): the count starts clean.
    bytesIn_ = 0;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek(pipeline_, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                          startMs * GST_MSECOND, GST_SEEK_TYPE_SET, endMs * GST_MSECOND)) {
        *error = "the audio track cannot be searched";
        return false;
    }
    ReleaseDecoder();
    gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    return WaitFor(GST_MESSAGE_EOS, cancel, error);
}

// Calling thread: waits for a message of type `done` (or an error), the
// stretch's end without a limit, anything else up to the open timeout.
bool SpeechListener::WaitFor(GstMessageType done, const std::atomic<bool>& cancel,
                             std::string* error) {
    GstBus* bus = gst_element_get_bus(pipeline_);
    const GstClockTime limit = done == GST_MESSAGE_EOS ? GST_CLOCK_TIME_NONE : kOpenTimeout;
    GstClockTime waited = 0;
    bool ok = false;
    while (true) {
        if (cancel) {
            *error = "cancelled";
            break;
        }
        if (limit != GST_CLOCK_TIME_NONE && (waited >= limit || (allPads_ && !linked_))) {
            // Without the sound linked nothing prerolls: no need to wait.
            *error = !allPads_             ? "the clip does not open"
                     : audioPads_ > track_ ? "the audio track does not decode"
                                           : "the clip has no audio track";
            break;
        }
        GstMessage* m = gst_bus_timed_pop_filtered(bus, kPollInterval,
                                                   GstMessageType(done | GST_MESSAGE_ERROR));
        waited += kPollInterval;
        if (!m)
            continue;
        const bool failed = GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR;
        gst_message_unref(m);
        if (failed)
            *error = linked_ ? "the audio track does not decode" : "the clip cannot be read";
        ok = !failed;
        break;
    }
    gst_object_unref(bus);
    return ok;
}

void SpeechListener::OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    const std::string name = CapsName(pad);
    if (Starts(name, "audio/")) {
        const int index = self->audioPads_++;
        if (index == self->track_ && name == "audio/x-raw") {
            PreferCentre(self->convert_, pad);
            GstPad* input = gst_element_get_static_pad(self->convert_, "sink");
            self->linked_ = gst_pad_link(pad, input) == GST_PAD_LINK_OK;
            gst_object_unref(input);
            if (self->linked_)
                return;
        }
    }
    DropPad(self->pipeline_, pad);
}

void SpeechListener::OnNoMorePads(GstElement*, gpointer data) {
    static_cast<SpeechListener*>(data)->allPads_ = true;
}

GstBusSyncReply SpeechListener::OnMessage(GstBus*, GstMessage* message, gpointer data) {
    const GstStructure* s = gst_message_get_structure(message);
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ELEMENT || !s ||
        !gst_structure_has_name(s, "voice-activity"))
        return GST_BUS_PASS;
    gboolean voice = FALSE;
    if (gst_structure_get_boolean(s, "stream-has-voice", &voice))
        static_cast<SpeechListener*>(data)->voice_ = voice != FALSE;
    return GST_BUS_DROP;
}

// Decoding thread, behind the decoder: until the first seek, the decoder is
// held at its first buffer (the sink need not preroll). Decoders carry state
// across seeks (AAC's noise substitution draws from a generator that runs
// on over every frame decoded), so how much they decode before the first
// stretch must not depend on how soon that stretch's seek comes.
GstPadProbeReturn SpeechListener::OnDecoded(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        self->Held();
        return GST_PAD_PROBE_OK;  // blocks until ReleaseDecoder or a flush
    }
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS)
        self->Held();  // nothing to hold: the track is empty
    return GST_PAD_PROBE_PASS;
}

// Decoding thread: the decoder is held (or ended); Open hears it on the bus
// (an application message, the first time).
void SpeechListener::Held() {
    if (!held_.exchange(true))
        gst_element_post_message(
            pipeline_,
            gst_message_new_application(GST_OBJECT(pipeline_), gst_structure_new_empty("held")));
}

// Calling thread, after a flushing seek, which has unblocked the held
// buffer (dropped): the decoder decodes freely from the seek on.
void SpeechListener::ReleaseDecoder() {
    if (holdProbe_ == 0)
        return;
    GstPad* decoded = gst_element_get_static_pad(convert_, "sink");
    gst_pad_remove_probe(decoded, holdProbe_);
    gst_object_unref(decoded);
    holdProbe_ = 0;
}

// Decoding thread, in front of the filters: a new segment (a stretch begins)
// clears what the filters remember of the sound before it. Setting a
// filter's cutoff, even to the same value, starts its history over.
GstPadProbeReturn SpeechListener::OnFilterInput(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_SEGMENT) {
        g_object_set(self->highPass_, "cutoff", kHighPassHz, nullptr);
        g_object_set(self->lowPass_, "cutoff", kLowPassHz, nullptr);
    }
    return GST_PAD_PROBE_OK;
}

// Detector's thread, in front of it: each new segment's first sample is
// where the count of samples starts (its own time, from the segment it came
// in), and the detector starts with no voice whenever its format changes
// (it is set up again then, without a message).
GstPadProbeReturn SpeechListener::OnInput(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        self->bytesIn_ += static_cast<int64_t>(gst_buffer_get_size(buffer));
        if (self->anchorPending_ && GST_BUFFER_PTS_IS_VALID(buffer)) {
            const guint64 t = gst_segment_to_stream_time(&self->segment_, GST_FORMAT_TIME,
                                                         GST_BUFFER_PTS(buffer));
            self->anchorMs_ = t == GST_CLOCK_TIME_NONE ? 0 : static_cast<int64_t>(t / GST_MSECOND);
            self->samples_ = 0;
            self->anchorPending_ = false;
        }
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        gst_segment_copy_into(segment, &self->segment_);
        self->anchorPending_ = true;
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        if (!self->lastCaps_ || !gst_caps_is_equal(caps, self->lastCaps_)) {
            self->voice_ = false;
            gst_caps_replace(&self->lastCaps_, caps);
        }
    }
    return GST_PAD_PROBE_OK;
}

// Streaming thread, behind the detector: its 10 ms pieces marked with the
// detector's word on them, at times counted in samples from the anchor (the
// detector's own times go wrong after a seek).
GstPadProbeReturn SpeechListener::OnOutput(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const int64_t samples = static_cast<int64_t>(gst_buffer_get_size(buffer) / 2);
    self->Mark(self->samples_, samples);
    self->samples_ += samples;
    return GST_PAD_PROBE_OK;
}

void SpeechListener::Mark(int64_t fromSample, int64_t samples) {
    const int8_t value = voice_ ? 1 : -1;
    const int64_t first = std::max(fromSample, kSettleSamples);
    for (int64_t s = first / kSamplesPerStep * kSamplesPerStep; s < fromSample + samples;
         s += kSamplesPerStep) {
        if (s < first)
            continue;
        const int64_t step =
            (anchorMs_ * (kRate / 1000) + s - kDetectorLagSamples) / kSamplesPerStep;
        if (heard_ && step >= firstStep_ && step < endStep_)
            (*heard_)[static_cast<size_t>(step)] = value;
    }
}

}  // namespace tavimo::gst_internal
