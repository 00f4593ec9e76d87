// The two signals the subtitle synchroniser compares, both at 10 ms steps:
// when the clip's audio holds speech, and when the subtitles show a cue.
#pragma once

#include <array>
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

// Tells a voice that stands out of a bed of sound from the bed: the bed's
// level is taken as the 20th percentile of the last 5 s of 10 ms levels,
// and a step is loud when it comes 5 dB or more above it. Under a crowd of
// quieter voices, the detector hears speech almost throughout; the voice in
// front rises above the crowd's floor while it speaks and falls back to it
// in its pauses. One listening thread.
class LevelFloor {
  public:
    // Adds the level of the next 10 ms step (dB of its mean square, 0 for
    // silence, about 90 at full scale); whether it stands 5 dB or more above
    // the floor of the last 5 s, itself included.
    bool Loud(double levelDb);

  private:
    static constexpr int kBinsPerDb = 2;
    static constexpr size_t kBins = 100 * kBinsPerDb;
    static constexpr size_t kSteps = 500;
    std::array<uint16_t, kBins> counts_{};
    std::array<uint8_t, kSteps> recent_{};  // bins of the last steps, a ring
    size_t next_ = 0;                       // where the next step goes
    size_t held_ = 0;                       // steps in the ring
};

}  // namespace tavimo::sync
