// Parts of the subtitles with offsets of their own: where a scene or a break
// was cut from one release, one offset cannot fit the whole clip. Internal
// to the synchroniser (sync_align.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_correlate.h"
#include "subtitles/sync/sync_signal.h"

namespace tavimo::sync {

// The cue signal at `ratio`: +1 while a cue shows, -1 between cues, less its
// mean, from subtitle time 0 to the last cue's end, at 10 ms steps.
CentredSignal CueSignal(const std::vector<Cue>& cues, double ratio);

// What the split search works on: both centred signals, the cues, the ratio
// chosen, and the lags (steps) worth trying.
struct SplitInput {
    const CentredSignal& speech;
    const CentredSignal& cueSignal;
    const std::vector<Cue>& cues;
    double ratio = 1;
    int64_t mainLag = 0;
    std::vector<int64_t> candidates;
    // For the test each new part must pass on its own: its lag a clear peak
    // of its own correlation. Not owned; null: parts are not tested.
    Correlator* correlator = nullptr;
    double minConfidence = 0.25;
};

// Lags worth trying as part offsets: the best few peaks of `corr` (the whole
// cue signal's correlation) and the peak of each quarter of the cues.
std::vector<int64_t> CandidateLags(Correlator& correlator, const SplitInput& input,
                                   const std::vector<float>& corr);

// The parts, each with the lag that fits it best (refined to the 10 ms
// step); a split is made only where it gains clearly more than it costs, at
// most `depth` splits deep; neighbouring parts within 0.1 s are one. At
// least one part.
std::vector<SyncPart> SplitParts(const SplitInput& input, int depth);

}  // namespace tavimo::sync
