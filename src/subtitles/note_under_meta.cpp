#include "subtitles/note_under_meta.h"

#include <cstring>

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

// Puts `rows` rows of `rowBytes` from `from` back at plane 0's row `first`
// of `frame`, as far as the frame reaches.
void PutBack(GstVideoFrame& frame, int first, int rowBytes, int rows, const uint8_t* from) {
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const int height = GST_VIDEO_FRAME_HEIGHT(&frame);
    auto* plane = static_cast<uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    if (first < 0 || rowBytes > stride)
        return;
    for (int i = 0; i < rows && first + i < height; ++i)
        std::memcpy(plane + size_t(first + i) * size_t(stride), from + size_t(i) * size_t(rowBytes),
                    size_t(rowBytes));
}

}  // namespace

void AttachNoteUnder(GstBuffer* buffer, const NoteUnder& under) {
    if (under.rows <= 0 || under.bytes.empty())
        return;
    Register();
    GstCustomMeta* meta = gst_buffer_add_custom_meta(buffer, kMetaName);
    if (!meta)
        return;
    GBytes* bytes = g_bytes_new(under.bytes.data(), under.bytes.size());
    gst_structure_set(gst_custom_meta_get_structure(meta), "first-row", G_TYPE_INT, under.firstRow,
                      "row-bytes", G_TYPE_INT, under.rowBytes, "rows", G_TYPE_INT, under.rows,
                      "bytes", G_TYPE_BYTES, bytes, nullptr);
    g_bytes_unref(bytes);
}

GstBuffer* WithoutNote(GstBuffer* buffer, const GstVideoInfo& info) {
    Register();
    GstCustomMeta* meta = gst_buffer_get_custom_meta(buffer, kMetaName);
    int first = 0, rowBytes = 0, rows = 0;
    GBytes* bytes = nullptr;
    if (!meta || !gst_structure_get(gst_custom_meta_get_structure(meta), "first-row", G_TYPE_INT,
                                    &first, "row-bytes", G_TYPE_INT, &rowBytes, "rows", G_TYPE_INT,
                                    &rows, "bytes", G_TYPE_BYTES, &bytes, nullptr))
        return gst_buffer_ref(buffer);
    GstBuffer* copy = gst_buffer_copy_deep(buffer);
    GstVideoFrame frame;
    if (copy && gst_video_frame_map(&frame, &info, copy, GST_MAP_WRITE)) {
        gsize size = 0;
        const auto* data = static_cast<const uint8_t*>(g_bytes_get_data(bytes, &size));
        if (rowBytes > 0 && rows > 0 && size >= size_t(rows) * size_t(rowBytes))
            PutBack(frame, first, rowBytes, rows, data);
        gst_video_frame_unmap(&frame);
    } else {
        gst_clear_buffer(&copy);
    }
    g_bytes_unref(bytes);
    return copy;
}

}  // namespace tavimo
