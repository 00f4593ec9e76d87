// The subtitle drawn beside the picture rather than into it: the rows of a
// frame the subtitle covers, copied out and drawn on, carried with the frame
// whose own pixels stay as the decoder made them. A decoder keeps the frames
// it refers to later, so writing into one costs a copy of the whole picture;
// the display's converter instead reads these rows in place of the frame's
// own as it converts (swscale_convert.h), and a screenshot puts them back
// (WithDrawnBand).
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

namespace tavimo {

// The most strips of rows one band holds.
constexpr guint kMostStrips = 4;

// The drawn rows of one frame, in `strips` strips, ascending and apart:
// strip i is `rows[i]` image rows from row `first[i]` on (luma rows for
// YUV), each plane's share of them in `band` at `offset[i][p]` with the
// frame's own strides `stride[p]`. Each `first` is a multiple of the
// format's vertical subsampling, and so is each `rows` unless the strip
// reaches the frame's last row.
struct DrawnBandMeta {
    GstMeta meta;
    GstBuffer* band;  // owned reference
    guint strips;
    int first[kMostStrips];
    int rows[kMostStrips];
    guint planes;
    gsize offset[kMostStrips][GST_VIDEO_MAX_PLANES];
    gint stride[GST_VIDEO_MAX_PLANES];
};

// The meta's API type (tagged video and size: converters that change either
// drop it). Any thread.
GType DrawnBandMetaApiType();

// The strips of `info`'s frames covering the image rows `first[i]`..
// `last[i]` (inclusive) of `count` ranges, ascending and apart: each
// widened to whole chroma rows and clipped to the frame, those that then
// meet joined, at most kMostStrips (the last ones join the last strip).
// Returns how many, each's first row and row count. Any thread.
guint BandRows(const GstVideoInfo& info, const int* first, const int* last, guint count,
               int* bandFirst, int* bandRows);

// The rows of plane `plane` of `info` that image rows `first`..`first +
// rows` hold: their first row and count. Any thread.
void PlaneRowsOf(const GstVideoInfo& info, guint plane, int first, int rows, int* planeFirst,
                 int* planeRows);

// A new band of `info`'s frame `frame` (mapped readable): the frame's rows
// `first[i]`..`first[i] + rows[i]` of `strips` strips (as BandRows gives
// them) copied into a buffer of their own and attached to `target`
// (writable: the frame's buffer or its writable copy). Returns the meta, or
// null when the buffer cannot be had. The caller draws into the band
// through BandPlanes. Streaming thread.
DrawnBandMeta* AttachDrawnBand(GstBuffer* target, const GstVideoFrame& frame, guint strips,
                               const int* first, const int* rows);

// `buffer`'s band, or null. Any thread.
const DrawnBandMeta* DrawnBandOf(GstBuffer* buffer);

// Points `data` at strip `strip` of the band's planes mapped in `map` so
// that image row y of plane p is at data[p] + y * stride: rows outside the
// strip must not be touched through them. Any thread.
void BandPlanes(const DrawnBandMeta& meta, guint strip, const GstVideoInfo& info,
                const GstMapInfo& map, guint8* data[GST_VIDEO_MAX_PLANES]);

// `buffer`, laid out as `info`, with its band's rows (every strip's) in
// place of its own: a new buffer when it carries a band, else another
// reference to `buffer`. The caller owns the result; null only when the
// copy cannot be mapped. Any thread.
GstBuffer* WithDrawnBand(GstBuffer* buffer, const GstVideoInfo& info);

// The downstream question whether the next element takes bands (a custom
// query), and its answer. Any thread.
GstQuery* NewDrawnBandQuery();
bool IsDrawnBandQuery(GstQuery* query);
void AnswerDrawnBandQuery(GstQuery* query, bool takes);
bool DrawnBandTaken(GstQuery* query);

}  // namespace tavimo
