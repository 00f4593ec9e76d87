// Night mode's element: NightDsp in the audio renderer's chain. While off it
// passes every buffer on untouched in whatever format it came; while on it
// asks for interleaved 32-bit float, holds the sound back by the limiter's
// look-ahead (its buffers' times moved back to match, and the delay given
// in the latency query) and lets the held sound out at the end.
#pragma once

#include <gst/gst.h>

namespace tavimo {

// A new element (floating), off. Any thread.
GstElement* NewNightMode();
// Switches an element made by NewNightMode on or off; the sound upstream is
// asked to change its format at the next buffer. Any thread.
void SetNightMode(GstElement* element, bool on);
// True when `object` is an element made by NewNightMode. Any thread.
bool IsNightMode(GstObject* object);

}  // namespace tavimo
