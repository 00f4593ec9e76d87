// The picture under the note, carried with each frame the note is burnt
// into, so that a screenshot holds the picture and its subtitle, never the
// note.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstdint>

namespace tavimo {

struct NoteUnder;

// Attaches a copy of `under` to `buffer`, which must be writable; nothing
// when `under` holds no rows. Streaming thread.
void AttachNoteUnder(GstBuffer* buffer, const NoteUnder& under);

// `buffer`, laid out as `info`, with the rows under its note put back: a new
// buffer when it carries a note, else another reference to `buffer`. The
// caller owns the result; null only when the copy cannot be mapped. Any
// thread.
GstBuffer* WithoutNote(GstBuffer* buffer, const GstVideoInfo& info);

// Copies `rows` rows of `rowBytes` bytes, `fromStride` apart at `from`, into
// plane `plane` of `frame` from its row `first` on, as far as the plane
// reaches; nothing when a row is wider than the plane's. Any thread.
void PutRowsBack(GstVideoFrame& frame, int plane, int first, int rowBytes, int rows,
                 const uint8_t* from, int fromStride);

}  // namespace tavimo
