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

// The clock that plays `sink`'s sound card's time, for the pipeline to use,
// or null for a sink that is left as it is (it gives its own clock, if any).
// For pulsesink: the sink gives no clock and writes where the pipeline's
// clock says without resyncing to its stream's own time (slave-method none),
// and the clock returned follows that stream's time (the card's pace, so
// that the picture keeps with the sound for a whole film) as long as it
// moves like a clock. libpulse 16 can make a stream's time leap to about
// 2^64 us when it is read (most often soon after an uncork: a play, a
// flushing seek) and then keep it there for the stream's life: the clock
// does not read the stream's time in the first 1.5 s after each start of the
// stream, and goes on at the system clock's pace meanwhile. Where the card's
// time wraps all the same, the stream counts as stuck at once (see
// SoundCardClockStuck); where it leaps ahead of the wall clock, or stands
// still while the stream takes sound from the sink, the clock goes on at the
// system clock's pace too, until the card's time moves again. Returns a new
// reference. UI thread, before the sink leaves NULL.
GstClock* SoundCardClock(GstElement* sink);

// How often the clock of SoundCardClock has stopped following its card
// (a leap or a stand); 0 for any other clock. Any thread.
int SoundCardClockLapses(GstClock* clock);

// Whether the card's time behind the clock of SoundCardClock wrapped below
// zero, or stands while its stream takes sound: libpulse keeps that
// stream's time where it leapt to, the sink would write its next start's
// sound that far ahead, and only a new stream (ReplaceStuckSink) gives the
// card's time again. False for any other clock. Any thread.
bool SoundCardClockStuck(GstClock* clock);

// Where the card's time behind `clock` is stuck: a new sink of the same
// factory, in NULL, that the clock follows from now on, to take the stuck
// one's place (a floating reference); null otherwise. UI thread.
GstElement* ReplaceStuckSink(GstClock* clock);

}  // namespace tavimo
