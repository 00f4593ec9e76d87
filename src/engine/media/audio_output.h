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

// A PulseAudio sink (pulsesink) gives the pipeline no clock and writes where
// the pipeline's clock says, without following its stream's own timing:
// libpulse's time of a stream corked and uncorked in quick succession (each
// speed change is a flushing seek) can leap hours ahead for good, and a sink
// that followed it writes so far ahead that playback stops for good. Other
// sinks are left as they are. UI thread, before the sink leaves NULL.
void KeepOffStreamClock(GstElement* sink);

}  // namespace tavimo
