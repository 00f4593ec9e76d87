// The parts of a match at their joins: where each join goes, and whether
// every stretch of the cues fits the offset of the part it falls in.
// Internal to the synchroniser (sync_align.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_signal.h"

namespace tavimo::sync {

// Moves each join of `result` (a part's fromMs, subtitle ms) to the cue
// where the cues before it fit the earlier part's offset and those after it
// the later one's, judged by the speech under each cue and a word onset of
// `onsets` (WordOnsets) just after its start. Where the later part starts
// earlier in the clip, a stretch was cut from it: the cues whose starts fit
// in a stretch that long fit neither offset and stay with the earlier part,
// so that the later one starts where its speech does (the player shows a
// later part from there on, over the earlier one). Cues within twice the
// offsets' difference of the join are weighed; each part keeps at least one
// cue. Any thread.
void PlaceJoins(const Activity& speech, const std::vector<int64_t>& onsets,
                const std::vector<Cue>& cues, SyncResult& result);

// PlaceJoins for `parts` of a match at `ratio`.
void PlaceJoins(const Activity& speech, const std::vector<int64_t>& onsets,
                const std::vector<Cue>& cues, double ratio, std::vector<SyncPart>& parts);

// Whether the cues of `result` hold to their parts' offsets throughout: no
// run of cues over 70 s or more (subtitle time, in stretches listened to)
// fits the speech at its part's offset no better than at offsets 2-20 s from
// it, each cue judged with the cues within 15 s of it by CueFit. Such a run
// is a part the match missed, or a match found by chance where the speech
// has a few stretches it fits. The cues of a stretch cut from the clip just
// before a join fit nowhere and do not count. Any thread.
bool PartsHoldTheirCues(const Activity& speech, const std::vector<int64_t>& onsets,
                        const std::vector<Cue>& cues, const SyncResult& result);

}  // namespace tavimo::sync
