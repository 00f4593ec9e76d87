// The H.264 decoder on libavcodec (see avcodec_decoders.h). Each input
// frame's number travels through libav's reordering as the packet's pts and
// comes back on the picture. Pictures are decoded straight into the buffers
// of the colour converter's pool when downstream offers it (laid out with
// the padding and strides libav needs); into libav's own memory otherwise,
// copied once into a buffer of the negotiated pool.
#include <gst/video/gstvideodecoder.h>
#include <gst/video/gstvideopool.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cstring>
#include <tuple>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
}

#include "engine/media/avcodec_decoders.h"
#include "engine/media/swscale_convert.h"

namespace tavimo {
namespace {

GST_DEBUG_CATEGORY_STATIC(h264_debug);
#define GST_CAT_DEFAULT h264_debug

struct PixelFormat {
    AVPixelFormat av;
    GstVideoFormat gst;
};

// What libav's H.264 decoder gives, by depth and chroma layout (its "J"
// formats are full range, which the colorimetry then says).
constexpr PixelFormat kPixelFormats[] = {
    {AV_PIX_FMT_YUV420P, GST_VIDEO_FORMAT_I420},
    {AV_PIX_FMT_YUVJ420P, GST_VIDEO_FORMAT_I420},
    {AV_PIX_FMT_YUV422P, GST_VIDEO_FORMAT_Y42B},
    {AV_PIX_FMT_YUVJ422P, GST_VIDEO_FORMAT_Y42B},
    {AV_PIX_FMT_YUV444P, GST_VIDEO_FORMAT_Y444},
    {AV_PIX_FMT_YUVJ444P, GST_VIDEO_FORMAT_Y444},
    {AV_PIX_FMT_GBRP, GST_VIDEO_FORMAT_GBR},
    {AV_PIX_FMT_GRAY8, GST_VIDEO_FORMAT_GRAY8},
    {AV_PIX_FMT_YUV420P10LE, GST_VIDEO_FORMAT_I420_10LE},
    {AV_PIX_FMT_YUV422P10LE, GST_VIDEO_FORMAT_I422_10LE},
    {AV_PIX_FMT_YUV444P10LE, GST_VIDEO_FORMAT_Y444_10LE},
    {AV_PIX_FMT_GBRP10LE, GST_VIDEO_FORMAT_GBR_10LE},
    {AV_PIX_FMT_YUV420P12LE, GST_VIDEO_FORMAT_I420_12LE},
    {AV_PIX_FMT_YUV422P12LE, GST_VIDEO_FORMAT_I422_12LE},
    {AV_PIX_FMT_YUV444P12LE, GST_VIDEO_FORMAT_Y444_12LE},
    {AV_PIX_FMT_GBRP12LE, GST_VIDEO_FORMAT_GBR_12LE},
};

constexpr char kSinkCaps[] =
    "video/x-h264, stream-format=(string){ avc, byte-stream }, "
    "alignment=(string)au";
constexpr char kSrcCaps[] =
    "video/x-raw, format=(string){ I420, Y42B, Y444, GBR, GRAY8, "
    "I420_10LE, I422_10LE, Y444_10LE, GBR_10LE, I420_12LE, I422_12LE, "
    "Y444_12LE, GBR_12LE }";

GstVideoFormat GstFormatOf(int av) {
    for (const PixelFormat& row : kPixelFormats)
        if (row.av == av)
            return row.gst;
    return GST_VIDEO_FORMAT_UNKNOWN;
}

// What of a picture decides the output caps; compared picture by picture.
struct Traits {
    int format = AV_PIX_FMT_NONE;
    int width = 0, height = 0;
    AVRational sar{0, 1};
    bool interlaced = false, tff = false, rff = false;
    AVChromaLocation site = AVCHROMA_LOC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;

    bool operator==(const Traits& o) const {
        return format == o.format && width == o.width && height == o.height &&
               av_cmp_q(sar, o.sar) == 0 && interlaced == o.interlaced && tff == o.tff &&
               rff == o.rff && site == o.site && primaries == o.primaries &&
               transfer == o.transfer && matrix == o.matrix && range == o.range;
    }
};

Traits TraitsOf(const AVFrame* picture) {
    Traits t;
    t.format = picture->format;
    t.width = picture->width;
    t.height = picture->height;
    t.sar = picture->sample_aspect_ratio;
    t.interlaced = picture->interlaced_frame != 0;
    t.tff = t.interlaced && picture->top_field_first;
    t.rff = t.interlaced && picture->repeat_pict;
    t.site = picture->chroma_location;
    t.primaries = picture->color_primaries;
    t.transfer = picture->color_trc;
    t.matrix = picture->colorspace;
    t.range = picture->color_range;
    return t;
}

// The layout of the converter's pool buffers libav decodes into directly.
struct DirectPool {
    GstBufferPool* pool = nullptr;  // active while set; null: no direct rendering
    GstVideoInfo info;              // the negotiated caps (the buffers' video meta)
    int av = AV_PIX_FMT_NONE;
    int linesize[4] = {};
    int rows = 0;  // rows each buffer holds (padding included)
};

struct TavimoH264Dec {
    GstVideoDecoder parent;
    AVCodecContext* context;
    AVFrame* picture;
    GstVideoCodecState* input;
    Traits traits;            // of the negotiated output
    GstVideoInfo outputInfo;  // the negotiated output (format UNKNOWN: none yet)
    bool fieldOrderChanged;
    GMutex lock;            // guards the three below (libav's threads allocate)
    DirectPool direct;      // with lock
    GHashTable* allocated;  // numbers of the frames libav took a picture for; with lock
    AVBufferPool* spare;    // pictures when not rendering directly (of spareSize); with lock
    size_t spareSize;
    // The properties, as GStreamer's libav decoder has them (the Filters
    // menu lists them); under the object's lock.
    int lowres, skipFrame, maxThreads, threadType, compliance;
    bool directRendering, outputCorrupt, debugMv;
};

struct TavimoH264DecClass {
    GstVideoDecoderClass parent_class;
};

G_DEFINE_TYPE(TavimoH264Dec, tavimo_h264_dec, GST_TYPE_VIDEO_DECODER)

TavimoH264Dec* Self(gpointer decoder) {
    return reinterpret_cast<TavimoH264Dec*>(decoder);
}

// The sizes libav decodes a picture of `format` and `width` x `height` into:
// the rows and each plane's line length, aligned as its own allocator does.
void LibavLayout(AVCodecContext* context, int format, int width, int height, int linesize[4],
                 int* rows, int* paddedWidth) {
    int align[AV_NUM_DATA_POINTERS];
    const AVPixelFormat was = context->pix_fmt;
    context->pix_fmt = AVPixelFormat(format);
    avcodec_align_dimensions2(context, &width, &height, align);
    context->pix_fmt = was;
    for (bool aligned = false; !aligned; width += width & ~(width - 1)) {
        av_image_fill_linesizes(linesize, AVPixelFormat(format), width);
        aligned = true;
        for (int i = 0; i < 4; ++i)
            aligned = aligned && linesize[i] % align[i] == 0;
        *paddedWidth = width;
    }
    *rows = height;
}

// A picture decoded into a buffer of the converter's pool: mapped (with a
// read lock only, see swscale_pool.cpp) for as long as libav keeps it.
struct HeldPicture {
    GstVideoFrame frame;
};

void ReleaseHeld(void* opaque, uint8_t*) {
    auto* held = static_cast<HeldPicture*>(opaque);
    gst_video_frame_unmap(&held->frame);
    g_free(held);
}

// libav's threads or the streaming thread: a buffer of the converter's pool
// for `picture`, when its layout is the one libav needs; -1 otherwise.
int RenderDirectly(const DirectPool& direct, AVCodecContext* context, AVFrame* picture, int flags) {
    int linesize[4], rows = 0, width = 0;
    LibavLayout(context, picture->format, picture->width, picture->height, linesize, &rows, &width);
    if (picture->format != direct.av || rows > direct.rows ||
        std::memcmp(linesize, direct.linesize, sizeof linesize) != 0)
        return -1;
    GstBuffer* buffer = nullptr;
    if (gst_buffer_pool_acquire_buffer(direct.pool, &buffer, nullptr) != GST_FLOW_OK)
        return -1;
    auto* held = g_new0(HeldPicture, 1);
    const bool mapped = gst_video_frame_map(&held->frame, &direct.info, buffer, GST_MAP_READWRITE);
    gst_buffer_unref(buffer);  // the mapping holds its own
    if (!mapped) {
        g_free(held);
        return -1;
    }
    for (guint i = 0; i < GST_VIDEO_FRAME_N_PLANES(&held->frame); ++i) {
        picture->data[i] = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&held->frame, i));
        picture->linesize[i] = GST_VIDEO_FRAME_PLANE_STRIDE(&held->frame, i);
    }
    picture->extended_data = picture->data;
    // Read-only: libav asks again for every picture rather than reusing one.
    picture->buf[0] = av_buffer_create(
        picture->data[0], int(gst_buffer_get_size(held->frame.buffer)), ReleaseHeld, held,
        (flags & AV_GET_BUFFER_FLAG_REF) ? AV_BUFFER_FLAG_READONLY : 0);
    if (!picture->buf[0]) {
        ReleaseHeld(held, nullptr);
        return -1;
    }
    picture->opaque = held;
    return 0;
}

// libav's threads or the streaming thread, with the lock: a picture in
// memory of our own pool, laid out as libav's own allocator would. Unlike
// libav's, which it keeps as long as the decoder lives, ours is let go of
// once pictures go straight into the converter's pool (the first ones come
// before downstream is linked): four pictures, 12 MB at 1080p.
int RenderIntoSpare(TavimoH264Dec* self, AVCodecContext* context, AVFrame* picture) {
    int linesize[4], rows = 0, width = 0;
    LibavLayout(context, picture->format, picture->width, picture->height, linesize, &rows, &width);
    ptrdiff_t strides[4];
    size_t planes[4];
    for (int i = 0; i < 4; ++i)
        strides[i] = linesize[i];
    if (av_image_fill_plane_sizes(planes, AVPixelFormat(picture->format), rows, strides) < 0)
        return AVERROR(EINVAL);
    const size_t size = planes[0] + planes[1] + planes[2] + planes[3] + 64;  // SIMD over-reads
    if (self->spare && self->spareSize != size)
        av_buffer_pool_uninit(&self->spare);  // its pictures stay until libav lets them go
    if (!self->spare)
        self->spare = av_buffer_pool_init(size, av_buffer_allocz);
    self->spareSize = size;
    picture->buf[0] = self->spare ? av_buffer_pool_get(self->spare) : nullptr;
    if (!picture->buf[0])
        return AVERROR(ENOMEM);
    uint8_t* at = picture->buf[0]->data;
    for (int i = 0; i < 4; ++i) {
        picture->data[i] = planes[i] ? at : nullptr;
        picture->linesize[i] = planes[i] ? linesize[i] : 0;
        at += planes[i];
    }
    picture->extended_data = picture->data;
    return 0;
}

// libav's get_buffer2, on its threads or the streaming thread.
int GetBuffer(AVCodecContext* context, AVFrame* picture, int flags) {
    TavimoH264Dec* self = Self(context->opaque);
    picture->opaque = nullptr;
    g_mutex_lock(&self->lock);
    if (picture->pts != AV_NOPTS_VALUE)
        g_hash_table_add(self->allocated, GUINT_TO_POINTER(guint(picture->pts) + 1));
    DirectPool direct = self->direct;
    if (direct.pool)
        gst_object_ref(direct.pool);
    g_mutex_unlock(&self->lock);
    int done = -1;
    if (direct.pool) {
        done = RenderDirectly(direct, context, picture, flags);
        gst_object_unref(direct.pool);
    }
    if (done == 0)
        return 0;
    g_mutex_lock(&self->lock);
    done = RenderIntoSpare(self, context, picture);
    g_mutex_unlock(&self->lock);
    return done;
}

void SetDirectPool(TavimoH264Dec* self, const DirectPool& direct) {
    g_mutex_lock(&self->lock);
    GstBufferPool* old = self->direct.pool;
    self->direct = direct;
    if (direct.pool) {
        gst_object_ref(direct.pool);
        av_buffer_pool_uninit(&self->spare);
    }
    g_mutex_unlock(&self->lock);
    if (old)
        gst_object_unref(old);
}

// The pixel aspect ratio: the container's, unless only the stream says one
// other than square (or the container says none).
void ChoosePar(const GstVideoInfo& in, AVRational sar, GstVideoInfo* out) {
    const bool container = in.par_n > 0 && in.par_d > 0;
    const bool stream = sar.num > 0 && sar.den > 0;
    const bool streamSquare = stream && sar.num == sar.den;
    if (stream && (!container || (in.par_n == in.par_d && !streamSquare))) {
        out->par_n = sar.num;
        out->par_d = sar.den;
    } else {
        out->par_n = container ? in.par_n : 1;
        out->par_d = container ? in.par_d : 1;
    }
}

void ChooseColours(const GstStructure* in, const GstVideoInfo& inInfo, const Traits& t,
                   GstVideoInfo* out) {
    const bool said = gst_structure_has_field(in, "colorimetry");
    GstVideoColorimetry& c = out->colorimetry;
    c = inInfo.colorimetry;
    if (!said || c.primaries == GST_VIDEO_COLOR_PRIMARIES_UNKNOWN)
        c.primaries = gst_video_color_primaries_from_iso(guint(t.primaries));
    if (!said || c.transfer == GST_VIDEO_TRANSFER_UNKNOWN)
        c.transfer = gst_video_transfer_function_from_iso(guint(t.transfer));
    if (!said || c.matrix == GST_VIDEO_COLOR_MATRIX_UNKNOWN)
        c.matrix = gst_video_color_matrix_from_iso(guint(t.matrix));
    if (!said || c.range == GST_VIDEO_COLOR_RANGE_UNKNOWN)
        c.range = t.range == AVCOL_RANGE_JPEG   ? GST_VIDEO_COLOR_RANGE_0_255
                  : t.range == AVCOL_RANGE_MPEG ? GST_VIDEO_COLOR_RANGE_16_235
                                                : GST_VIDEO_COLOR_RANGE_UNKNOWN;
    if (gst_structure_has_field(in, "chroma-site"))
        out->chroma_site = inInfo.chroma_site;
    else if (t.site == AVCHROMA_LOC_LEFT)
        out->chroma_site = GST_VIDEO_CHROMA_SITE_MPEG2;
    else if (t.site == AVCHROMA_LOC_CENTER)
        out->chroma_site = GST_VIDEO_CHROMA_SITE_JPEG;
    else if (t.site == AVCHROMA_LOC_TOPLEFT)
        out->chroma_site = GST_VIDEO_CHROMA_SITE_DV;
    else if (t.site == AVCHROMA_LOC_TOP)
        out->chroma_site = GST_VIDEO_CHROMA_SITE_V_COSITED;
}

// The output caps for pictures of `t`: size and format the picture's; frame
// rate, aspect, interlacing and colours the container's where it says them.
GstVideoInfo OutputInfo(TavimoH264Dec* self, const Traits& t) {
    const GstVideoInfo& in = self->input->info;
    const GstStructure* s = gst_caps_get_structure(self->input->caps, 0);
    GstVideoInfo out;
    gst_video_info_set_format(&out, GstFormatOf(t.format), guint(t.width), guint(t.height));
    out.fps_n = in.fps_n;
    out.fps_d = in.fps_d;
    if (in.fps_n == 0 && self->context->framerate.num > 0) {
        out.fps_n = self->context->framerate.num;
        out.fps_d = self->context->framerate.den;
    }
    GST_VIDEO_INFO_MULTIVIEW_MODE(&out) = GST_VIDEO_INFO_MULTIVIEW_MODE(&in);
    GST_VIDEO_INFO_MULTIVIEW_FLAGS(&out) = GST_VIDEO_INFO_MULTIVIEW_FLAGS(&in);
    ChoosePar(in, t.sar, &out);
    if (gst_structure_has_field(s, "interlace-mode")) {
        out.interlace_mode = in.interlace_mode;
        GST_VIDEO_INFO_FIELD_ORDER(&out) = GST_VIDEO_INFO_FIELD_ORDER(&in);
    } else if (t.interlaced && !self->fieldOrderChanged && !t.rff) {
        out.interlace_mode = GST_VIDEO_INTERLACE_MODE_INTERLEAVED;
        GST_VIDEO_INFO_FIELD_ORDER(&out) = t.tff ? GST_VIDEO_FIELD_ORDER_TOP_FIELD_FIRST
                                                 : GST_VIDEO_FIELD_ORDER_BOTTOM_FIELD_FIRST;
    } else {
        out.interlace_mode =
            t.interlaced ? GST_VIDEO_INTERLACE_MODE_MIXED : GST_VIDEO_INTERLACE_MODE_PROGRESSIVE;
    }
    ChooseColours(s, in, t, &out);
    return out;
}

// Streaming thread: caps for pictures of `t`, negotiated unless they are
// those already negotiated. False when downstream refuses them.
bool Negotiate(TavimoH264Dec* self, const Traits& t) {
    if (GST_VIDEO_INFO_FORMAT(&self->outputInfo) != GST_VIDEO_FORMAT_UNKNOWN && t == self->traits)
        return true;
    if (self->traits.interlaced && t.interlaced &&
        (t.tff != self->traits.tff || t.rff != self->traits.rff))
        self->fieldOrderChanged = true;
    if (GstFormatOf(t.format) == GST_VIDEO_FORMAT_UNKNOWN) {
        GST_ELEMENT_ERROR(self, STREAM, FORMAT, (nullptr),
                          ("libav gave pictures in %d, a format we do not take", t.format));
        return false;
    }
    self->traits = t;
    const GstVideoInfo info = OutputInfo(self, t);
    if (GST_VIDEO_INFO_FORMAT(&self->outputInfo) != GST_VIDEO_FORMAT_UNKNOWN &&
        gst_video_info_is_equal(&info, &self->outputInfo))
        return true;
    auto* decoder = GST_VIDEO_DECODER(self);
    GstVideoCodecState* state = gst_video_decoder_set_output_state(
        decoder, GST_VIDEO_INFO_FORMAT(&info), info.width, info.height, nullptr);
    state->info = info;
    gst_video_codec_state_unref(state);
    self->outputInfo = info;
    if (!gst_video_decoder_negotiate(decoder)) {
        gst_video_info_init(&self->outputInfo);
        return false;
    }
    return true;
}

// The traits the parser's caps announce (size, chroma layout and depth):
// negotiating them before the first picture lets it, too, be decoded into
// the converter's pool. The first picture corrects them.
bool TraitsFromCaps(const GstStructure* s, const GstVideoInfo& in, Traits* t) {
    const gchar* chroma = gst_structure_get_string(s, "chroma-format");
    guint depth = 0;
    if (!chroma || !gst_structure_get_uint(s, "bit-depth-luma", &depth) || in.width <= 0 ||
        in.height <= 0)
        return false;
    static constexpr struct {
        const char* chroma;
        guint depth;
        AVPixelFormat av;
    } kAnnounced[] = {
        {"4:2:0", 8, AV_PIX_FMT_YUV420P},      {"4:2:2", 8, AV_PIX_FMT_YUV422P},
        {"4:4:4", 8, AV_PIX_FMT_YUV444P},      {"4:2:0", 10, AV_PIX_FMT_YUV420P10LE},
        {"4:2:2", 10, AV_PIX_FMT_YUV422P10LE}, {"4:4:4", 10, AV_PIX_FMT_YUV444P10LE},
    };
    for (const auto& row : kAnnounced) {
        if (depth == row.depth && g_strcmp0(chroma, row.chroma) == 0) {
            t->format = row.av;
            t->width = in.width;
            t->height = in.height;
            t->site = AVCHROMA_LOC_LEFT;  // H.264's unless the stream says another
            return true;
        }
    }
    return false;
}

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

GstFlowReturn Receive(TavimoH264Dec* self);

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

// Frames libav took no picture for, older than the one it gives now (input
// it dropped: a broken frame, or one before the first key frame): nothing
// will come of them.
void ReleaseLost(TavimoH264Dec* self, guint32 shown) {
    auto* decoder = GST_VIDEO_DECODER(self);
    GList* frames = gst_video_decoder_get_frames(decoder);
    g_mutex_lock(&self->lock);
    g_hash_table_remove(self->allocated, GUINT_TO_POINTER(shown + 1));
    for (GList* l = frames; l; l = l->next) {
        auto* frame = static_cast<GstVideoCodecFrame*>(l->data);
        const guint32 number = frame->system_frame_number;
        if (number < shown && !g_hash_table_contains(self->allocated, GUINT_TO_POINTER(number + 1)))
            gst_video_decoder_release_frame(decoder, gst_video_codec_frame_ref(frame));
    }
    g_mutex_unlock(&self->lock);
    g_list_free_full(frames, GDestroyNotify(gst_video_codec_frame_unref));
}

// The picture's own buffer when it was decoded into the converter's pool
// for the caps negotiated now; else a copy in a buffer of the pool.
GstFlowReturn FillOutput(TavimoH264Dec* self, GstVideoCodecFrame* frame, const AVFrame* picture) {
    const auto* held = static_cast<const HeldPicture*>(picture->opaque);
    bool direct =
        held &&
        GST_VIDEO_INFO_FORMAT(&held->frame.info) == GST_VIDEO_INFO_FORMAT(&self->outputInfo) &&
        held->frame.info.width == self->outputInfo.width &&
        held->frame.info.height == self->outputInfo.height;
    for (guint i = 0; direct && i < GST_VIDEO_FRAME_N_PLANES(&held->frame); ++i)
        direct = picture->data[i] == GST_VIDEO_FRAME_PLANE_DATA(&held->frame, i);
    if (direct) {
        frame->output_buffer = gst_buffer_ref(held->frame.buffer);
        return GST_FLOW_OK;
    }
    const GstFlowReturn ret =
        gst_video_decoder_allocate_output_frame(GST_VIDEO_DECODER(self), frame);
    if (ret != GST_FLOW_OK)
        return ret;
    GstVideoFrame out;
    if (!gst_video_frame_map(&out, &self->outputInfo, frame->output_buffer, GST_MAP_WRITE))
        return GST_FLOW_ERROR;
    uint8_t* data[4] = {};
    int linesize[4] = {};
    for (guint i = 0; i < GST_VIDEO_FRAME_N_PLANES(&out); ++i) {
        data[i] = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&out, i));
        linesize[i] = GST_VIDEO_FRAME_PLANE_STRIDE(&out, i);
    }
    av_image_copy(data, linesize, const_cast<const uint8_t**>(picture->data), picture->linesize,
                  AVPixelFormat(picture->format), picture->width, picture->height);
    gst_video_frame_unmap(&out);
    return GST_FLOW_OK;
}

// Streaming thread: pushes the picture libav gave (self->picture).
GstFlowReturn Output(TavimoH264Dec* self) {
    auto* decoder = GST_VIDEO_DECODER(self);
    AVFrame* picture = self->picture;
    GstVideoCodecFrame* frame = picture->pts == AV_NOPTS_VALUE
                                    ? nullptr
                                    : gst_video_decoder_get_frame(decoder, int(picture->pts));
    if (!frame)
        return GST_FLOW_OK;
    ReleaseLost(self, frame->system_frame_number);
    if (!Negotiate(self, TraitsOf(picture))) {
        gst_video_decoder_drop_frame(decoder, frame);
        return GST_PAD_IS_FLUSHING(GST_VIDEO_DECODER_SRC_PAD(self)) ? GST_FLOW_FLUSHING
                                                                    : GST_FLOW_NOT_NEGOTIATED;
    }
    GST_OBJECT_LOCK(self);
    const bool corruptShown = self->outputCorrupt;
    GST_OBJECT_UNLOCK(self);
    if (!corruptShown && (picture->flags & AV_FRAME_FLAG_CORRUPT))
        return gst_video_decoder_drop_frame(decoder, frame);
    const GstFlowReturn ret = FillOutput(self, frame, picture);
    if (ret != GST_FLOW_OK) {
        gst_video_decoder_drop_frame(decoder, frame);
        return ret;
    }
    GstBuffer* out = frame->output_buffer;
    if (picture->flags & AV_FRAME_FLAG_CORRUPT)
        GST_BUFFER_FLAG_SET(out, GST_BUFFER_FLAG_CORRUPTED);
    if (picture->interlaced_frame) {
        GST_BUFFER_FLAG_SET(out, GST_VIDEO_BUFFER_FLAG_INTERLACED);
        if (picture->top_field_first)
            GST_BUFFER_FLAG_SET(out, GST_VIDEO_BUFFER_FLAG_TFF);
        if (picture->repeat_pict)
            GST_BUFFER_FLAG_SET(out, GST_VIDEO_BUFFER_FLAG_RFF);
    }
    return gst_video_decoder_finish_frame(decoder, frame);
}

// Streaming thread: every picture libav has ready, pushed in order.
GstFlowReturn Receive(TavimoH264Dec* self) {
    GstFlowReturn ret = GST_FLOW_OK;
    while (ret == GST_FLOW_OK) {
        const int got = avcodec_receive_frame(self->context, self->picture);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            break;
        if (got < 0) {
            GST_VIDEO_DECODER_ERROR(self, 1, STREAM, DECODE, (nullptr), ("libav: %d", got), ret);
            break;
        }
        ret = Output(self);
        av_frame_unref(self->picture);
    }
    return ret;
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

GstFlowReturn HandleFrame(GstVideoDecoder* decoder, GstVideoCodecFrame* frame) {
    TavimoH264Dec* self = Self(decoder);
    if (!self->context) {
        gst_video_decoder_drop_frame(decoder, frame);
        return GST_FLOW_NOT_NEGOTIATED;
    }
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
    SetDirectPool(self, DirectPool{});
    GstBufferPool* pool = nullptr;
    guint size = 0, min = 0, max = 0;
    if (gst_query_get_n_allocation_pools(query) > 0)
        gst_query_parse_nth_allocation_pool(query, 0, &pool, &size, &min, &max);
    GstCaps* caps = nullptr;
    gst_query_parse_allocation(query, &caps, nullptr);
    DirectPool direct;
    GST_OBJECT_LOCK(self);
    const bool allowed = self->directRendering;
    GST_OBJECT_UNLOCK(self);
    if (allowed && self->context && pool && IsSwscaleInputPool(pool) && caps &&
        gst_video_info_from_caps(&direct.info, caps)) {
        direct.av = self->traits.format;
        int width = 0;
        LibavLayout(self->context, direct.av, direct.info.width, direct.info.height,
                    direct.linesize, &direct.rows, &width);
        GstVideoAlignment align;
        gst_video_alignment_reset(&align);
        align.padding_right = guint(width - direct.info.width);
        align.padding_bottom = guint(direct.rows - direct.info.height);
        GstVideoInfo padded = direct.info;
        bool same = gst_video_info_align(&padded, &align);
        for (guint i = 0; same && i < GST_VIDEO_INFO_N_PLANES(&padded); ++i)
            same = GST_VIDEO_INFO_PLANE_STRIDE(&padded, i) == direct.linesize[i];
        GstStructure* config = gst_buffer_pool_get_config(pool);
        GstAllocator* allocator = nullptr;
        GstAllocationParams params;
        gst_buffer_pool_config_get_allocator(config, &allocator, &params);
        params.align = std::max<gsize>(params.align, 63);  // libav's SIMD loads
        gst_buffer_pool_config_set_allocator(config, allocator, &params);
        gst_buffer_pool_config_add_option(config, GST_BUFFER_POOL_OPTION_VIDEO_META);
        gst_buffer_pool_config_add_option(config, GST_BUFFER_POOL_OPTION_VIDEO_ALIGNMENT);
        gst_buffer_pool_config_set_video_alignment(config, &align);
        gst_buffer_pool_config_set_params(config, caps, guint(padded.size), min, max);
        if (same && gst_buffer_pool_set_config(pool, config)) {
            gst_query_set_nth_allocation_pool(query, 0, pool, guint(padded.size), min, max);
            direct.pool = pool;
        } else if (!same) {
            gst_structure_free(config);
        }
    }
    GST_INFO_OBJECT(self, "pictures decoded %s",
                    direct.pool ? "into the converter's pool" : "apart and copied");
    if (direct.pool)
        SetDirectPool(self, direct);
    if (pool)
        gst_object_unref(pool);
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

enum Property {
    kLowres = 1,
    kSkipFrame,
    kDirectRendering,
    kDebugMv,
    kMaxThreads,
    kOutputCorrupt,
    kThreadType,
    kCompliance
};

// The same types as the libav decoder's, by names of our own (both may be
// loaded at once).
GType EnumType(const char* name, const GEnumValue* values) {
    GType type = g_type_from_name(name);
    return type ? type : g_enum_register_static(name, values);
}

GType LowresType() {
    static const GEnumValue values[] = {
        {0, "0", "full"}, {1, "1", "1/2-size"}, {2, "2", "1/4-size"}, {0, nullptr, nullptr}};
    return EnumType("TavimoH264DecLowres", values);
}

GType SkipFrameType() {
    static const GEnumValue values[] = {{0, "0", "Skip nothing"},
                                        {1, "1", "Skip B-frames"},
                                        {2, "2", "Skip IDCT/Dequantization"},
                                        {5, "5", "Skip everything"},
                                        {0, nullptr, nullptr}};
    return EnumType("TavimoH264DecSkipFrame", values);
}

GType ComplianceType() {
    static const GEnumValue values[] = {
        {G_MAXINT,
         "The decoder automatically decides. If the pipeline is live, it will use "
         "`normal` mode, and `strict` otherwise.",
         "auto"},
        {2,
         "VeryStrict: Strictly conform to an older more strict version of the standard or "
         "reference software",
         "very-strict"},
        {1,
         "Strict: Strictly conform to all the things in the standard no matter what consequences",
         "strict"},
        {0, "Normal", "normal"},
        {-1,
         "Unofficial: Allow unofficial extensions (decoder will not differentiate this with "
         "\"normal\")",
         "unofficial"},
        {-2,
         "Experimental: Allow nonstandardized experimental things (decoder will not "
         "differentiate this with \"normal\")",
         "experimental"},
        {0, nullptr, nullptr}};
    return EnumType("TavimoH264DecCompliance", values);
}

GType ThreadTypeType() {
    static const GFlagsValue values[] = {
        {0, "Auto", "auto"}, {1, "Frame", "frame"}, {2, "Slice", "slice"}, {0, nullptr, nullptr}};
    GType type = g_type_from_name("TavimoH264DecThreadType");
    return type ? type : g_flags_register_static("TavimoH264DecThreadType", values);
}

int* IntField(TavimoH264Dec* self, guint id) {
    switch (id) {
        case kLowres:
            return &self->lowres;
        case kSkipFrame:
            return &self->skipFrame;
        case kMaxThreads:
            return &self->maxThreads;
        case kThreadType:
            return &self->threadType;
        case kCompliance:
            return &self->compliance;
        default:
            return nullptr;
    }
}

bool* BoolField(TavimoH264Dec* self, guint id) {
    switch (id) {
        case kDirectRendering:
            return &self->directRendering;
        case kOutputCorrupt:
            return &self->outputCorrupt;
        case kDebugMv:
            return &self->debugMv;
        default:
            return nullptr;
    }
}

// Any thread; read when the codec opens (threads, compliance, lowres), per
// frame (skip-frame, output-corrupt) or per pool (direct-rendering).
void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* param) {
    TavimoH264Dec* self = Self(object);
    GST_OBJECT_LOCK(self);
    if (int* field = IntField(self, id))
        *field = G_VALUE_HOLDS_ENUM(value)    ? g_value_get_enum(value)
                 : G_VALUE_HOLDS_FLAGS(value) ? int(g_value_get_flags(value))
                                              : g_value_get_int(value);
    else if (bool* flag = BoolField(self, id))
        *flag = g_value_get_boolean(value);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
    GST_OBJECT_UNLOCK(self);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* param) {
    TavimoH264Dec* self = Self(object);
    GST_OBJECT_LOCK(self);
    if (int* field = IntField(self, id)) {
        if (G_VALUE_HOLDS_ENUM(value))
            g_value_set_enum(value, *field);
        else if (G_VALUE_HOLDS_FLAGS(value))
            g_value_set_flags(value, guint(*field));
        else
            g_value_set_int(value, *field);
    } else if (bool* flag = BoolField(self, id)) {
        g_value_set_boolean(value, *flag);
    } else {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, param);
    }
    GST_OBJECT_UNLOCK(self);
}

void InstallProperties(GObjectClass* klass) {
    klass->set_property = SetProperty;
    klass->get_property = GetProperty;
    const auto rw = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
    g_object_class_install_property(
        klass, kSkipFrame,
        g_param_spec_enum("skip-frame", "Skip frames",
                          "Which types of frames to skip during decoding", SkipFrameType(), 0, rw));
    g_object_class_install_property(
        klass, kLowres,
        g_param_spec_enum("lowres", "Low resolution", "At which resolution to decode images",
                          LowresType(), 0, rw));
    g_object_class_install_property(klass, kDirectRendering,
                                    g_param_spec_boolean("direct-rendering", "Direct Rendering",
                                                         "Enable direct rendering", TRUE, rw));
    g_object_class_install_property(
        klass, kDebugMv,
        g_param_spec_boolean("debug-mv", "Debug motion vectors",
                             "Whether to print motion vectors on top of the image "
                             "(deprecated, non-functional)",
                             FALSE, GParamFlags(rw | G_PARAM_DEPRECATED)));
    g_object_class_install_property(
        klass, kOutputCorrupt,
        g_param_spec_boolean("output-corrupt", "Output corrupt buffers",
                             "Whether libav should output frames even if corrupted", TRUE, rw));
    g_object_class_install_property(
        klass, kMaxThreads,
        g_param_spec_int("max-threads", "Maximum decode threads",
                         "Maximum number of worker threads to spawn. (0 = auto)", 0, G_MAXINT, 0,
                         rw));
    g_object_class_install_property(
        klass, kThreadType,
        g_param_spec_flags("thread-type", "Thread type", "Multithreading methods to use",
                           ThreadTypeType(), 0, rw));
    g_object_class_install_property(
        klass, kCompliance,
        g_param_spec_enum("std-compliance", "Compliance", "Standard compliance mode to use",
                          ComplianceType(), G_MAXINT, rw));
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

namespace avcodec_internal {
GType H264DecoderType() {
    return tavimo_h264_dec_get_type();
}
}  // namespace avcodec_internal

bool IsAvcodecVideoDecoder(GstElement* element) {
    return element != nullptr && G_TYPE_CHECK_INSTANCE_TYPE(element, tavimo_h264_dec_get_type());
}

}  // namespace tavimo
