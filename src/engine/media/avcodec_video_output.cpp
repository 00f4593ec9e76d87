// libav's pictures to GStreamer: their formats, the output caps (aspect,
// colorimetry, interlacing: the container's where it says them) and the
// pictures pushed in order, each as the input frame its number names.
#include <gst/video/gstvideodecoder.h>
#include <gst/video/video.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "engine/media/avcodec_video_internal.h"

namespace tavimo::h264dec {
namespace {

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

GstVideoFormat GstFormatOf(int av) {
    for (const PixelFormat& row : kPixelFormats)
        if (row.av == av)
            return row.gst;
    return GST_VIDEO_FORMAT_UNKNOWN;
}

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

}  // namespace

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

namespace {

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

}  // namespace

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

}  // namespace tavimo::h264dec
