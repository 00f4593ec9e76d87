#include "subtitles/note_under_meta.h"

#include <cstring>
#include <vector>

#include "subtitles/subtitle_mixer.h"

namespace tavimo {
namespace {

constexpr const char kMetaName[] = "TavimoNoteUnder";

void Register() {
    static const bool registered = [] {
        static const gchar* tags[] = {nullptr};
        return gst_meta_register_custom(kMetaName, tags, nullptr, nullptr, nullptr) != nullptr;
    }();
    (void)registered;
}

// The rows of field `name` (GBytes) put back at `plane`'s row `first`.
void PutBackField(GstVideoFrame& frame, const GstStructure* s, const char* name, int plane,
                  int first, int rowBytes, int rows) {
    GBytes* bytes = nullptr;
    if (rowBytes <= 0 || rows <= 0 || !gst_structure_get(s, name, G_TYPE_BYTES, &bytes, nullptr))
        return;
    gsize size = 0;
    const auto* data = static_cast<const uint8_t*>(g_bytes_get_data(bytes, &size));
    if (size >= size_t(rows) * size_t(rowBytes))
        PutRowsBack(frame, plane, first, rowBytes, rows, data, rowBytes);
    g_bytes_unref(bytes);
}

void SetBytes(GstStructure* s, const char* name, const std::vector<uint8_t>& from) {
    GBytes* bytes = g_bytes_new(from.data(), from.size());
    gst_structure_set(s, name, G_TYPE_BYTES, bytes, nullptr);
    g_bytes_unref(bytes);
}

}  // namespace

void PutRowsBack(GstVideoFrame& frame, int plane, int first, int rowBytes, int rows,
                 const uint8_t* from, int fromStride) {
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
    const int height =
        plane == 0 ? GST_VIDEO_FRAME_HEIGHT(&frame) : GST_VIDEO_FRAME_COMP_HEIGHT(&frame, plane);
    auto* to = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
    if (first < 0 || rowBytes > stride || plane >= int(GST_VIDEO_FRAME_N_PLANES(&frame)))
        return;
    for (int i = 0; i < rows && first + i < height; ++i)
        std::memcpy(to + size_t(first + i) * size_t(stride), from + size_t(i) * size_t(fromStride),
                    size_t(rowBytes));
}

void AttachNoteUnder(GstBuffer* buffer, const NoteUnder& under) {
    if (under.rows <= 0 || under.bytes.empty())
        return;
    Register();
    GstCustomMeta* meta = gst_buffer_add_custom_meta(buffer, kMetaName);
    if (!meta)
        return;
    GstStructure* s = gst_custom_meta_get_structure(meta);
    gst_structure_set(s, "first-row", G_TYPE_INT, under.firstRow, "row-bytes", G_TYPE_INT,
                      under.rowBytes, "rows", G_TYPE_INT, under.rows, "chroma-first-row",
                      G_TYPE_INT, under.chromaFirstRow, "chroma-row-bytes", G_TYPE_INT,
                      under.chromaRowBytes, "chroma-rows", G_TYPE_INT, under.chromaRows, nullptr);
    SetBytes(s, "bytes", under.bytes);
    SetBytes(s, "chroma-1", under.chroma[0]);
    SetBytes(s, "chroma-2", under.chroma[1]);
}

GstBuffer* WithoutNote(GstBuffer* buffer, const GstVideoInfo& info) {
    Register();
    GstCustomMeta* meta = gst_buffer_get_custom_meta(buffer, kMetaName);
    const GstStructure* s = meta ? gst_custom_meta_get_structure(meta) : nullptr;
    int first = 0, rowBytes = 0, rows = 0, chromaFirst = 0, chromaRowBytes = 0, chromaRows = 0;
    if (!s || !gst_structure_get(s, "first-row", G_TYPE_INT, &first, "row-bytes", G_TYPE_INT,
                                 &rowBytes, "rows", G_TYPE_INT, &rows, "chroma-first-row",
                                 G_TYPE_INT, &chromaFirst, "chroma-row-bytes", G_TYPE_INT,
                                 &chromaRowBytes, "chroma-rows", G_TYPE_INT, &chromaRows, nullptr))
        return gst_buffer_ref(buffer);
    GstBuffer* copy = gst_buffer_copy_deep(buffer);
    GstVideoFrame frame;
    if (copy && gst_video_frame_map(&frame, &info, copy, GST_MAP_WRITE)) {
        PutBackField(frame, s, "bytes", 0, first, rowBytes, rows);
        PutBackField(frame, s, "chroma-1", 1, chromaFirst, chromaRowBytes, chromaRows);
        PutBackField(frame, s, "chroma-2", 2, chromaFirst, chromaRowBytes, chromaRows);
        gst_video_frame_unmap(&frame);
    } else {
        gst_clear_buffer(&copy);
    }
    return copy;
}

}  // namespace tavimo
