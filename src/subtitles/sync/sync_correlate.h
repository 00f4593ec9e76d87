// Cross-correlation of the cue signal against the speech signal over a range
// of lags, through FFTW's real transforms. Internal to the synchroniser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavimo::sync {

// A signal of +1/-1 steps less the mean of those steps; steps that are 0
// (not listened to) stay 0. Kept as the steps and the mean, a quarter of the
// memory the floats would take (two hours are 720,000 steps).
class CentredSignal {
  public:
    CentredSignal() = default;
    explicit CentredSignal(std::vector<int8_t> steps);

    float operator[](std::size_t i) const {
        return steps_[i] == 0 ? 0.0f : static_cast<float>(steps_[i]) - mean_;
    }
    std::size_t size() const { return steps_.size(); }

  private:
    std::vector<int8_t> steps_;
    float mean_ = 0;
};

// Correlates cue signals with one speech signal, block by block: each block
// of the cue against the stretch of speech it can reach within the lags, in
// transforms of about four times the largest lag (two hours against ten
// minutes either way: blocks of 21 minutes, 2 MB of buffers and 1.5 MB of
// plan, where one transform over the whole clip would take 10 MB). One
// thread at a time per object; plans are made under a process-wide lock,
// since FFTW's planner is not thread-safe.
class Correlator {
  public:
    // Lags are looked at up to `maxLag` steps either way. `speech` must
    // outlive the correlator.
    Correlator(const CentredSignal& speech, int64_t maxLag);
    ~Correlator();
    Correlator(const Correlator&) = delete;
    Correlator& operator=(const Correlator&) = delete;

    // sum_i cue[i] * speech[i + lag] over the steps i of [from, to) (all of
    // the cue when `to` is -1), for lag = -maxLag .. maxLag, at index
    // lag + maxLag.
    std::vector<float> Correlate(const CentredSignal& cue, int64_t from = 0, int64_t to = -1);

    int64_t MaxLag() const { return maxLag_; }

  private:
    struct Buffers;
    const CentredSignal& speech_;
    int64_t maxLag_;
    int64_t size_;   // transform length
    int64_t block_;  // cue steps per transform: size_ - 2 * maxLag_
    Buffers* buffers_;
};

// A transform length at least `n`: a power of two times 1, 3, 5 or 15,
// lengths whose forward and backward plans share FFTW's tables.
int64_t GoodTransformSize(int64_t n);

}  // namespace tavimo::sync
