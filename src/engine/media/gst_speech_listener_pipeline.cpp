// SpeechListener's pipeline: its elements built and linked, the decoder's
// choices and pads (the one audio track listened to, the others dropped),
// the probes that watch it, and its teardown. What it hears is in
// gst_speech_listener.cpp.
#include "engine/media/gst_speech_listener.h"

#include <gst/audio/audio.h>
#include <gst/audio/gstaudiodecoder.h>

#include <cstring>

#include "engine/media/avcodec_decoders.h"
#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

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

// The centre decoder's sound comes in pieces of this length at least: a tenth of
// the buffers an AC-3 track's frames would give, each handed from thread
// to thread and through every element.
constexpr gint64 kPieceNs = 320 * GST_MSECOND;

// The decodable factories decodebin would try, by rank; without liba52's
// AC-3 decoder (ranked above libav's) where libav's is installed, which
// takes half its time, should our centre decoder not take a track.
GList* Decodable() {
    GList* all = g_list_sort(gst_element_factory_list_get_elements(
                                 GST_ELEMENT_FACTORY_TYPE_DECODABLE, GST_RANK_MARGINAL),
                             gst_plugin_feature_rank_compare_func);
    GstElementFactory* libav = gst_element_factory_find("avdec_ac3");
    GList* liba52 =
        g_list_find_custom(all, "a52dec", [](gconstpointer factory, gconstpointer name) {
            return std::strcmp(GST_OBJECT_NAME(factory), static_cast<const char*>(name));
        });
    if (libav && liba52) {
        gst_object_unref(liba52->data);
        all = g_list_delete_link(all, liba52);
    }
    if (libav)
        gst_object_unref(libav);
    return all;
}

// Streaming thread: the factories decodebin tries for `caps`, in its own
// order (parsers first, then by rank), with our centre decoder before the
// other decoders where it takes them: it decodes AC-3 with libav's decoder
// as the libav plugin does, but gives the centre channel alone, with none
// of the other five to copy out and mix away.
GValueArray* CentreFirst(GstElement*, GstPad*, GstCaps* caps, gpointer) {
    static GList* const decodable = Decodable();
    static GstElementFactory* const centre = gst_element_factory_find(kCentreDecoderName);
    GList* taking = gst_element_factory_list_filter(decodable, caps, GST_PAD_SINK, FALSE);
    if (centre && gst_element_factory_can_sink_any_caps(centre, caps)) {
        GList* decoder = taking;
        while (decoder && gst_element_factory_list_is_type(GST_ELEMENT_FACTORY(decoder->data),
                                                           GST_ELEMENT_FACTORY_TYPE_PARSER))
            decoder = decoder->next;
        taking = g_list_insert_before(taking, decoder, gst_object_ref(centre));
    }
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GValueArray* factories = g_value_array_new(g_list_length(taking));
    for (GList* f = taking; f; f = f->next) {
        GValue value = G_VALUE_INIT;
        g_value_init(&value, G_TYPE_OBJECT);
        g_value_set_object(&value, f->data);
        g_value_array_append(factories, &value);
        g_value_unset(&value);
    }
    G_GNUC_END_IGNORE_DEPRECATIONS
    gst_plugin_feature_list_free(taking);
    return factories;
}

// Streaming thread, as decodebin adds an element: the centre decoder's
// sound comes in pieces of kPieceNs (the base class gathers them). Not the
// AAC decoder's: gathered, it gave slightly other sound for a stretch, and
// on three German clips over noise at 5 dB that suggested a frame-rate
// change that is not there.
void Gather(GstBin*, GstBin*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (factory && g_strcmp0(GST_OBJECT_NAME(factory), kCentreDecoderName) == 0)
        g_object_set(element, "min-latency", kPieceNs, nullptr);
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
                               kSpeechRate, "channels", G_TYPE_INT, 1, nullptr);
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
    if (strict_) {
        gst_util_set_object_arg(G_OBJECT(dsp), "voice-detection-likelihood", "very-low");
        gst_util_set_object_arg(G_OBJECT(dsp), "noise-suppression-level", "high");
    }
    // Not prerolled: the decoder is held before the sink sees anything.
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    g_object_set(source, "uri", uri_.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(pipeline_), source, convert_, resample, mono, highPass_, lowPass_,
                     toInt, intCaps, toFilters, toDetector, dsp, sink, nullptr);
    if (!gst_element_link_many(convert_, resample, mono, toFilters, highPass_, lowPass_, toInt,
                               intCaps, toDetector, dsp, sink, nullptr))
        return false;
    g_signal_connect(source, "autoplug-continue", G_CALLBACK(&SoundOnly), nullptr);
    g_signal_connect(source, "autoplug-factories", G_CALLBACK(&CentreFirst), nullptr);
    g_signal_connect(pipeline_, "deep-element-added", G_CALLBACK(&Gather), nullptr);
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

}  // namespace tavimo::gst_internal
