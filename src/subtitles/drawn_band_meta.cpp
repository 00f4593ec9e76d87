#include "subtitles/drawn_band_meta.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "subtitles/note_under_meta.h"

namespace tavimo {
namespace {

constexpr const char kQueryName[] = "tavimo-drawn-band";

gboolean Init(GstMeta* meta, gpointer, GstBuffer*) {
    auto* band = reinterpret_cast<DrawnBandMeta*>(meta);
    band->band = nullptr;
    band->strips = 0;
    band->planes = 0;
    for (guint i = 0; i < kMostStrips; ++i) {
        band->first[i] = band->rows[i] = 0;
        std::fill(std::begin(band->offset[i]), std::end(band->offset[i]), gsize(0));
    }
    std::fill(std::begin(band->stride), std::end(band->stride), 0);
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
    to->strips = from->strips;
    to->planes = from->planes;
    for (guint i = 0; i < kMostStrips; ++i) {
        to->first[i] = from->first[i];
        to->rows[i] = from->rows[i];
        std::copy(std::begin(from->offset[i]), std::end(from->offset[i]), to->offset[i]);
    }
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

guint BandRows(const GstVideoInfo& info, const int* first, const int* last, guint count,
               int* bandFirst, int* bandRows) {
    int step = 1;
    for (guint c = 0; c < GST_VIDEO_INFO_N_COMPONENTS(&info); ++c)
        step = std::max(step, 1 << GST_VIDEO_FORMAT_INFO_H_SUB(info.finfo, c));
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    guint strips = 0;
    for (guint i = 0; i < count; ++i) {
        const int from = std::max(first[i], 0) / step * step;
        const int to = std::min(last[i], height - 1);
        if (to < from)
            continue;
        const int end = std::min(height, (to + step) / step * step);
        if (strips > 0 &&
            (from <= bandFirst[strips - 1] + bandRows[strips - 1] || strips == kMostStrips)) {
            bandRows[strips - 1] =
                std::max(end, bandFirst[strips - 1] + bandRows[strips - 1]) - bandFirst[strips - 1];
            continue;
        }
        bandFirst[strips] = from;
        bandRows[strips] = end - from;
        ++strips;
    }
    return strips;
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

DrawnBandMeta* AttachDrawnBand(GstBuffer* target, const GstVideoFrame& frame, guint strips,
                               const int* first, const int* rows) {
    const GstVideoInfo& info = frame.info;
    const guint planes = GST_VIDEO_INFO_N_PLANES(&info);
    strips = std::min(strips, kMostStrips);
    gsize offset[kMostStrips][GST_VIDEO_MAX_PLANES] = {};
    gsize size = 0;
    for (guint i = 0; i < strips; ++i)
        for (guint p = 0; p < planes; ++p) {
            int planeFirst = 0, planeRows = 0;
            PlaneRowsOf(info, p, first[i], rows[i], &planeFirst, &planeRows);
            offset[i][p] = size;
            size += gsize(GST_VIDEO_INFO_PLANE_STRIDE(&info, p)) * gsize(planeRows);
        }
    // Room for the whole groups of pixels libswscale reads past a row.
    GstBuffer* band = gst_buffer_new_allocate(nullptr, size + 64, nullptr);
    GstMapInfo map;
    if (!band || !gst_buffer_map(band, &map, GST_MAP_WRITE)) {
        gst_clear_buffer(&band);
        return nullptr;
    }
    for (guint i = 0; i < strips; ++i)
        for (guint p = 0; p < planes; ++p) {
            int planeFirst = 0, planeRows = 0;
            PlaneRowsOf(info, p, first[i], rows[i], &planeFirst, &planeRows);
            const gsize stride = gsize(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p));
            const auto* from = static_cast<const guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p));
            std::memcpy(map.data + offset[i][p], from + stride * gsize(planeFirst),
                        stride * gsize(planeRows));
        }
    gst_buffer_unmap(band, &map);
    auto* meta = reinterpret_cast<DrawnBandMeta*>(gst_buffer_add_meta(target, MetaInfo(), nullptr));
    if (!meta) {
        gst_buffer_unref(band);
        return nullptr;
    }
    meta->band = band;
    meta->strips = strips;
    meta->planes = planes;
    for (guint i = 0; i < strips; ++i) {
        meta->first[i] = first[i];
        meta->rows[i] = rows[i];
        std::copy(std::begin(offset[i]), std::end(offset[i]), meta->offset[i]);
    }
    for (guint p = 0; p < planes; ++p)
        meta->stride[p] = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p);
    return meta;
}

const DrawnBandMeta* DrawnBandOf(GstBuffer* buffer) {
    return reinterpret_cast<const DrawnBandMeta*>(
        gst_buffer_get_meta(buffer, DrawnBandMetaApiType()));
}

void BandPlanes(const DrawnBandMeta& meta, guint strip, const GstVideoInfo& info,
                const GstMapInfo& map, guint8* data[GST_VIDEO_MAX_PLANES]) {
    for (guint p = 0; p < GST_VIDEO_MAX_PLANES; ++p) {
        data[p] = nullptr;
        if (p >= meta.planes || strip >= meta.strips)
            continue;
        int planeFirst = 0, planeRows = 0;
        PlaneRowsOf(info, p, meta.first[strip], meta.rows[strip], &planeFirst, &planeRows);
        // Row planeFirst is the strip's first: the frame's origin lies
        // before the strip's memory, so it is reckoned as an address, never
        // read.
        const uintptr_t at = reinterpret_cast<uintptr_t>(map.data + meta.offset[strip][p]) -
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
        for (guint s = 0; s < meta->strips; ++s)
            for (guint p = 0; p < meta->planes; ++p) {
                int planeFirst = 0, planeRows = 0;
                PlaneRowsOf(info, p, meta->first[s], meta->rows[s], &planeFirst, &planeRows);
                const int bytes =
                    std::min(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p), meta->stride[p]);
                PutRowsBack(frame, int(p), planeFirst, bytes, planeRows,
                            map.data + meta->offset[s][p], meta->stride[p]);
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
