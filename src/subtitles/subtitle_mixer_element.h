// The "Tavimo Subtitle Mixer" element: an in-place video filter that sits
// between the converter and the video renderer of every pipeline and burns the
// current subtitle into each decoded frame.
#pragma once

#include <gst/gst.h>

namespace tavimo {

class CSubtitles;

// Registers the element type with GStreamer under the factory name
// "tavimosubtitlemixer". Safe to call more than once; any thread.
// Returns false when GStreamer refuses the registration.
bool RegisterSubtitleMixer();

// Makes a new mixer element named "Tavimo Subtitle Mixer" (floating
// reference, as gst_element_factory_make gives). `core` draws the text; it is
// not owned and must outlive the element. With a null core every frame passes
// through unchanged. UI thread.
GstElement* NewSubtitleMixer(CSubtitles* core);

}  // namespace tavimo
