// The picture under the note, carried with each frame the note is burnt
// into, so that a screenshot holds the picture and its subtitle, never the
// note.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

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

}  // namespace tavimo
