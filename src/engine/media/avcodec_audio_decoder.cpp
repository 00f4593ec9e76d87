// The AAC decoder on libavcodec (see avcodec_decoders.h): framed AAC, raw
// with its AudioSpecificConfig as codec_data or in ADTS frames, decoded to
// interleaved 32-bit float in GStreamer's channel order. And the speech
// listener's AC-3 decoder, a subclass that gives a track's centre channel
// alone, as mono, where it has one (its other channels are decoded all the
// same, but neither copied out nor mixed away after).
#include <gst/audio/audio.h>
#include <gst/audio/gstaudiodecoder.h>
#include <gst/base/gstadapter.h>

#include <cstring>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "engine/media/avcodec_decoders.h"

namespace tavimo {
namespace {

GST_DEBUG_CATEGORY_STATIC(aac_debug);
#define GST_CAT_DEFAULT aac_debug

constexpr char kSinkCaps[] =
    "audio/mpeg, mpegversion=(int){ 2, 4 }, framed=(boolean)true, "
    "stream-format=(string){ raw, adts }";
constexpr char kCentreSinkCaps[] =
    "audio/x-ac3, framed=(boolean)true, alignment=(string)frame; "
    "audio/x-eac3, framed=(boolean)true, alignment=(string)frame";
constexpr char kSrcCaps[] =
    "audio/x-raw, format=(string)" GST_AUDIO_NE(F32) ", layout=(string)interleaved";

struct ChannelRow {
    AVChannel av;
    GstAudioChannelPosition gst;
};

constexpr ChannelRow kChannels[] = {
    {AV_CHAN_FRONT_LEFT, GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT},
    {AV_CHAN_FRONT_RIGHT, GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT},
    {AV_CHAN_FRONT_CENTER, GST_AUDIO_CHANNEL_POSITION_FRONT_CENTER},
    {AV_CHAN_LOW_FREQUENCY, GST_AUDIO_CHANNEL_POSITION_LFE1},
    {AV_CHAN_BACK_LEFT, GST_AUDIO_CHANNEL_POSITION_REAR_LEFT},
    {AV_CHAN_BACK_RIGHT, GST_AUDIO_CHANNEL_POSITION_REAR_RIGHT},
    {AV_CHAN_FRONT_LEFT_OF_CENTER, GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER},
    {AV_CHAN_FRONT_RIGHT_OF_CENTER, GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER},
    {AV_CHAN_BACK_CENTER, GST_AUDIO_CHANNEL_POSITION_REAR_CENTER},
    {AV_CHAN_SIDE_LEFT, GST_AUDIO_CHANNEL_POSITION_SIDE_LEFT},
    {AV_CHAN_SIDE_RIGHT, GST_AUDIO_CHANNEL_POSITION_SIDE_RIGHT},
    {AV_CHAN_TOP_CENTER, GST_AUDIO_CHANNEL_POSITION_TOP_CENTER},
    {AV_CHAN_TOP_FRONT_LEFT, GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_LEFT},
    {AV_CHAN_TOP_FRONT_CENTER, GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_CENTER},
    {AV_CHAN_TOP_FRONT_RIGHT, GST_AUDIO_CHANNEL_POSITION_TOP_FRONT_RIGHT},
    {AV_CHAN_TOP_BACK_LEFT, GST_AUDIO_CHANNEL_POSITION_TOP_REAR_LEFT},
    {AV_CHAN_TOP_BACK_CENTER, GST_AUDIO_CHANNEL_POSITION_TOP_REAR_CENTER},
    {AV_CHAN_TOP_BACK_RIGHT, GST_AUDIO_CHANNEL_POSITION_TOP_REAR_RIGHT},
    {AV_CHAN_WIDE_LEFT, GST_AUDIO_CHANNEL_POSITION_WIDE_LEFT},
    {AV_CHAN_WIDE_RIGHT, GST_AUDIO_CHANNEL_POSITION_WIDE_RIGHT},
    {AV_CHAN_LOW_FREQUENCY_2, GST_AUDIO_CHANNEL_POSITION_LFE2},
    {AV_CHAN_TOP_SIDE_LEFT, GST_AUDIO_CHANNEL_POSITION_TOP_SIDE_LEFT},
    {AV_CHAN_TOP_SIDE_RIGHT, GST_AUDIO_CHANNEL_POSITION_TOP_SIDE_RIGHT},
    {AV_CHAN_BOTTOM_FRONT_CENTER, GST_AUDIO_CHANNEL_POSITION_BOTTOM_FRONT_CENTER},
    {AV_CHAN_BOTTOM_FRONT_LEFT, GST_AUDIO_CHANNEL_POSITION_BOTTOM_FRONT_LEFT},
    {AV_CHAN_BOTTOM_FRONT_RIGHT, GST_AUDIO_CHANNEL_POSITION_BOTTOM_FRONT_RIGHT},
};

constexpr int kMostChannels = 64;

struct TavimoAacDec {
    GstAudioDecoder parent;
    AVCodecContext* context;
    AVFrame* sound;
    GstAudioInfo info;         // negotiated (format UNKNOWN: none yet)
    int order[kMostChannels];  // libav's channel i goes to interleaved slot order[i]
    GstClockTime batch;        // "batch-duration": sound held back to go out in one buffer
    GstAdapter* held;          // the sound of the first `heldFrames` input frames, in `info`
    int heldFrames;
};

enum { kPropBatch = 1 };

struct TavimoAacDecClass {
    GstAudioDecoderClass parent_class;
    bool centre;  // a track with a centre channel gives that channel alone
};

G_DEFINE_TYPE(TavimoAacDec, tavimo_aac_dec, GST_TYPE_AUDIO_DECODER)

struct TavimoCentreDec {
    TavimoAacDec parent;
};

struct TavimoCentreDecClass {
    TavimoAacDecClass parent_class;
};

G_DEFINE_TYPE(TavimoCentreDec, tavimo_centre_dec, tavimo_aac_dec_get_type())

TavimoAacDec* Self(gpointer decoder) {
    return reinterpret_cast<TavimoAacDec*>(decoder);
}

// libav's layout as GStreamer positions; false when a channel has none (the
// channels are then left unpositioned).
bool PositionsOf(const AVChannelLayout& layout, GstAudioChannelPosition* positions) {
    for (int i = 0; i < layout.nb_channels; ++i) {
        const AVChannel channel = av_channel_layout_channel_from_index(&layout, unsigned(i));
        positions[i] = GST_AUDIO_CHANNEL_POSITION_INVALID;
        for (const ChannelRow& row : kChannels)
            if (row.av == channel)
                positions[i] = row.gst;
        if (positions[i] == GST_AUDIO_CHANNEL_POSITION_INVALID)
            return false;
    }
    return gst_audio_check_valid_channel_positions(positions, layout.nb_channels, FALSE);
}

// The plane of the centre channel of `sound` when only that one is given;
// -1 otherwise.
int CentrePlane(TavimoAacDec* self, const AVFrame* sound) {
    if (!reinterpret_cast<TavimoAacDecClass*>(G_OBJECT_GET_CLASS(self))->centre ||
        sound->ch_layout.nb_channels < 3)
        return -1;
    return av_channel_layout_index_from_channel(&sound->ch_layout, AV_CHAN_FRONT_CENTER);
}

// Streaming thread: the sound held back, out as one buffer that finishes the
// input frames it came from (and so is stamped with the first one's time).
GstFlowReturn FinishHeld(TavimoAacDec* self) {
    const gsize size = gst_adapter_available(self->held);
    const int frames = self->heldFrames;
    self->heldFrames = 0;
    GstBuffer* sound = size ? gst_adapter_take_buffer(self->held, size) : nullptr;
    auto* decoder = GST_AUDIO_DECODER(self);
    if (frames > 0)
        return gst_audio_decoder_finish_frame(decoder, sound, frames);
    // Pieces of the frame being decoded, before its format changed.
    return sound ? gst_audio_decoder_finish_subframe(decoder, sound) : GST_FLOW_OK;
}

// Streaming thread: the input frame just decoded is held with its sound, all
// of it sent once it lasts the batch. A first frame with no sound is
// finished at once, as without a batch, so that the next one stamps the sound.
GstFlowReturn HoldFrame(TavimoAacDec* self) {
    const gsize size = gst_adapter_available(self->held);
    if (size == 0 && self->heldFrames == 0)
        return gst_audio_decoder_finish_frame(GST_AUDIO_DECODER(self), nullptr, 1);
    ++self->heldFrames;
    const guint64 samples = self->info.bpf > 0 ? size / guint(self->info.bpf) : 0;
    const bool full =
        self->info.rate > 0 &&
        gst_util_uint64_scale_int(samples, GST_SECOND, self->info.rate) >= self->batch;
    return full ? FinishHeld(self) : GST_FLOW_OK;
}

// Streaming thread: drops the sound held back (a flush, a stop).
void DropHeld(TavimoAacDec* self) {
    gst_adapter_clear(self->held);
    self->heldFrames = 0;
}

// Streaming thread: caps for the sound libav gives, in GStreamer's order of
// channels (mono and stereo as GStreamer has them by default); mono when
// the centre alone is given. The sound held back goes out first, in the
// format it was decoded in. GST_FLOW_NOT_NEGOTIATED when refused.
GstFlowReturn Negotiate(TavimoAacDec* self, const AVFrame* sound) {
    const int channels = CentrePlane(self, sound) >= 0 ? 1 : sound->ch_layout.nb_channels;
    if (channels < 1 || channels > kMostChannels || sound->sample_rate <= 0)
        return GST_FLOW_NOT_NEGOTIATED;
    GstAudioChannelPosition from[kMostChannels], to[kMostChannels];
    const bool positioned = channels > 2 && PositionsOf(sound->ch_layout, from);
    if (!positioned)
        for (int i = 0; i < channels; ++i)
            from[i] =
                channels > 2 ? GST_AUDIO_CHANNEL_POSITION_NONE : GST_AUDIO_CHANNEL_POSITION_INVALID;
    std::memcpy(to, from, sizeof(from[0]) * size_t(channels));
    for (int i = 0; i < channels; ++i)
        self->order[i] = i;
    if (positioned) {
        gst_audio_channel_positions_to_valid_order(to, channels);
        gst_audio_get_channel_reorder_map(channels, from, to, self->order);
    }
    GstAudioInfo info;
    gst_audio_info_set_format(&info, GST_AUDIO_FORMAT_F32, sound->sample_rate, channels,
                              channels > 2 ? to : nullptr);
    if (GST_AUDIO_INFO_FORMAT(&self->info) != GST_AUDIO_FORMAT_UNKNOWN &&
        gst_audio_info_is_equal(&info, &self->info))
        return GST_FLOW_OK;
    if (const GstFlowReturn held = FinishHeld(self); held != GST_FLOW_OK)
        return held;
    self->info = info;
    auto* decoder = GST_AUDIO_DECODER(self);
    return gst_audio_decoder_set_output_format(decoder, &info) &&
                   gst_audio_decoder_negotiate(decoder)
               ? GST_FLOW_OK
               : GST_FLOW_NOT_NEGOTIATED;
}

// libav's planar float as one interleaved buffer (or its centre plane).
GstBuffer* Interleave(TavimoAacDec* self, const AVFrame* sound) {
    const int centre = CentrePlane(self, sound);
    const int channels = centre >= 0 ? 1 : sound->ch_layout.nb_channels;
    const int samples = sound->nb_samples;
    GstBuffer* buffer = gst_buffer_new_allocate(
        nullptr, sizeof(float) * size_t(channels) * size_t(samples), nullptr);
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
        if (buffer)
            gst_buffer_unref(buffer);
        return nullptr;
    }
    auto* out = reinterpret_cast<float*>(map.data);
    if (centre >= 0)
        std::memcpy(out, sound->extended_data[centre], sizeof(float) * size_t(samples));
    for (int c = 0; centre < 0 && c < channels; ++c) {
        const auto* plane = reinterpret_cast<const float*>(sound->extended_data[c]);
        float* to = out + self->order[c];
        for (int s = 0; s < samples; ++s)
            to[size_t(s) * size_t(channels)] = plane[s];
    }
    gst_buffer_unmap(buffer, &map);
    return buffer;
}

// Streaming thread: the sound libav has ready for the packet just sent; the
// last piece finishes the input frame, so that it carries its timestamp.
// With a batch every piece is held instead (HoldFrame).
GstFlowReturn Receive(TavimoAacDec* self) {
    auto* decoder = GST_AUDIO_DECODER(self);
    const bool batch = self->batch > 0;
    GstBuffer* pending = nullptr;
    GstFlowReturn ret = GST_FLOW_OK;
    while (ret == GST_FLOW_OK) {
        const int got = avcodec_receive_frame(self->context, self->sound);
        if (got < 0)
            break;
        ret = self->sound->format == AV_SAMPLE_FMT_FLTP ? Negotiate(self, self->sound)
                                                        : GST_FLOW_NOT_NEGOTIATED;
        if (ret == GST_FLOW_NOT_NEGOTIATED)
            GST_ELEMENT_ERROR(self, CORE, NEGOTIATION, (nullptr), ("sound libav gave was refused"));
        if (ret != GST_FLOW_OK) {
            av_frame_unref(self->sound);
            break;
        }
        if (pending)
            ret = gst_audio_decoder_finish_subframe(decoder, pending);
        pending = Interleave(self, self->sound);
        av_frame_unref(self->sound);
        if (batch && pending)
            gst_adapter_push(self->held, std::exchange(pending, nullptr));
    }
    if (ret != GST_FLOW_OK) {
        if (pending)
            gst_buffer_unref(pending);
        return ret;
    }
    return batch ? HoldFrame(self) : gst_audio_decoder_finish_frame(decoder, pending, 1);
}

GstFlowReturn HandleFrame(GstAudioDecoder* decoder, GstBuffer* buffer) {
    TavimoAacDec* self = Self(decoder);
    if (!self->context)
        return GST_FLOW_NOT_NEGOTIATED;
    if (!buffer) {  // draining: libav holds nothing back for AAC and AC-3, we may
        avcodec_flush_buffers(self->context);
        return FinishHeld(self);
    }
    const gsize size = gst_buffer_get_size(buffer);
    AVPacket* packet = av_packet_alloc();
    if (!packet || av_new_packet(packet, int(size)) < 0) {
        av_packet_free(&packet);
        return GST_FLOW_ERROR;
    }
    gst_buffer_extract(buffer, 0, packet->data, size);
    const int sent = avcodec_send_packet(self->context, packet);
    av_packet_free(&packet);
    if (sent < 0) {
        GstFlowReturn ret = FinishHeld(self);  // the frame dropped below is then the first
        if (ret != GST_FLOW_OK)
            return ret;
        GST_AUDIO_DECODER_ERROR(self, 1, STREAM, DECODE, (nullptr), ("libav: %d", sent), ret);
        return ret == GST_FLOW_OK ? gst_audio_decoder_finish_frame(decoder, nullptr, 1) : ret;
    }
    return Receive(self);
}

// libav's decoder of `caps`: its float one for AC-3, as the libav plugin's.
const AVCodec* CodecOf(GstCaps* caps) {
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (gst_structure_has_name(s, "audio/x-ac3"))
        return avcodec_find_decoder_by_name("ac3");
    if (gst_structure_has_name(s, "audio/x-eac3"))
        return avcodec_find_decoder_by_name("eac3");
    return avcodec_find_decoder(AV_CODEC_ID_AAC);
}

gboolean SetFormat(GstAudioDecoder* decoder, GstCaps* caps) {
    TavimoAacDec* self = Self(decoder);
    avcodec_free_context(&self->context);
    gst_audio_info_init(&self->info);
    const AVCodec* codec = CodecOf(caps);
    self->context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!self->context)
        return FALSE;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    const GValue* value = gst_structure_get_value(s, "codec_data");
    GstBuffer* config =
        value && G_VALUE_HOLDS(value, GST_TYPE_BUFFER) ? gst_value_get_buffer(value) : nullptr;
    if (config) {
        const gsize size = gst_buffer_get_size(config);
        self->context->extradata =
            static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (self->context->extradata) {
            gst_buffer_extract(config, 0, self->context->extradata, size);
            self->context->extradata_size = int(size);
        }
    }
    int rate = 0, channels = 0;
    if (gst_structure_get_int(s, "rate", &rate))
        self->context->sample_rate = rate;
    if (gst_structure_get_int(s, "channels", &channels))
        av_channel_layout_default(&self->context->ch_layout, channels);
    if (avcodec_open2(self->context, codec, nullptr) < 0) {
        avcodec_free_context(&self->context);
        GST_ELEMENT_ERROR(self, LIBRARY, INIT, (nullptr),
                          ("libav's %s decoder did not open", codec->name));
        return FALSE;
    }
    return TRUE;
}

void Flush(GstAudioDecoder* decoder, gboolean) {
    TavimoAacDec* self = Self(decoder);
    DropHeld(self);
    if (self->context)
        avcodec_flush_buffers(self->context);
}

// Streaming thread. A flush drops what is held even when nothing has gone
// out yet: the base class calls Flush only after some sound has.
gboolean SinkEvent(GstAudioDecoder* decoder, GstEvent* event) {
    if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
        GST_AUDIO_DECODER_STREAM_LOCK(decoder);
        DropHeld(Self(decoder));
        GST_AUDIO_DECODER_STREAM_UNLOCK(decoder);
    }
    return GST_AUDIO_DECODER_CLASS(tavimo_aac_dec_parent_class)->sink_event(decoder, event);
}

gboolean Stop(GstAudioDecoder* decoder) {
    TavimoAacDec* self = Self(decoder);
    DropHeld(self);
    avcodec_free_context(&self->context);
    gst_audio_info_init(&self->info);
    return TRUE;
}

void Finalize(GObject* object) {
    TavimoAacDec* self = Self(object);
    av_frame_free(&self->sound);
    avcodec_free_context(&self->context);
    g_object_unref(self->held);
    G_OBJECT_CLASS(tavimo_aac_dec_parent_class)->finalize(object);
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
    if (id != kPropBatch) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
        return;
    }
    TavimoAacDec* self = Self(object);
    GST_AUDIO_DECODER_STREAM_LOCK(self);
    self->batch = g_value_get_uint64(value);
    GST_AUDIO_DECODER_STREAM_UNLOCK(self);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
    if (id != kPropBatch) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
        return;
    }
    TavimoAacDec* self = Self(object);
    GST_AUDIO_DECODER_STREAM_LOCK(self);
    g_value_set_uint64(value, self->batch);
    GST_AUDIO_DECODER_STREAM_UNLOCK(self);
}

void tavimo_aac_dec_class_init(TavimoAacDecClass* klass) {
    GST_DEBUG_CATEGORY_INIT(aac_debug, "tavimoaacdec", 0, "AAC decoder on libavcodec");
    GObjectClass* object_class = G_OBJECT_CLASS(klass);
    object_class->finalize = Finalize;
    object_class->set_property = SetProperty;
    object_class->get_property = GetProperty;
    g_object_class_install_property(
        object_class, kPropBatch,
        g_param_spec_uint64(kBatchProperty, "Batch duration",
                            "Sound held back to go out in one buffer (ns; 0: a buffer a frame)", 0,
                            GST_SECOND, 0,
                            GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
    klass->centre = false;
    // Named as the libav plugin names its decoder (the Filters menu shows it).
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    g_autofree gchar* name = g_strdup_printf("libav %s decoder", codec ? codec->long_name : "AAC");
    auto* element_class = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_metadata(element_class, name, "Codec/Decoder/Audio",
                                   "Decodes AAC with libavcodec", "Tavimo");
    GstCaps* sink = gst_caps_from_string(kSinkCaps);
    GstCaps* src = gst_caps_from_string(kSrcCaps);
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, sink));
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, src));
    gst_caps_unref(sink);
    gst_caps_unref(src);
    auto* decoder_class = GST_AUDIO_DECODER_CLASS(klass);
    decoder_class->stop = Stop;
    decoder_class->set_format = SetFormat;
    decoder_class->handle_frame = HandleFrame;
    decoder_class->flush = Flush;
    decoder_class->sink_event = SinkEvent;
}

void tavimo_aac_dec_init(TavimoAacDec* self) {
    self->context = nullptr;
    self->sound = av_frame_alloc();
    gst_audio_info_init(&self->info);
    self->batch = 0;
    self->held = gst_adapter_new();
    self->heldFrames = 0;
    auto* decoder = GST_AUDIO_DECODER(self);
    gst_audio_decoder_set_drainable(decoder, TRUE);
    gst_audio_decoder_set_needs_format(decoder, TRUE);
}

// The centre decoder's pads replace the AAC decoder's (same names).
void tavimo_centre_dec_class_init(TavimoCentreDecClass* klass) {
    reinterpret_cast<TavimoAacDecClass*>(klass)->centre = true;
    auto* element_class = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_metadata(
        element_class, "AC-3 centre channel decoder", "Codec/Decoder/Audio",
        "Decodes AC-3 with libavcodec, the centre channel alone", "Tavimo");
    GstCaps* sink = gst_caps_from_string(kCentreSinkCaps);
    gst_element_class_add_pad_template(
        element_class, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, sink));
    gst_caps_unref(sink);
}

void tavimo_centre_dec_init(TavimoCentreDec*) {}

}  // namespace

namespace avcodec_internal {
GType AacDecoderType() {
    return tavimo_aac_dec_get_type();
}
GType CentreDecoderType() {
    return tavimo_centre_dec_get_type();
}
}  // namespace avcodec_internal

}  // namespace tavimo
