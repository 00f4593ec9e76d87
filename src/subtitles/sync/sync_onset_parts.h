// Parts found from the cue starts against the speech's word onsets rather
// than from the spans: over music the detector hears as speech, a part's
// spans barely stand out from chance, but its cue starts still fall just
// before words. Internal to the synchroniser (sync_align.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_signal.h"

namespace tavimo::sync {

// For each one and two minutes of `cues` (subtitle ms, sorted; every half
// minute), the three lags (10 ms steps, within `maxLag` either way, 2 s or
// more apart) at which most of its cue starts x `ratio` lead a word onset
// of `onsets` (WordOnsets) by 0-0.3 s. In order of the stretches, repeats
// kept. Any thread.
std::vector<int64_t> OnsetLags(const std::vector<int64_t>& onsets, const std::vector<Cue>& cues,
                               double ratio, int64_t maxLag);

// The parts of `cues` (sorted) at `ratio`, each taking one of the offsets
// `candidatesMs`: the runs of cues whose CueFit against `speech`, less
// their mean fit at offsets 2-14 s either side, sums highest, a switch
// between offsets costing as much as a few cues that fit their words, the
// offsets only falling (stretches cut from the clip) or only rising (breaks
// put in). Parts under a minute are taken by their neighbours; the joins
// are placed by PlaceJoins. Empty without candidates, or when the cues of a
// part stand out from the offsets around theirs no more than runs chosen by
// chance do. Any thread.
std::vector<SyncPart> OnsetParts(const Activity& speech, const std::vector<int64_t>& onsets,
                                 const std::vector<Cue>& cues, double ratio,
                                 std::vector<int64_t> candidatesMs);

// Whether the cues of each part of `result` (settled: offsets, rate and
// joins moved) still fit its offset clearly better than the offsets around
// it, as OnsetParts asks of the parts it finds. Any thread.
bool PartsStandOut(const Activity& speech, const std::vector<int64_t>& onsets,
                   const std::vector<Cue>& cues, const SyncResult& result);

}  // namespace tavimo::sync
