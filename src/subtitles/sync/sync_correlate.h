// Cross-correlation of the cue signal against the speech signal over a range
// of lags, through FFTW's real transforms. Internal to the synchroniser.
#pragma once

#include <cstdint>
#include <vector>

namespace tavimo::sync {

// Holds the transform of one speech signal and correlates cue signals with
// it. One thread at a time per object; plans are made under a process-wide
// lock, since FFTW's planner is not thread-safe.
class Correlator {
  public:
    // `speech`: the centred speech signal (any length); lags are looked at up
    // to `maxLag` steps either way, for cue signals of up to `maxCueSteps`.
    Correlator(const std::vector<float>& speech, int64_t maxLag, int64_t maxCueSteps);
    ~Correlator();
    Correlator(const Correlator&) = delete;
    Correlator& operator=(const Correlator&) = delete;

    // sum_i cue[i] * speech[i + lag] for lag = -maxLag .. maxLag, at index
    // lag + maxLag. `cue` must be at most maxCueSteps long.
    std::vector<float> Correlate(const std::vector<float>& cue);

    int64_t MaxLag() const { return maxLag_; }

  private:
    struct Buffers;
    int64_t maxLag_;
    int64_t size_;  // transform length
    Buffers* buffers_;
};

// A transform length at least `n` whose factors are 2, 3, 5 and 7 only.
int64_t GoodTransformSize(int64_t n);

}  // namespace tavimo::sync
