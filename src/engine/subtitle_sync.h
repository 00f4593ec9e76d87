// Synchronising subtitles to the clip's speech: which stretches of the clip
// to listen to, listening, matching, and listening again around a cut or
// with a stricter ear.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/speech_source.h"
#include "subtitles/sync/sync_align.h"

namespace tavimo {

// The windows heard first for a clip of `durationMs`: all of a clip up to 12
// minutes (in pieces of at most 3 minutes); of a longer one, 30-second
// windows spread evenly, 12 minutes or an eighth of the clip in all,
// whichever is more. Any thread.
std::vector<SpeechWindow> SpreadWindows(int64_t durationMs);

// The stretches between the windows heard around each point where `result`
// switches parts (clip time), so that the switch can be placed exactly; none
// for a switch inside a window heard (listened to again, the detector would
// start afresh there and the match could change).
std::vector<SpeechWindow> WindowsAroundSplits(const sync::SyncResult& result,
                                              const std::vector<SpeechWindow>& heard,
                                              int64_t durationMs);

// Opens `source`, listens, and matches `cues` (subtitle ms, sorted) to what
// it hears. A clip heard as speech almost throughout, or most of the time
// (music) when nothing matched, is heard once more by the source's stricter
// ear, whose match is taken when it lies within 0.5 s of the first or, when
// the first ear found none, when no drift of the speech from the cues says
// it missed a frame-rate change. `progress` gets 0..1 from the listening
// threads, rising through every listen, and 1 once matched; `cancel` stops
// it (the result is then refused with the reason "cancelled"). Worker
// thread; blocks until done, every listening thread joined.
sync::SyncResult SynchroniseToSpeech(ISpeechSource& source, const std::vector<sync::Cue>& cues,
                                     const std::function<void(double)>& progress,
                                     const std::atomic<bool>& cancel);

}  // namespace tavimo
