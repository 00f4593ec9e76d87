// Caps negotiation of the display's colour converter on libswscale: which
// formats it offers, and which size and format it settles on.
#include <gst/base/gstbasetransform.h>
#include <gst/video/video.h>

#include <initializer_list>

extern "C" {
#include <libswscale/swscale.h>
}

#include "engine/media/swscale_convert.h"
#include "engine/media/swscale_formats.h"

namespace tavimo::swscale_internal {
namespace {

// Of `othercaps`, those at the input's own size and pixel shape; null when
// the other side takes none of them.
GstCaps* AtOwnSize(const GstStructure* in, GstCaps* othercaps) {
    GstStructure* own = gst_structure_new_empty("video/x-raw");
    for (const char* field : {"width", "height", "pixel-aspect-ratio"})
        if (gst_structure_has_field(in, field))
            gst_structure_set_value(own, field, gst_structure_get_value(in, field));
    GstCaps* size = gst_caps_new_full(own, nullptr);
    GstCaps* kept = gst_caps_intersect_full(othercaps, size, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(size);
    if (!gst_caps_is_empty(kept))
        return kept;
    gst_caps_unref(kept);
    return nullptr;
}

}  // namespace

GstCaps* TemplateCaps(bool input) {
    GValue list = G_VALUE_INIT, item = G_VALUE_INIT;
    g_value_init(&list, GST_TYPE_LIST);
    g_value_init(&item, G_TYPE_STRING);
    for (const FormatRow& row : kFormats) {
        const bool usable = input ? row.in && sws_isSupportedInput(row.av)
                                  : row.out && sws_isSupportedOutput(row.av);
        if (!usable)
            continue;
        g_value_set_string(&item, gst_video_format_to_string(row.gst));
        gst_value_list_append_value(&list, &item);
    }
    GstCaps* caps = gst_caps_from_string(
        "video/x-raw, width=(int)[1, 32767], height=(int)[1, 32767], "
        "framerate=(fraction)[0/1, 2147483647/1]");
    gst_caps_set_value(caps, "format", &list);
    g_value_unset(&item);
    g_value_unset(&list);
    return caps;
}

// Any thread: the caps on the other side of `caps` — the same caps first (so
// that a frame the sink takes as it is passes untouched), then any format of
// the other side at any size and pixel shape.
GstCaps* TransformCaps(GstBaseTransform* trans, GstPadDirection direction, GstCaps* caps,
                       GstCaps* filter) {
    GstCaps* open = gst_caps_new_empty();
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        GstCaps* one = gst_caps_copy_nth(caps, i);
        GstStructure* s = gst_caps_get_structure(one, 0);
        gst_structure_set(s, "width", GST_TYPE_INT_RANGE, 1, G_MAXINT, "height", GST_TYPE_INT_RANGE,
                          1, G_MAXINT, nullptr);
        if (gst_structure_has_field(s, "pixel-aspect-ratio"))
            gst_structure_set(s, "pixel-aspect-ratio", GST_TYPE_FRACTION_RANGE, 1, G_MAXINT,
                              G_MAXINT, 1, nullptr);
        gst_structure_remove_fields(s, "format", "colorimetry", "chroma-site", nullptr);
        open = gst_caps_merge(open, one);
    }
    GstPad* other = direction == GST_PAD_SINK ? trans->srcpad : trans->sinkpad;
    GstCaps* templ = gst_pad_get_pad_template_caps(other);
    GstCaps* converted = gst_caps_intersect_full(open, templ, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(open);
    gst_caps_unref(templ);
    GstCaps* result = gst_caps_merge(gst_caps_ref(caps), converted);
    if (filter) {
        GstCaps* kept = gst_caps_intersect_full(filter, result, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(result);
        result = kept;
    }
    return result;
}

// Streaming thread: of the caps left open, those nearest the input: its own
// size wherever the other side takes it (a sink may list its window's size
// first: 100x30 before the view is laid out), its format where taken, and
// for YUV out its colorimetry (the depth step changes nothing else).
GstCaps* FixateCaps(GstBaseTransform*, GstPadDirection, GstCaps* caps, GstCaps* othercaps) {
    const GstStructure* in = gst_caps_get_structure(caps, 0);
    if (GstCaps* kept = AtOwnSize(in, othercaps)) {
        gst_caps_unref(othercaps);
        othercaps = kept;
    }
    othercaps = gst_caps_make_writable(gst_caps_truncate(othercaps));
    GstStructure* out = gst_caps_get_structure(othercaps, 0);
    const char* format = gst_structure_get_string(in, "format");
    if (format)
        gst_structure_fixate_field_string(out, "format", format);
    int width = 0, height = 0, parN = 1, parD = 1;
    if (gst_structure_get_int(in, "width", &width))
        gst_structure_fixate_field_nearest_int(out, "width", width);
    if (gst_structure_get_int(in, "height", &height))
        gst_structure_fixate_field_nearest_int(out, "height", height);
    if (gst_structure_get_fraction(in, "pixel-aspect-ratio", &parN, &parD) &&
        gst_structure_has_field(out, "pixel-aspect-ratio"))
        gst_structure_fixate_field_nearest_fraction(out, "pixel-aspect-ratio", parN, parD);
    othercaps = gst_caps_fixate(othercaps);
    out = gst_caps_get_structure(othercaps, 0);
    const char* outFormat = gst_structure_get_string(out, "format");
    const GstVideoFormatInfo* info =
        gst_video_format_get_info(gst_video_format_from_string(outFormat ? outFormat : ""));
    if (info && GST_VIDEO_FORMAT_INFO_IS_YUV(info)) {
        for (const char* field : {"colorimetry", "chroma-site"})
            if (gst_structure_has_field(in, field) && !gst_structure_has_field(out, field))
                gst_structure_set_value(out, field, gst_structure_get_value(in, field));
    }
    return othercaps;
}

}  // namespace tavimo::swscale_internal

namespace tavimo {

bool SwscaleConverts(GstVideoFormat in, GstVideoFormat out) {
    const swscale_internal::FormatRow* from = swscale_internal::RowOf(in);
    const swscale_internal::FormatRow* to = swscale_internal::RowOf(out);
    return from && from->in && sws_isSupportedInput(from->av) && to && to->out &&
           sws_isSupportedOutput(to->av);
}

}  // namespace tavimo
