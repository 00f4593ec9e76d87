#include "subtitles/drawn_band_meta.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tavimo {
namespace {

constexpr const char kQueryName[] = "tavimo-drawn-band";

gboolean Init(GstMeta* meta, gpointer, GstBuffer*) {
    auto* band = reinterpret_cast<DrawnBandMeta*>(meta);
    band->band = nullptr;
    band->first = band->rows = 0;
    band->planes = 0;
    for (guint p = 0; p < GST_VIDEO_MAX_PLANES; ++p) {
        band->offset[p] = 0;
        band->stride[p] = 0;
    }
    return TRUE;
}

void Free(GstMeta* meta, GstBuffer*) {
    gst_clear_buffer(&reinterpret_cast<DrawnBandMeta*>(meta)->band);
}

// A copy of the frame's buffer (a writable one made from a shared frame)
// keeps the band; a conversion that changes the picture does not (tags).
gboolean Transform(GstBuffer* dest, GstMeta* meta, GstBuffer*, GQuark type, gpointer) {
    if (!GST_META_TRANSFORM_IS_COPY(type))
        return FALSE;
    const auto* from = reinterpret_cast<DrawnBandMeta*>(meta);
    auto* to = reinterpret_cast<DrawnBandMeta*>(gst_buffer_add_meta(dest, meta->info, nullptr));
    if (!to)
        return FALSE;
    to->band = gst_buffer_ref(from->band);
    to->first = from->first;
    to->rows = from->rows;
    to->planes = from->planes;
    std::copy(std::begin(from->offset), std::end(from->offset), to->offset);
    std::copy(std::begin(from->stride), std::end(from->stride), to->stride);
    return TRUE;
}

const GstMetaInfo* MetaInfo() {
    static const GstMetaInfo* info =
        gst_meta_register(DrawnBandMetaApiType(), "TavimoDrawnBandMeta", sizeof(DrawnBandMeta),
                          Init, Free, Transform);
    return info;
}

}  // namespace

GType DrawnBandMetaApiType() {
    static const GType type = [] {
        static const gchar* tags[] = {GST_META_TAG_VIDEO_STR, GST_META_TAG_VIDEO_SIZE_STR, nullptr};
        return gst_meta_api_type_register("TavimoDrawnBandMetaAPI", tags);
    }();
    return type;
}

bool BandRows(const GstVideoInfo& info, int first, int last, int* bandFirst, int* bandRows) {
    int step = 1;
    for (guint c = 0; c < GST_VIDEO_INFO_N_COMPONENTS(&info); ++c)
        step = std::max(step, 1 << GST_VIDEO_FORMAT_INFO_H_SUB(info.finfo, c));
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    first = std::max(first, 0) / step * step;
    last = std::min(last, height - 1);
    if (last < first)
        return false;
    const int end = std::min(height, (last + step) / step * step);
    *bandFirst = first;
    *bandRows = end - first;
    return true;
}

void PlaneRowsOf(const GstVideoInfo& info, guint plane, int first, int rows, int* planeFirst,
                 int* planeRows) {
    // The plane's first component tells its subsampling.
    gint components[GST_VIDEO_MAX_COMPONENTS];
    gst_video_format_info_component(info.finfo, plane, components);
    const guint sub =
        components[0] >= 0 ? GST_VIDEO_FORMAT_INFO_H_SUB(info.finfo, components[0]) : 0;
    *planeFirst = first >> sub;
    *planeRows = ((first + rows + (1 << sub) - 1) >> sub) - *planeFirst;
}

DrawnBandMeta* AttachDrawnBand(GstBuffer* target, const GstVideoFrame& frame, int first, int rows) {
    const GstVideoInfo& info = frame.info;
    const guint planes = GST_VIDEO_INFO_N_PLANES(&info);
    gsize offset[GST_VIDEO_MAX_PLANES] = {};
    gsize size = 0;
    for (guint p = 0; p < planes; ++p) {
        int planeFirst = 0, planeRows = 0;
        PlaneRowsOf(info, p, first, rows, &planeFirst, &planeRows);
        offset[p] = size;
        size += gsize(GST_VIDEO_INFO_PLANE_STRIDE(&info, p)) * gsize(planeRows);
    }
    // Room for the whole groups of pixels libswscale reads past a row.
    GstBuffer* band = gst_buffer_new_allocate(nullptr, size + 64, nullptr);
    GstMapInfo map;
    if (!band || !gst_buffer_map(band, &map, GST_MAP_WRITE)) {
        gst_clear_buffer(&band);
        return nullptr;
    }
    for (guint p = 0; p < planes; ++p) {
        int planeFirst = 0, planeRows = 0;
        PlaneRowsOf(info, p, first, rows, &planeFirst, &planeRows);
        const gsize stride = gsize(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p));
        const auto* from = static_cast<const guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p));
        std::memcpy(map.data + offset[p], from + stride * gsize(planeFirst),
                    stride * gsize(planeRows));
    }
    gst_buffer_unmap(band, &map);
    auto* meta = reinterpret_cast<DrawnBandMeta*>(gst_buffer_add_meta(target, MetaInfo(), nullptr));
    if (!meta) {
        gst_buffer_unref(band);
        return nullptr;
    }
    meta->band = band;
    meta->first = first;
    meta->rows = rows;
    meta->planes = planes;
    for (guint p = 0; p < planes; ++p) {
        meta->offset[p] = offset[p];
        meta->stride[p] = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p);
    }
    return meta;
}

const DrawnBandMeta* DrawnBandOf(GstBuffer* buffer) {
    return reinterpret_cast<const DrawnBandMeta*>(
        gst_buffer_get_meta(buffer, DrawnBandMetaApiType()));
}

void BandPlanes(const DrawnBandMeta& meta, const GstVideoInfo& info, const GstMapInfo& map,
                guint8* data[GST_VIDEO_MAX_PLANES]) {
    for (guint p = 0; p < GST_VIDEO_MAX_PLANES; ++p) {
        data[p] = nullptr;
        if (p >= meta.planes)
            continue;
        int planeFirst = 0, planeRows = 0;
        PlaneRowsOf(info, p, meta.first, meta.rows, &planeFirst, &planeRows);
        // Row planeFirst is the band's first: the frame's origin lies before
        // the band's memory, so it is reckoned as an address, never read.
        const uintptr_t at = reinterpret_cast<uintptr_t>(map.data + meta.offset[p]) -
                             uintptr_t(gsize(meta.stride[p]) * gsize(planeFirst));
        data[p] = reinterpret_cast<guint8*>(at);
    }
}

GstBuffer* WithDrawnBand(GstBuffer* buffer, const GstVideoInfo& info) {
    const DrawnBandMeta* meta = DrawnBandOf(buffer);
    if (!meta || meta->planes != GST_VIDEO_INFO_N_PLANES(&info))
        return gst_buffer_ref(buffer);
    GstBuffer* copy = gst_buffer_copy_deep(buffer);
    GstVideoFrame frame;
    GstMapInfo map;
    if (!copy || !gst_video_frame_map(&frame, &info, copy, GST_MAP_WRITE)) {
        gst_clear_buffer(&copy);
        return nullptr;
    }
    if (gst_buffer_map(meta->band, &map, GST_MAP_READ)) {
        for (guint p = 0; p < meta->planes; ++p) {
            int planeFirst = 0, planeRows = 0;
            PlaneRowsOf(info, p, meta->first, meta->rows, &planeFirst, &planeRows);
            const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p);
            const int bytes = std::min(stride, meta->stride[p]);
            auto* to = static_cast<guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p));
            for (int i = 0; i < planeRows; ++i)
                std::memcpy(to + gsize(stride) * gsize(planeFirst + i),
                            map.data + meta->offset[p] + gsize(meta->stride[p]) * gsize(i),
                            gsize(bytes));
        }
        gst_buffer_unmap(meta->band, &map);
    }
    gst_video_frame_unmap(&frame);
    return copy;
}

GstQuery* NewDrawnBandQuery() {
    return gst_query_new_custom(GST_QUERY_CUSTOM, gst_structure_new_empty(kQueryName));
}

bool IsDrawnBandQuery(GstQuery* query) {
    const GstStructure* s =
        GST_QUERY_TYPE(query) == GST_QUERY_CUSTOM ? gst_query_get_structure(query) : nullptr;
    return s && gst_structure_has_name(s, kQueryName);
}

void AnswerDrawnBandQuery(GstQuery* query, bool takes) {
    gst_structure_set(gst_query_writable_structure(query), "takes", G_TYPE_BOOLEAN,
                      takes ? TRUE : FALSE, nullptr);
}

bool DrawnBandTaken(GstQuery* query) {
    gboolean takes = FALSE;
    return gst_structure_get_boolean(gst_query_get_structure(query), "takes", &takes) && takes;
}

}  // namespace tavimo
