// The last step of the match: each part's offset moved so that its cues
// start where people start a cue, a little before the words. Matching whole
// spans cannot find that: a person shows a line 0-0.3 s before its words and
// keeps it 0.2-0.8 s after them, so a cue's middle comes after the speech's
// middle and the spans fit best with the file slid early. Internal to the
// synchroniser (sync_align.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_signal.h"

namespace tavimo::sync {

// The times (ms) at which speech begins after a pause of at least 0.3 s
// heard as no speech, in order. Steps not listened to are no pause.
std::vector<int64_t> SpeechOnsets(const Activity& speech);

// SpeechOnsets taken a little later, where the listener's marks put the
// words' start (its lag is at the end of speech), in order.
std::vector<int64_t> WordOnsets(const Activity& speech);

// The times (ms) at which speech stops for a pause of at least 0.3 s heard
// as no speech, in order.
std::vector<int64_t> SpeechEnds(const Activity& speech);

// Moves each part's offset of `result` (a match of `cues` to `speech`) by up
// to 0.8 s either way to where its cue starts best lead the speech's word
// `onsets` (WordOnsets) by 0-0.3 s and its cue ends best follow the speech
// ends by 0-0.8 s, starts counting twice as much as ends; an onset before a
// cue's start costs at most what one 0.15 s before it does. Only cues in
// stretches listened to with an onset within reach count; a part keeps its
// offset when fewer than 10 count or when the move gains less than 1 ms a
// cue (10 ms, and 0.3 s at most, when fewer than 15 count). With
// `endsHeardLate`, a speech end after a cue's end costs at most what one
// 0.15 s after it does and offsets only move earlier: over music the
// detector hears speech past the words, and those ends pull the file late.
// Any thread.
void FitToOnsets(const Activity& speech, const std::vector<int64_t>& onsets,
                 const std::vector<Cue>& cues, SyncResult& result, bool endsHeardLate = false);

// Moves `result` (after FitToOnsets) to the known ratio 0.1% away from its
// own (24 against 23.976 frames a second) when the speech's word `onsets`
// drift from its cue starts by 0.06% of the time between them or more,
// that ratio leaves less than that, and its cues fit the onsets and ends
// better. Each part's offset is first moved to keep its middle cue in
// place, then fitted again. Spans cannot tell such ratios apart on clips
// under about ten minutes (0.6 s of drift); the onsets can from five, where
// at least 20 cues have an onset near. When the spans left the ratio
// `undecided` between the two, it moves whenever that ratio's onsets drift
// clearly less (by 0.0004), whatever the cost. Any thread.
void FitRate(const Activity& speech, const std::vector<int64_t>& onsets,
             const std::vector<Cue>& cues, SyncResult& result, bool undecided = false);

// How fast the word `onsets` move away from the cue starts of `result`, in
// ms per ms of the clip: 0.001 for a ratio 0.1% off, though mostly measured
// at about half that. Of several parts, only those of 4 minutes or more
// count. NaN when fewer than 20 cues have an onset near. Any thread.
double OnsetsDrift(const Activity& speech, const std::vector<int64_t>& onsets,
                   const std::vector<Cue>& cues, const SyncResult& result);

// Whether a ratio 0.1% off could put cues of `result` 0.12 s or more from
// their words: it has one part, or a part of 4 minutes or more (clip time
// from the first cue heard to the last). Any thread.
bool DriftMatters(const Activity& speech, const std::vector<int64_t>& onsets,
                  const std::vector<Cue>& cues, const SyncResult& result);

// Whether no offset 2-20 s from each part's offset of `result` puts the
// starts of the part's `cues` nearer the word `onsets` (WordOnsets), as
// holds for a right match. A match found by chance where the speech is
// heard almost throughout (the detector takes a crowd for speech) fits the
// onsets no better than offsets around it. Any thread.
bool OnsetsConfirm(const std::vector<int64_t>& onsets, const std::vector<Cue>& cues,
                   const SyncResult& result);

// Whether every step of [fromMs, toMs) of `speech` was listened to.
bool Heard(const Activity& speech, int64_t fromMs, int64_t toMs);

// Cue `c` (subtitle ms) in clip ms at `ratio` and offset 0. Any thread.
Cue AtRatio(const Cue& c, double ratio);

// The index of the first of `cues` (sorted) starting at or after `ms`
// (cues.size() if none).
size_t FirstCueFrom(const std::vector<Cue>& cues, int64_t ms);

// How well a cue `s` (clip ms at offset 0) fits the speech at `offsetMs`,
// 0..2.5: how far the share of speech in its heard steps passes a half
// (0..1), how near a word onset of `onsets` follows its start (1 on time, 0
// at 0.5 s or more) and, counting half, how near a speech end of `ends`
// (SpeechEnds) comes before its end. On its words a cue fits 1.6-2.5,
// elsewhere mostly under 1.2 (dense speech and music heard as speech lift
// chance fits). Any thread.
double CueFit(const Activity& speech, const std::vector<int64_t>& onsets,
              const std::vector<int64_t>& ends, const Cue& s, int64_t offsetMs);

}  // namespace tavimo::sync
