// The sink the sound goes to, chosen as the desktop offers it, and silence
// (at the clip's own pace) where no sound can be played.
#pragma once

#include <gst/gst.h>

#include <string>
#include <vector>

namespace tavimo {

// Keeps the sound libraries' own error chatter (ALSA, OpenAL) off the
// terminal. Idempotent; call early, before other threads run.
void QuietAudioLibraries();

// The first of `candidates` (factory names; empty: every audio sink GStreamer
// would plug, best rank first) that opens its device, in the NULL state.
// When none opens: a fakesink that keeps to the clock, so a clip plays
// silently at its own speed, and one line on stderr, once per process.
// Returns a floating reference. UI thread.
GstElement* MakeAudioOutput(const std::vector<std::string>& candidates = {});

}  // namespace tavimo
