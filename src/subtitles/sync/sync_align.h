// Matching subtitle cues to the clip's speech: one offset (up to ten minutes
// either way), a frame-rate ratio, and parts with offsets of their own where
// a piece was cut from one release. Plain C++ over the 10 ms signals of
// sync_signal.h; the cross-correlation runs on FFTW.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "subtitles/sync/sync_signal.h"

namespace tavimo::sync {

// A frame-rate change: subtitle times were made for `from` frames per second,
// the clip plays at `to`; clip time = subtitle time x from / to.
struct RateChange {
    double from = 1;
    double to = 1;
    double Ratio() const { return from / to; }
    bool Identity() const { return from == to; }
    bool operator==(const RateChange&) const = default;
};

// The ratios tried: none, 25/24, 25/23.976, 24/23.976 (the same as
// 30/29.97) and their inverses.
const std::vector<RateChange>& KnownRateChanges();

// Whether `a` and `b` are 0.1% apart (24 against 23.976 frames a second,
// 25/24 against 25/23.976): the same film told apart only by the drift,
// 0.6 s in ten minutes.
bool IsDrift(const RateChange& a, const RateChange& b);

// One stretch of the subtitles with its own offset. Cues starting at or after
// `fromMs` (subtitle time) up to the next part's start take `offsetMs`.
struct SyncPart {
    int64_t fromMs = 0;  // the first part starts at 0
    int64_t offsetMs = 0;
    bool operator==(const SyncPart&) const = default;
};

// What the match found: clip time = subtitle time x rate.Ratio() + the
// offset of the part the cue belongs to.
struct SyncResult {
    bool matched = false;
    std::string reason;  // why not, when not matched ("no clear match ...")
    RateChange rate;
    std::vector<SyncPart> parts;  // at least one when matched
    double confidence = 0;        // 0..1: the peak's lead over the best rival

    // The clip time (ms) of subtitle time `ms`.
    int64_t Map(int64_t ms) const;
};

struct AlignOptions {
    int64_t maxOffsetMs = 10 * 60 * 1000;
    double minConfidence = 0.25;  // below: refused
    int maxSplitDepth = 3;        // up to 8 parts
    // When above 0, a match whose speech onsets drift from its cue starts
    // this fast or faster (ms per ms), or too few to tell, is refused: it
    // may have missed a ratio 0.1% off. Not asked of a match whose parts
    // are all under 4 minutes (DriftMatters).
    double mostDrift = 0;
};

// Matches `cues` (subtitle ms, sorted) against `speech` (clip steps); cues
// that no ratio and offset tried can bring into the clip are left out.
// Refuses, with the reason filled, when there are fewer than 3 cues, too
// little speech is heard, no offset stands out from the others, or an offset
// 2-20 s from the one found puts the cue starts nearer the speech's onsets,
// or, with options.mostDrift, the onsets drift from the cues.
// Any thread; allocates about 8 MB for a two-hour clip, freed on return.
SyncResult Align(const Activity& speech, const std::vector<Cue>& cues,
                 const AlignOptions& options = {});

}  // namespace tavimo::sync
