#include "subtitles/sync/sync_correlate.h"

#include <fftw3.h>

#include <algorithm>
#include <climits>
#include <complex>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace tavimo::sync {
namespace {

std::mutex& PlannerMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

// The least transform length: shorter blocks would be many for little lag.
constexpr int64_t kLeastSize = 1 << 14;

// Single precision: the sums stay far within float's range and the peaks
// far apart from rounding, and the buffers take half the memory. The
// transforms run in place.
struct Correlator::Buffers {
    float* cue = nullptr;     // size_ samples, or size_ / 2 + 1 bins
    float* speech = nullptr;  // the same for the stretch of speech
    fftwf_plan forward = nullptr;
    fftwf_plan backward = nullptr;
};

namespace {

fftwf_complex* Bins(float* samples) {
    return reinterpret_cast<fftwf_complex*>(samples);
}

}  // namespace

CentredSignal::CentredSignal(std::vector<int8_t> steps) : steps_(std::move(steps)) {
    double sum = 0;
    size_t heard = 0;
    for (const int8_t v : steps_) {
        sum += v;
        heard += v != 0;
    }
    mean_ = heard == 0 ? 0.0f : static_cast<float>(sum / static_cast<double>(heard));
}

int64_t GoodTransformSize(int64_t n) {
    int64_t best = INT64_MAX;
    for (const int64_t odd : {1, 3, 5, 15}) {
        int64_t m = odd * 2;
        while (m < n) {
            m *= 2;
        }
        best = std::min(best, m);
    }
    return best;
}

Correlator::Correlator(const CentredSignal& speech, int64_t maxLag)
    : speech_(speech),
      maxLag_(maxLag),
      size_(GoodTransformSize(std::max(4 * maxLag + 1, kLeastSize))),
      block_(size_ - 2 * maxLag),
      buffers_(new Buffers) {
    const size_t floats = 2 * static_cast<size_t>(size_ / 2 + 1);
    buffers_->cue = fftwf_alloc_real(floats);
    buffers_->speech = fftwf_alloc_real(floats);
    if (buffers_->cue == nullptr || buffers_->speech == nullptr) {
        fftwf_free(buffers_->cue);
        fftwf_free(buffers_->speech);
        delete buffers_;
        throw std::bad_alloc();
    }
    std::lock_guard lock(PlannerMutex());
    const int n = static_cast<int>(size_);
    buffers_->forward = fftwf_plan_dft_r2c_1d(n, buffers_->cue, Bins(buffers_->cue), FFTW_ESTIMATE);
    buffers_->backward =
        fftwf_plan_dft_c2r_1d(n, Bins(buffers_->cue), buffers_->cue, FFTW_ESTIMATE);
}

Correlator::~Correlator() {
    {
        std::lock_guard lock(PlannerMutex());
        fftwf_destroy_plan(buffers_->forward);
        fftwf_destroy_plan(buffers_->backward);
    }
    fftwf_free(buffers_->cue);
    fftwf_free(buffers_->speech);
    delete buffers_;
}

std::vector<float> Correlator::Correlate(const CentredSignal& cue, int64_t from, int64_t to) {
    const auto cueLength = static_cast<int64_t>(cue.size());
    const auto speechLength = static_cast<int64_t>(speech_.size());
    to = to < 0 ? cueLength : std::min(to, cueLength);
    from = std::clamp<int64_t>(from, 0, to);
    const size_t floats = 2 * static_cast<size_t>(size_ / 2 + 1);
    const int64_t bins = size_ / 2 + 1;
    const float scale = 1.0f / static_cast<float>(size_);
    std::vector<float> out(static_cast<size_t>(2 * maxLag_ + 1), 0.0f);
    // Cue steps [lo, hi) against speech steps [lo - maxLag, hi + maxLag):
    // with c the block and s the stretch, sum_i c[i] s[i + k] is the sum at
    // lag k - maxLag, and no k up to 2 maxLag wraps around the transform.
    for (int64_t lo = from; lo < to; lo += block_) {
        const int64_t hi = std::min(lo + block_, to);
        std::fill(buffers_->speech, buffers_->speech + floats, 0.0f);
        bool heard = false;
        const int64_t first = lo - maxLag_;
        for (int64_t j = std::max<int64_t>(first, 0); j < std::min(hi + maxLag_, speechLength);
             ++j) {
            const float v = speech_[static_cast<size_t>(j)];
            buffers_->speech[j - first] = v;
            heard = heard || v != 0.0f;
        }
        if (!heard) {
            continue;  // nothing listened to within reach of this block
        }
        std::fill(buffers_->cue, buffers_->cue + floats, 0.0f);
        for (int64_t i = lo; i < hi; ++i) {
            buffers_->cue[i - lo] = cue[static_cast<size_t>(i)];
        }
        fftwf_execute_dft_r2c(buffers_->forward, buffers_->speech, Bins(buffers_->speech));
        fftwf_execute(buffers_->forward);
        // conj(C) * S: the transform of sum_i c[i] s[i + k].
        fftwf_complex* c = Bins(buffers_->cue);
        const fftwf_complex* sp = Bins(buffers_->speech);
        for (int64_t k = 0; k < bins; ++k) {
            const std::complex<float> p =
                std::complex<float>(c[k][0], -c[k][1]) * std::complex<float>(sp[k][0], sp[k][1]);
            c[k][0] = p.real();
            c[k][1] = p.imag();
        }
        fftwf_execute(buffers_->backward);
        for (size_t k = 0; k < out.size(); ++k) {
            out[k] += buffers_->cue[k] * scale;
        }
    }
    return out;
}

}  // namespace tavimo::sync
