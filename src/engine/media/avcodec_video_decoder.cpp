// The H.264 decoder on libavcodec (see avcodec_decoders.h): the element,
// its codec and the frames it takes. Each input frame's number travels
// through libav's reordering as the packet's pts and comes back on the
// picture (avcodec_video_output.cpp); pictures are decoded into the colour
// converter's pool where downstream offers it (avcodec_video_direct.cpp).
#include <gst/video/gstvideodecoder.h>
#include <gst/video/video.h>

#include <cstring>
#include <initializer_list>
#include <tuple>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "engine/media/avcodec_decoders.h"
#include "engine/media/avcodec_video_internal.h"

namespace tavimo::h264dec {

GST_DEBUG_CATEGORY(h264_debug);

namespace {

constexpr char kSinkCaps[] =
    "video/x-h264, stream-format=(string){ avc, byte-stream }, "
    "alignment=(string)au";
constexpr char kSrcCaps[] =
    "video/x-raw, format=(string){ I420, Y42B, Y444, GBR, GRAY8, "
    "I420_10LE, I422_10LE, Y444_10LE, GBR_10LE, I420_12LE, I422_12LE, "
    "Y444_12LE, GBR_12LE }";

struct TavimoH264DecClass {
    GstVideoDecoderClass parent_class;
};

G_DEFINE_TYPE(TavimoH264Dec, tavimo_h264_dec, GST_TYPE_VIDEO_DECODER)

void CloseCodec(TavimoH264Dec* self) {
    avcodec_free_context(&self->context);  // frees the pictures libav held
    SetDirectPool(self, DirectPool{});
    g_mutex_lock(&self->lock);
    av_buffer_pool_uninit(&self->spare);
    g_hash_table_remove_all(self->allocated);
    g_mutex_unlock(&self->lock);
    gst_video_info_init(&self->outputInfo);
    self->traits = Traits{};
    self->fieldOrderChanged = false;
}

// The properties into the codec's settings, as GStreamer's libav decoder
// sets them: threads one a core unless "max-threads" says (the graph says
// one where one keeps up), frames and slices in parallel, strict to the
// standard, except from a live source (slices only, normal compliance).
void ApplySettings(TavimoH264Dec* self) {
    GstQuery* query = gst_query_new_latency();
    gboolean live = FALSE;
    if (gst_pad_peer_query(GST_VIDEO_DECODER_SINK_PAD(self), query))
        gst_query_parse_latency(query, &live, nullptr, nullptr);
    gst_query_unref(query);
    AVCodecContext* c = self->context;
    GST_OBJECT_LOCK(self);
    c->lowres = self->lowres;
    c->skip_frame = AVDiscard(self->skipFrame);
    c->thread_count = self->maxThreads > 0 ? self->maxThreads : int(g_get_num_processors());
    c->thread_type = self->threadType != 0 ? self->threadType
                     : live                ? FF_THREAD_SLICE
                                           : FF_THREAD_SLICE | FF_THREAD_FRAME;
    c->strict_std_compliance = self->compliance != G_MAXINT ? self->compliance
                               : live                       ? FF_COMPLIANCE_NORMAL
                                                            : FF_COMPLIANCE_STRICT;
    GST_OBJECT_UNLOCK(self);
}

bool OpenCodec(TavimoH264Dec* self, GstVideoCodecState* state) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    self->context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!self->context)
        return false;
    self->context->opaque = self;
    self->context->get_buffer2 = GetBuffer;
#if FF_API_THREAD_SAFE_CALLBACKS
    // GetBuffer may run on libav's frame threads; this libav wants it said.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    self->context->thread_safe_callbacks = 1;
    G_GNUC_END_IGNORE_DEPRECATIONS
#endif
    GstMapInfo map;
    if (state->codec_data && gst_buffer_map(state->codec_data, &map, GST_MAP_READ)) {
        self->context->extradata =
            static_cast<uint8_t*>(av_mallocz(map.size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (self->context->extradata) {
            std::memcpy(self->context->extradata, map.data, map.size);
            self->context->extradata_size = int(map.size);
        }
        gst_buffer_unmap(state->codec_data, &map);
    }
    ApplySettings(self);
    if (avcodec_open2(self->context, codec, nullptr) < 0) {
        avcodec_free_context(&self->context);
        return false;
    }
    return true;
}

gboolean SetFormat(GstVideoDecoder* decoder, GstVideoCodecState* state) {
    TavimoH264Dec* self = Self(decoder);
    if (self->context) {
        avcodec_send_packet(self->context, nullptr);  // what the old caps still hold
        Receive(self);
        CloseCodec(self);
    }
    if (self->input)
        gst_video_codec_state_unref(self->input);
    self->input = gst_video_codec_state_ref(state);
    if (!OpenCodec(self, state)) {
        GST_ELEMENT_ERROR(self, LIBRARY, INIT, (nullptr), ("libav's H.264 decoder did not open"));
        return FALSE;
    }
    Traits announced;
    if (TraitsFromCaps(gst_caps_get_structure(state->caps, 0), state->info, &announced))
        Negotiate(self, announced);
    return TRUE;
}

// Late pictures (the sink's reports): libav skips the frames no other
// refers to until the decoder catches up.
void KeepPace(TavimoH264Dec* self, GstVideoCodecFrame* frame) {
    GST_OBJECT_LOCK(self);
    const int skip = self->skipFrame;
    GST_OBJECT_UNLOCK(self);
    const GstClockTimeDiff left =
        gst_video_decoder_get_max_decode_time(GST_VIDEO_DECODER(self), frame);
    self->context->skip_frame = skip != 0  ? AVDiscard(skip)
                                : left > 0 ? AVDISCARD_DEFAULT
                                           : AVDISCARD_NONREF;
}

// Downstream linked or changed since the caps were last negotiated (the
// caps go out while the source is still being plugged, before the converter
// is there): its pool is taken before libav asks for the next pictures, so
// none is decoded apart and copied. A failure is retried as the pictures go out.
void TakeNewPool(TavimoH264Dec* self) {
    auto* decoder = GST_VIDEO_DECODER(self);
    if (GST_VIDEO_INFO_FORMAT(&self->outputInfo) != GST_VIDEO_FORMAT_UNKNOWN &&
        gst_pad_needs_reconfigure(GST_VIDEO_DECODER_SRC_PAD(decoder)))
        gst_video_decoder_negotiate(decoder);
}

GstFlowReturn HandleFrame(GstVideoDecoder* decoder, GstVideoCodecFrame* frame) {
    TavimoH264Dec* self = Self(decoder);
    if (!self->context) {
        gst_video_decoder_drop_frame(decoder, frame);
        return GST_FLOW_NOT_NEGOTIATED;
    }
    TakeNewPool(self);
    KeepPace(self, frame);
    const gsize size = gst_buffer_get_size(frame->input_buffer);
    AVPacket* packet = av_packet_alloc();
    if (!packet || av_new_packet(packet, int(size)) < 0) {
        av_packet_free(&packet);
        gst_video_codec_frame_unref(frame);
        return GST_FLOW_ERROR;
    }
    gst_buffer_extract(frame->input_buffer, 0, packet->data, size);
    packet->pts = frame->system_frame_number;
    if (GST_VIDEO_CODEC_FRAME_IS_SYNC_POINT(frame))
        packet->flags |= AV_PKT_FLAG_KEY;
    gst_video_codec_frame_unref(frame);  // the decoder keeps it until it is pushed
    GstFlowReturn ret = GST_FLOW_OK;
    int sent = avcodec_send_packet(self->context, packet);
    while (sent == AVERROR(EAGAIN) && ret == GST_FLOW_OK) {  // full: take pictures first
        ret = Receive(self);
        sent = avcodec_send_packet(self->context, packet);
    }
    av_packet_free(&packet);
    if (sent < 0 && sent != AVERROR(EAGAIN))
        GST_VIDEO_DECODER_ERROR(self, 1, STREAM, DECODE, (nullptr),
                                ("libav refused a frame: %d", sent), ret);
    return ret == GST_FLOW_OK ? Receive(self) : ret;
}

// The end of the stream, or new caps: the pictures libav still holds back.
GstFlowReturn Drain(GstVideoDecoder* decoder) {
    TavimoH264Dec* self = Self(decoder);
    if (!self->context)
        return GST_FLOW_OK;
    avcodec_send_packet(self->context, nullptr);
    const GstFlowReturn ret = Receive(self);
    avcodec_flush_buffers(self->context);  // ready for more after the end
    return ret;
}

gboolean Flush(GstVideoDecoder* decoder) {
    TavimoH264Dec* self = Self(decoder);
    if (self->context)
        avcodec_flush_buffers(self->context);
    g_mutex_lock(&self->lock);
    g_hash_table_remove_all(self->allocated);
    g_mutex_unlock(&self->lock);
    return TRUE;
}
// The converter's pool, laid out as libav decodes (padding, strides): then
// pictures are decoded straight into it. Any other pool is used as it is.
gboolean DecideAllocation(GstVideoDecoder* decoder, GstQuery* query) {
    TavimoH264Dec* self = Self(decoder);
    if (!GST_VIDEO_DECODER_CLASS(tavimo_h264_dec_parent_class)->decide_allocation(decoder, query))
        return FALSE;
    UseConverterPool(self, query);
    return TRUE;
}

gboolean Stop(GstVideoDecoder* decoder) {
    TavimoH264Dec* self = Self(decoder);
    CloseCodec(self);
    if (self->input)
        gst_video_codec_state_unref(self->input);
    self->input = nullptr;
    return TRUE;
}

void Finalize(GObject* object) {
    TavimoH264Dec* self = Self(object);
    av_frame_free(&self->picture);
    av_buffer_pool_uninit(&self->spare);
    g_hash_table_unref(self->allocated);
    g_mutex_clear(&self->lock);
    G_OBJECT_CLASS(tavimo_h264_dec_parent_class)->finalize(object);
}

void tavimo_h264_dec_class_init(TavimoH264DecClass* klass) {
    GST_DEBUG_CATEGORY_INIT(h264_debug, "tavimoh264dec", 0, "H.264 decoder on libavcodec");
    G_OBJECT_CLASS(klass)->finalize = Finalize;
    InstallProperties(G_OBJECT_CLASS(klass));
    // Named as the libav plugin names its decoder (the Filters menu shows it).
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    g_autofree gchar* name =
        g_strdup_printf("libav %s decoder", codec ? codec->long_name : "H.264");
    auto* element_class = GST_ELEMENT_CLASS(klass);
    gst_element_class_set_metadata(element_class, name, "Codec/Decoder/Video",
                                   "Decodes H.264 with libavcodec", "Tavimo");
    for (auto [name, direction, text] :
         {std::tuple{"sink", GST_PAD_SINK, kSinkCaps}, std::tuple{"src", GST_PAD_SRC, kSrcCaps}}) {
        GstCaps* caps = gst_caps_from_string(text);
        gst_element_class_add_pad_template(
            element_class, gst_pad_template_new(name, direction, GST_PAD_ALWAYS, caps));
        gst_caps_unref(caps);
    }
    auto* decoder_class = GST_VIDEO_DECODER_CLASS(klass);
    decoder_class->stop = Stop;
    decoder_class->set_format = SetFormat;
    decoder_class->handle_frame = HandleFrame;
    decoder_class->finish = Drain;
    decoder_class->drain = Drain;
    decoder_class->flush = Flush;
    decoder_class->decide_allocation = DecideAllocation;
}

void tavimo_h264_dec_init(TavimoH264Dec* self) {
    self->context = nullptr;
    self->picture = av_frame_alloc();
    self->input = nullptr;
    self->traits = Traits{};
    gst_video_info_init(&self->outputInfo);
    self->fieldOrderChanged = false;
    g_mutex_init(&self->lock);
    self->direct = DirectPool{};
    self->allocated = g_hash_table_new(g_direct_hash, g_direct_equal);
    self->spare = nullptr;
    self->spareSize = 0;
    self->lowres = self->skipFrame = self->maxThreads = self->threadType = 0;
    self->compliance = G_MAXINT;
    self->directRendering = self->outputCorrupt = true;
    self->debugMv = false;
    auto* decoder = GST_VIDEO_DECODER(self);
    gst_video_decoder_set_packetized(decoder, TRUE);
    gst_video_decoder_set_needs_format(decoder, TRUE);
}

}  // namespace
}  // namespace tavimo::h264dec

namespace tavimo {

namespace avcodec_internal {
GType H264DecoderType() {
    return h264dec::tavimo_h264_dec_get_type();
}
}  // namespace avcodec_internal

bool IsAvcodecVideoDecoder(GstElement* element) {
    return element != nullptr &&
           G_TYPE_CHECK_INSTANCE_TYPE(element, h264dec::tavimo_h264_dec_get_type());
}

}  // namespace tavimo
