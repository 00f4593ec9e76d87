#include "subtitles/sync/sync_correlate.h"

#include <fftw3.h>

#include <algorithm>
#include <complex>
#include <mutex>
#include <stdexcept>

namespace tavimo::sync {
namespace {

std::mutex& PlannerMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

// Single precision: the sums stay far within float's range and the peaks
// far apart from rounding, and the buffers take half the memory.
struct Correlator::Buffers {
    float* real = nullptr;            // size_ samples
    fftwf_complex* speech = nullptr;  // size_ / 2 + 1 bins
    fftwf_complex* cue = nullptr;     // size_ / 2 + 1 bins
    fftwf_plan forward = nullptr;     // real -> cue
    fftwf_plan backward = nullptr;    // cue -> real
};

int64_t GoodTransformSize(int64_t n) {
    for (int64_t m = std::max<int64_t>(n, 1);; ++m) {
        int64_t rest = m;
        for (const int64_t f : {2, 3, 5, 7}) {
            while (rest % f == 0) {
                rest /= f;
            }
        }
        if (rest == 1 && m % 2 == 0) {
            return m;
        }
    }
}

Correlator::Correlator(const std::vector<float>& speech, int64_t maxLag, int64_t maxCueSteps)
    : maxLag_(maxLag),
      size_(GoodTransformSize(std::max<int64_t>(static_cast<int64_t>(speech.size()), maxCueSteps) +
                              maxLag + 1)),
      buffers_(new Buffers) {
    const size_t bins = static_cast<size_t>(size_ / 2 + 1);
    buffers_->real = fftwf_alloc_real(static_cast<size_t>(size_));
    buffers_->speech = fftwf_alloc_complex(bins);
    buffers_->cue = fftwf_alloc_complex(bins);
    if (buffers_->real == nullptr || buffers_->speech == nullptr || buffers_->cue == nullptr) {
        throw std::bad_alloc();
    }
    {
        std::lock_guard lock(PlannerMutex());
        const int n = static_cast<int>(size_);
        buffers_->forward = fftwf_plan_dft_r2c_1d(n, buffers_->real, buffers_->cue, FFTW_ESTIMATE);
        buffers_->backward = fftwf_plan_dft_c2r_1d(n, buffers_->cue, buffers_->real, FFTW_ESTIMATE);
    }
    std::fill(buffers_->real, buffers_->real + size_, 0.0f);
    std::copy(speech.begin(), speech.end(), buffers_->real);
    fftwf_execute_dft_r2c(buffers_->forward, buffers_->real, buffers_->speech);
}

Correlator::~Correlator() {
    {
        std::lock_guard lock(PlannerMutex());
        fftwf_destroy_plan(buffers_->forward);
        fftwf_destroy_plan(buffers_->backward);
    }
    fftwf_free(buffers_->real);
    fftwf_free(buffers_->speech);
    fftwf_free(buffers_->cue);
    delete buffers_;
}

std::vector<float> Correlator::Correlate(const std::vector<float>& cue) {
    if (static_cast<int64_t>(cue.size()) + maxLag_ >= size_) {
        throw std::length_error("cue signal longer than planned");
    }
    std::fill(buffers_->real, buffers_->real + size_, 0.0f);
    std::copy(cue.begin(), cue.end(), buffers_->real);
    fftwf_execute(buffers_->forward);
    // conj(C) * S: the transform of sum_i c[i] s[i + lag].
    const int64_t bins = size_ / 2 + 1;
    for (int64_t k = 0; k < bins; ++k) {
        const std::complex<float> c(buffers_->cue[k][0], -buffers_->cue[k][1]);
        const std::complex<float> s(buffers_->speech[k][0], buffers_->speech[k][1]);
        const std::complex<float> p = c * s;
        buffers_->cue[k][0] = p.real();
        buffers_->cue[k][1] = p.imag();
    }
    fftwf_execute(buffers_->backward);
    std::vector<float> out(static_cast<size_t>(2 * maxLag_ + 1));
    const float scale = 1.0f / static_cast<float>(size_);
    for (int64_t lag = -maxLag_; lag <= maxLag_; ++lag) {
        const int64_t at = lag >= 0 ? lag : size_ + lag;
        out[static_cast<size_t>(lag + maxLag_)] = buffers_->real[at] * scale;
    }
    return out;
}

}  // namespace tavimo::sync
