// The display's colour converter: a video filter of ours on libswscale that
// turns the decoded YUV (8 or 10 bits) or RGB frames into the RGB the X
// server's image takes, scaling in the same pass where the sizes differ.
// Matrix (BT.601, BT.709, BT.2020, SMPTE 240M, FCC) and range (limited or
// full) come from the input caps' colorimetry. Formats it does not take are
// left to videoconvert in front of it. A frame carrying the subtitle
// mixer's drawn rows (drawn_band_meta.h) is converted with those rows in
// place of its own.
#pragma once

#include <gst/gst.h>
#include <gst/video/video-format.h>

namespace tavimo {

// Registers the element type with GStreamer under the factory name
// "tavimoswscale". Safe to call more than once; any thread. Returns false
// when GStreamer refuses the registration.
bool RegisterSwscaleConvert();

// A new converter (floating reference, as gst_element_factory_make gives),
// null when the type cannot be registered. Its property "add-borders"
// (default true) keeps the picture's display aspect inside an output of
// another shape, with black borders, as videoscale's does. Any thread.
GstElement* NewSwscaleConvert();

// Whether `element` is such a converter (null: no). Any thread.
bool IsSwscaleConvert(GstElement* element);

// Whether the converter takes frames in `in` and gives them in `out`
// (formats libswscale here converts between; any other is videoconvert's).
// Any thread.
bool SwscaleConverts(GstVideoFormat in, GstVideoFormat out);

// Whether `pool` is one the converter offered upstream for its input (null:
// no). A libav decoder given one decodes straight into its buffers and hands
// them on without a copy, which it cannot do with other pools (see
// swscale_convert.cpp); the graph lets it render directly only then. Any
// thread.
bool IsSwscaleInputPool(GstBufferPool* pool);

}  // namespace tavimo
