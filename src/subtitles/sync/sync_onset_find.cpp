// Where in the clip speech is heard, starts and ends: the detector's 10 ms
// steps read as the matcher needs them.
#include "subtitles/sync/sync_onset.h"

#include <algorithm>

namespace tavimo::sync {
namespace {

constexpr size_t kPauseSteps = 300 / kStepMs;
// The speech steps are moved back by the detector's lag, most of which is
// its hang-over at the end of speech: its onsets come about this much before
// the words (measured on espeak-ng's and flite's voices over brown noise).
constexpr int64_t kOnsetsEarlyMs = 50;

// Whether the `kPauseSteps` steps from `i` on (backwards with `step` -1) are
// all heard as no speech.
bool PauseFrom(const Activity& speech, size_t i, int step) {
    for (size_t k = 0; k < kPauseSteps; ++k) {
        const auto j = static_cast<int64_t>(i) + step * static_cast<int64_t>(k);
        if (j < 0 || j >= static_cast<int64_t>(speech.size()) ||
            speech[static_cast<size_t>(j)] >= 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool Heard(const Activity& speech, int64_t fromMs, int64_t toMs) {
    if (fromMs < 0 || toMs > static_cast<int64_t>(speech.size()) * kStepMs) {
        return false;
    }
    const auto first = speech.begin() + static_cast<ptrdiff_t>(fromMs / kStepMs);
    const auto last = speech.begin() + static_cast<ptrdiff_t>(toMs / kStepMs);
    return std::find(first, last, int8_t{0}) == last;
}

std::vector<int64_t> SpeechOnsets(const Activity& speech) {
    std::vector<int64_t> onsets;
    for (size_t i = kPauseSteps; i < speech.size(); ++i) {
        if (speech[i] > 0 && speech[i - 1] < 0 && PauseFrom(speech, i - 1, -1)) {
            onsets.push_back(static_cast<int64_t>(i) * kStepMs);
        }
    }
    return onsets;
}

std::vector<int64_t> WordOnsets(const Activity& speech) {
    std::vector<int64_t> onsets = SpeechOnsets(speech);
    for (int64_t& onset : onsets) {
        onset += kOnsetsEarlyMs;
    }
    return onsets;
}

std::vector<int64_t> SpeechEnds(const Activity& speech) {
    std::vector<int64_t> ends;
    for (size_t i = 1; i < speech.size(); ++i) {
        if (speech[i - 1] > 0 && speech[i] < 0 && PauseFrom(speech, i, 1)) {
            ends.push_back(static_cast<int64_t>(i) * kStepMs);
        }
    }
    return ends;
}

}  // namespace tavimo::sync
