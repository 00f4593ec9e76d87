// The input pool of the display's colour converter on libswscale, which lets
// a libav decoder render straight into the converter's buffers.
#include <gst/base/gstbasetransform.h>
#include <gst/video/gstvideopool.h>
#include <gst/video/video.h>
#include <malloc.h>

#include "engine/media/swscale_convert.h"
#include "engine/media/swscale_formats.h"

namespace tavimo {
namespace swscale_internal {
namespace {

// The pool the converter offers upstream for its input. A libav decoder
// that renders directly maps the picture it decodes into such a buffer for
// writing and keeps it mapped for as long as libav keeps the picture as a
// reference; memory mapped for writing cannot be shared, so GstVideoDecoder,
// which needs a buffer of its own to push, copied every such picture whole
// (3 MB a 1080p frame). Our buffers map a plane with a read lock only while
// the buffer is still the pool's and nothing else holds its memory: the
// decoder then writes into memory no one else can see yet, and the buffer
// it pushes shares that memory instead of copying it. Whoever maps a
// picture shared that way for writing (the subtitle mixer) gets a copy of
// it, as GStreamer gives any writer of shared memory, so libav's reference
// pictures stay as decoded.
//
// A buffer comes back to the pool when libav lets go of its picture, while
// the buffer pushed with the same memory is still on its way (the decoder
// drops its own reference to that one just after): the base class would
// free it then and allocate another for the next picture. Such a buffer
// waits here until its memory is the pool's alone again.
//
// The pool keeps at most kSpareInputBuffers buffers unused and frees the
// others as they come back. The base class would keep every buffer it ever
// made: the most a decoder needed at once, at the start (a few frames more
// while it fills its references and the sink prerolls) or when a frame came
// late once, stayed allocated to the end (3 MB each at 1080p). In steady
// playback a buffer comes back about as often as one is taken.
constexpr guint kSpareInputBuffers = 2;

struct TavimoInputPool {
    GstVideoBufferPool parent;
    GMutex lock;
    GQueue waiting;  // of GstBuffer, each holding memory a pushed buffer shares
    GQueue spare;    // of GstBuffer, ready for the next picture
    bool bounded;    // configured with a most: the base class keeps them all
};

struct TavimoInputPoolClass {
    GstVideoBufferPoolClass parent_class;
};

GType tavimo_input_pool_get_type();
G_DEFINE_TYPE(TavimoInputPool, tavimo_input_pool, GST_TYPE_VIDEO_BUFFER_POOL)

gboolean MapInputPlane(GstVideoMeta* meta, guint plane, GstMapInfo* info, gpointer* data,
                       gint* stride, GstMapFlags flags) {
    GstBuffer* buffer = meta->buffer;
    guint index = 0, length = 0;
    gsize skip = 0;
    if (!gst_buffer_find_memory(buffer, meta->offset[plane], 1, &index, &length, &skip))
        return FALSE;
    const bool pools = buffer->pool != nullptr &&
                       G_TYPE_CHECK_INSTANCE_TYPE(buffer->pool, tavimo_input_pool_get_type());
    if ((flags & GST_MAP_WRITE) && pools &&
        gst_buffer_is_memory_range_writable(buffer, index, int(length)))
        flags = GstMapFlags(flags & ~GST_MAP_WRITE);
    if (!gst_buffer_map_range(buffer, index, int(length), info, flags))
        return FALSE;
    *stride = meta->stride[plane];
    *data = static_cast<guint8*>(info->data) + skip;
    return TRUE;
}

gboolean UnmapInputPlane(GstVideoMeta* meta, guint, GstMapInfo* info) {
    gst_buffer_unmap(meta->buffer, info);
    return TRUE;
}

GstFlowReturn AllocInputBuffer(GstBufferPool* pool, GstBuffer** buffer,
                               GstBufferPoolAcquireParams* params) {
    const GstFlowReturn ret =
        GST_BUFFER_POOL_CLASS(tavimo_input_pool_parent_class)->alloc_buffer(pool, buffer, params);
    if (ret != GST_FLOW_OK)
        return ret;
    if (GstVideoMeta* meta = gst_buffer_get_video_meta(*buffer)) {
        meta->map = MapInputPlane;
        meta->unmap = UnmapInputPlane;
    }
    return ret;
}

TavimoInputPool* InputPool(GstBufferPool* pool) {
    return reinterpret_cast<TavimoInputPool*>(pool);
}

// A buffer whose memory is the pool's alone: kept among the spare ones, or
// put in `back` for the base class, tagged to be freed when there are
// enough spare (tagged memory is what the base class discards). Called with
// the lock held.
void KeepOrFree(GstBufferPool* pool, GstBuffer* buffer, GQueue* back) {
    GQueue* spare = &InputPool(pool)->spare;
    if (InputPool(pool)->bounded) {
        g_queue_push_tail(back, buffer);  // kept by the base class, whose waits see it
        return;
    }
    if (spare->length < kSpareInputBuffers) {
        g_queue_push_tail(spare, buffer);
        return;
    }
    GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_TAG_MEMORY);
    g_queue_push_tail(back, buffer);
}

// The buffers of `back` to the base class, which frees those tagged.
// A frame is larger than what the allocator gives back to the system by
// itself once frames have been freed before (its threshold rises with
// them), so the memory of those freed is handed back here. Called without
// the lock.
void GiveBack(GstBufferPool* pool, GQueue* back) {
    bool tagged = false;
    while (auto* buffer = static_cast<GstBuffer*>(g_queue_pop_head(back))) {
        tagged = tagged || GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_TAG_MEMORY);
        GST_BUFFER_POOL_CLASS(tavimo_input_pool_parent_class)->release_buffer(pool, buffer);
    }
    if (tagged)
        malloc_trim(0);
}

// Any thread.
void ReleaseInputBuffer(GstBufferPool* pool, GstBuffer* buffer) {
    GQueue back = G_QUEUE_INIT;
    g_mutex_lock(&InputPool(pool)->lock);
    if (gst_buffer_is_all_memory_writable(buffer))
        KeepOrFree(pool, buffer, &back);
    else
        g_queue_push_tail(&InputPool(pool)->waiting, buffer);
    g_mutex_unlock(&InputPool(pool)->lock);
    GiveBack(pool, &back);
}

// The waiting buffers whose memory is the pool's alone again are kept or
// freed (KeepOrFree); with `all`, every buffer the pool holds goes back to
// the base class, which frees those still shared as it stops.
void ReturnWaiting(GstBufferPool* pool, bool all) {
    GQueue back = G_QUEUE_INIT;
    g_mutex_lock(&InputPool(pool)->lock);
    GQueue* waiting = &InputPool(pool)->waiting;
    for (GList* link = waiting->head; link != nullptr;) {
        GList* next = link->next;
        auto* buffer = GST_BUFFER(link->data);
        if (all || gst_buffer_is_all_memory_writable(buffer)) {
            g_queue_delete_link(waiting, link);
            if (all)
                g_queue_push_tail(&back, buffer);
            else
                KeepOrFree(pool, buffer, &back);
        }
        link = next;
    }
    while (all && !g_queue_is_empty(&InputPool(pool)->spare))
        g_queue_push_tail(&back, g_queue_pop_head(&InputPool(pool)->spare));
    g_mutex_unlock(&InputPool(pool)->lock);
    GiveBack(pool, &back);
}

// A spare buffer, or else a new one from the base class (which keeps none).
GstFlowReturn AcquireInputBuffer(GstBufferPool* pool, GstBuffer** buffer,
                                 GstBufferPoolAcquireParams* params) {
    ReturnWaiting(pool, false);
    if (GST_BUFFER_POOL_IS_FLUSHING(pool))
        return GST_FLOW_FLUSHING;
    g_mutex_lock(&InputPool(pool)->lock);
    *buffer = static_cast<GstBuffer*>(g_queue_pop_head(&InputPool(pool)->spare));
    g_mutex_unlock(&InputPool(pool)->lock);
    if (*buffer)
        return GST_FLOW_OK;
    return GST_BUFFER_POOL_CLASS(tavimo_input_pool_parent_class)
        ->acquire_buffer(pool, buffer, params);
}

// A pool configured with a most number of buffers waits in the base class
// for one to come back, so it keeps none of its own.
gboolean SetInputConfig(GstBufferPool* pool, GstStructure* config) {
    guint most = 0;
    gst_buffer_pool_config_get_params(config, nullptr, nullptr, nullptr, &most);
    g_mutex_lock(&InputPool(pool)->lock);
    InputPool(pool)->bounded = most != 0;
    g_mutex_unlock(&InputPool(pool)->lock);
    return GST_BUFFER_POOL_CLASS(tavimo_input_pool_parent_class)->set_config(pool, config);
}

gboolean StopInputPool(GstBufferPool* pool) {
    ReturnWaiting(pool, true);
    return GST_BUFFER_POOL_CLASS(tavimo_input_pool_parent_class)->stop(pool);
}

void FinalizeInputPool(GObject* object) {
    TavimoInputPool* self = InputPool(GST_BUFFER_POOL(object));
    for (GQueue* held : {&self->waiting, &self->spare})
        while (auto* buffer = static_cast<GstBuffer*>(g_queue_pop_head(held)))
            gst_buffer_unref(buffer);
    g_mutex_clear(&self->lock);
    G_OBJECT_CLASS(tavimo_input_pool_parent_class)->finalize(object);
}

void tavimo_input_pool_class_init(TavimoInputPoolClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = FinalizeInputPool;
    auto* pool_class = GST_BUFFER_POOL_CLASS(klass);
    pool_class->alloc_buffer = AllocInputBuffer;
    pool_class->acquire_buffer = AcquireInputBuffer;
    pool_class->release_buffer = ReleaseInputBuffer;
    pool_class->stop = StopInputPool;
    pool_class->set_config = SetInputConfig;
}

void tavimo_input_pool_init(TavimoInputPool* self) {
    g_mutex_init(&self->lock);
    g_queue_init(&self->waiting);
    g_queue_init(&self->spare);
    self->bounded = false;
}

}  // namespace

gboolean ProposeInputPool(GstBaseTransform* trans, GstQuery* decide, GstQuery* query) {
    auto* base = GST_BASE_TRANSFORM_CLASS(g_type_class_peek(GST_TYPE_BASE_TRANSFORM));
    if (!base->propose_allocation(trans, decide, query))
        return FALSE;
    if (decide == nullptr)
        return TRUE;  // passthrough: downstream answered
    GstCaps* caps = nullptr;
    gst_query_parse_allocation(query, &caps, nullptr);
    GstVideoInfo info;
    if (caps == nullptr || !gst_video_info_from_caps(&info, caps))
        return FALSE;
    if (gst_query_get_n_allocation_pools(query) == 0) {
        GstAllocator* allocator = nullptr;
        GstAllocationParams params;
        gst_allocation_params_init(&params);
        params.align = 15;
        if (gst_query_get_n_allocation_params(query) > 0)
            gst_query_parse_nth_allocation_param(query, 0, &allocator, &params);
        else
            gst_query_add_allocation_param(query, nullptr, &params);
        GstBufferPool* pool = GST_BUFFER_POOL(
            gst_object_ref_sink(g_object_new(tavimo_input_pool_get_type(), nullptr)));
        GstStructure* config = gst_buffer_pool_get_config(pool);
        gst_buffer_pool_config_set_params(config, caps, guint(info.size), 0, 0);
        gst_buffer_pool_config_set_allocator(config, allocator, &params);
        if (allocator)
            gst_object_unref(allocator);
        const bool configured = gst_buffer_pool_set_config(pool, config);
        if (configured)
            gst_query_add_allocation_pool(query, pool, guint(info.size), 0, 0);
        gst_object_unref(pool);
        if (!configured)
            return FALSE;
    }
    gst_query_add_allocation_meta(query, GST_VIDEO_META_API_TYPE, nullptr);
    return TRUE;
}

}  // namespace swscale_internal

bool IsSwscaleInputPool(GstBufferPool* pool) {
    return pool != nullptr &&
           G_TYPE_CHECK_INSTANCE_TYPE(pool, swscale_internal::tavimo_input_pool_get_type());
}

}  // namespace tavimo
