// The "Tavimo Subtitle Mixer" element: an in-place video filter that sits
// between the converter and the video renderer of every pipeline and burns the
// current subtitle into each decoded frame. Where the renderer's converter
// takes them, the text goes into a copy of the rows it covers, carried with
// the frame (drawn_band_meta.h), so that a frame the decoder still holds is
// not copied whole.
#pragma once

#include <gst/gst.h>

#include <memory>

namespace tavimo {

class CSubtitles;

// Registers the element type with GStreamer under the factory name
// "tavimosubtitlemixer". Safe to call more than once; any thread.
// Returns false when GStreamer refuses the registration.
bool RegisterSubtitleMixer();

// Makes a new mixer element named "Tavimo Subtitle Mixer" (floating
// reference, as gst_element_factory_make gives). `core` draws the text; the
// element holds it until it is finalized, so a streaming thread of a graph
// that outlives its player never reaches a freed core. With a null core every
// frame passes through unchanged. UI thread.
GstElement* NewSubtitleMixer(std::shared_ptr<CSubtitles> core);

}  // namespace tavimo
