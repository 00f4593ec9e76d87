// Direct rendering: libav decodes straight into the buffers of the colour
// converter's pool when downstream offers it (laid out with the padding and
// strides libav needs); into memory of our own pool otherwise, copied once
// into a buffer of the negotiated pool.
#include <gst/video/gstvideopool.h>
#include <gst/video/video.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
}

#include "engine/media/avcodec_video_internal.h"
#include "engine/media/swscale_convert.h"

namespace tavimo::h264dec {

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

namespace {

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

}  // namespace

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

namespace {

// The converter makes a new pool at every query. While the caps stay those
// of the pool pictures already go into, that one is kept, as it is (it takes
// any of the converter's buffers): no buffer is made anew and the new pool
// never allocates. False when it is not kept.
bool KeepDirectPool(TavimoH264Dec* self, GstQuery* query) {
    GstBufferPool* offered = nullptr;
    if (gst_query_get_n_allocation_pools(query) > 0)
        gst_query_parse_nth_allocation_pool(query, 0, &offered, nullptr, nullptr, nullptr);
    GstCaps* caps = nullptr;
    gst_query_parse_allocation(query, &caps, nullptr);
    const bool swscale = IsSwscaleInputPool(offered);
    if (offered)
        gst_object_unref(offered);
    GST_OBJECT_LOCK(self);
    const bool allowed = self->directRendering;
    GST_OBJECT_UNLOCK(self);
    GstVideoInfo info;
    if (!allowed || !swscale || !caps || !gst_video_info_from_caps(&info, caps))
        return false;
    g_mutex_lock(&self->lock);
    GstBufferPool* current = nullptr;
    if (self->direct.pool && gst_video_info_is_equal(&info, &self->direct.info))
        current = GST_BUFFER_POOL(gst_object_ref(self->direct.pool));
    g_mutex_unlock(&self->lock);
    if (!current)
        return false;
    GstStructure* config = gst_buffer_pool_get_config(current);
    guint size = 0, min = 0, max = 0;
    gst_buffer_pool_config_get_params(config, nullptr, &size, &min, &max);
    gst_structure_free(config);
    gst_query_set_nth_allocation_pool(query, 0, current, size, min, max);
    gst_object_unref(current);
    GST_INFO_OBJECT(self, "pictures decoded into the converter's pool, as before");
    return true;
}

}  // namespace

void UseConverterPool(TavimoH264Dec* self, GstQuery* query) {
    if (KeepDirectPool(self, query))
        return;
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
}

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

}  // namespace tavimo::h264dec
