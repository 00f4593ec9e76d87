// The two signals the subtitle synchroniser compares, both at 10 ms steps:
// when the clip's audio holds speech, and when the subtitles show a cue.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "subtitles/subtitle_track.h"

namespace tavimo::sync {

// One step of either signal, in ms.
constexpr int64_t kStepMs = 10;

// Speech activity per 10 ms step from the clip's start: +1 speech, -1 no
// speech, 0 not listened to (outside the decoded windows).
using Activity = std::vector<int8_t>;

// One cue's time on screen, in ms of the subtitle file.
struct Cue {
    int64_t start = 0;
    int64_t end = 0;
    bool operator==(const Cue&) const = default;
};

// Whether a cue's text stands for speech: false for music (a "♪" anywhere, or
// "#" at either end) and for sound descriptions wholly in brackets
// ("[door slams]", "(laughs)").
// Tags such as "<i>" and "{\an8}" are not text. Any thread.
bool IsSpeechText(std::string_view text);

// The cues worth matching, in time order: speech cues of `entries` with a
// positive duration. Frame-based entries become times at `fps` frames per
// second (a non-positive fps leaves them out). Any thread.
std::vector<Cue> SpeechCues(const SubtitleEntries& entries, double fps);

// Cleans the detector's output in place: speech runs shorter than 200 ms
// become no speech, then gaps of no speech shorter than 300 ms between two
// speech runs become speech. Steps not listened to (0) stay as they are and
// end a run. Any thread.
void SmoothSpeech(Activity& speech);

// The share of the heard steps that are speech (0 when nothing was heard).
double SpeechShare(const Activity& speech);

}  // namespace tavimo::sync
