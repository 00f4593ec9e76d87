#include "subtitles/sync/sync_split.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tavimo::sync {
namespace {

constexpr int64_t kApart = 2'000 / kStepMs;  // two lags closer than this are one
constexpr int64_t kRefineSteps = 50;         // +- 0.5 s around a candidate
constexpr int64_t kShortestPartSteps = 60'000 / kStepMs;
constexpr size_t kLeastPartCues = 3;
constexpr size_t kLeastPartShare = 10;   // a part holds at least 1/10 of the cues
constexpr double kSplitCost = 0.1;       // share of the part's score a split must gain
constexpr double kLeastSplitGain = 800;  // and at least this (about 20 s of agreement)
constexpr int kGlobalCandidates = 3;
constexpr int64_t kSameLagMs = 100;  // neighbouring parts this close are one

// A stretch of the cue signal, [lo, hi) steps, with cues [cueLo, cueHi).
struct Segment {
    int64_t lo = 0, hi = 0;
    size_t cueLo = 0, cueHi = 0;
};

int64_t StepAt(int64_t ms, double ratio) {
    return static_cast<int64_t>(std::floor(static_cast<double>(ms) * ratio / kStepMs));
}

// sum cue[i] * speech[i + lag] over [lo, hi).
double Score(const SplitInput& in, int64_t lag, int64_t lo, int64_t hi) {
    const int64_t n = static_cast<int64_t>(in.speech.size());
    const int64_t from = std::max(lo, -lag), to = std::min(hi, n - lag);
    double sum = 0;
    for (int64_t i = from; i < to; ++i) {
        sum += in.cueSignal[static_cast<size_t>(i)] * in.speech[static_cast<size_t>(i + lag)];
    }
    return sum;
}

struct Fit {
    int64_t lag = 0;
    double score = std::numeric_limits<double>::lowest();
};

Fit BestLag(const SplitInput& in, const Segment& s) {
    Fit best;
    for (const int64_t lag : in.candidates) {
        const double v = Score(in, lag, s.lo, s.hi);
        if (v > best.score) {
            best = {lag, v};
        }
    }
    return best;
}

struct Cut {
    size_t cue = 0;  // first cue of the second part
    double score = std::numeric_limits<double>::lowest();
    int64_t before = 0, after = 0;  // the lags of the two parts
};

// The best place to switch from lag a to lag b inside `s`.
Cut BestCut(const SplitInput& in, const Segment& s, int64_t a, int64_t b) {
    const int64_t n = static_cast<int64_t>(in.speech.size());
    auto speechAt = [&](int64_t i) {
        return i >= 0 && i < n ? in.speech[static_cast<size_t>(i)] : 0.0f;
    };
    Cut best;
    double running = Score(in, b, s.lo, s.hi);  // all of it at b, moved over to a step by step
    int64_t i = s.lo;
    const size_t least = std::max(kLeastPartCues, in.cues.size() / kLeastPartShare);
    for (size_t c = s.cueLo + least; c + least <= s.cueHi; ++c) {
        const int64_t at = std::max(i, StepAt(in.cues[c].start, in.ratio));
        for (; i < at; ++i) {
            running += in.cueSignal[static_cast<size_t>(i)] * (speechAt(i + a) - speechAt(i + b));
        }
        if (at - s.lo >= kShortestPartSteps && s.hi - at >= kShortestPartSteps &&
            running > best.score) {
            best = {c, running, a, b};
        }
    }
    return best;
}

// The lag near `lag` that fits `s` best: the middle of the flat top.
int64_t Refine(const SplitInput& in, const Segment& s, int64_t lag) {
    std::vector<double> scores;
    for (int64_t d = -kRefineSteps; d <= kRefineSteps; ++d) {
        scores.push_back(Score(in, lag + d, s.lo, s.hi));
    }
    const auto top = std::max_element(scores.begin(), scores.end());
    const double near = *top - 0.01 * std::abs(*top);
    size_t lo = static_cast<size_t>(top - scores.begin()), hi = lo;
    while (lo > 0 && scores[lo - 1] >= near) {
        --lo;
    }
    while (hi + 1 < scores.size() && scores[hi + 1] >= near) {
        ++hi;
    }
    return lag - kRefineSteps + static_cast<int64_t>((lo + hi) / 2);
}

// The best switch between two of the candidate lags inside `s`.
Cut BestSwitch(const SplitInput& in, const Segment& s) {
    Cut best;
    for (const int64_t a : in.candidates) {
        for (const int64_t b : in.candidates) {
            if (std::llabs(a - b) > kApart) {
                const Cut cut = BestCut(in, s, a, b);
                best = cut.score > best.score ? cut : best;
            }
        }
    }
    return best;
}

// Whether `lag` lies within kApart of a candidate lag.
bool NearCandidate(const SplitInput& in, int64_t lag) {
    return std::any_of(in.candidates.begin(), in.candidates.end(),
                       [&](int64_t c) { return std::llabs(c - lag) <= kApart; });
}

// Whether `lag` stands out in the correlation of the cues of [lo, hi) alone:
// its peak (within the refining distance) leads the best lag farther than
// kApart by the share asked of the whole match. The other candidate lags
// are no rivals: the cues of [lo, hi) may hold other parts, split off
// deeper down. Cues with no speech behind
// them anywhere (a stretch cut from the clip) fit some lag by chance only.
bool StandsOut(const SplitInput& in, int64_t lo, int64_t hi, int64_t lag) {
    if (in.correlator == nullptr) {
        return true;
    }
    const std::vector<float> corr = in.correlator->Correlate(in.cueSignal, lo, hi);
    const int64_t maxLag = in.correlator->MaxLag();
    float peak = std::numeric_limits<float>::lowest(), rival = peak;
    for (size_t i = 0; i < corr.size(); ++i) {
        const int64_t distance = std::llabs(static_cast<int64_t>(i) - maxLag - lag);
        if (distance <= kRefineSteps) {
            peak = std::max(peak, corr[i]);
        } else if (distance > kApart && !NearCandidate(in, static_cast<int64_t>(i) - maxLag)) {
            rival = std::max(rival, corr[i]);
        }
    }
    std::vector<float> sorted = corr;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<ptrdiff_t>(sorted.size() / 2),
                     sorted.end());
    const float median = sorted[sorted.size() / 2];
    return peak > median && (peak - rival) >= in.minConfidence * (peak - median);
}

void SplitInto(const SplitInput& in, const Segment& s, int depth, std::vector<SyncPart>& parts) {
    const Fit single = BestLag(in, s);
    if (depth > 0) {
        const Cut cut = BestSwitch(in, s);
        const double gain = cut.score - single.score;
        const int64_t at = gain > std::max(kLeastSplitGain, kSplitCost * std::abs(single.score))
                               ? StepAt(in.cues[cut.cue].start, in.ratio)
                               : -1;
        if (at > s.lo && StandsOut(in, s.lo, at, cut.before) &&
            StandsOut(in, at, s.hi, cut.after)) {
            SplitInto(in, {s.lo, at, s.cueLo, cut.cue}, depth - 1, parts);
            SplitInto(in, {at, s.hi, cut.cue, s.cueHi}, depth - 1, parts);
            return;
        }
    }
    const int64_t fromMs = s.cueLo == 0 ? 0 : in.cues[s.cueLo].start;
    parts.push_back({fromMs, Refine(in, s, single.lag) * kStepMs});
}

void AddLag(std::vector<int64_t>& lags, int64_t lag) {
    const bool known = std::any_of(lags.begin(), lags.end(),
                                   [&](int64_t l) { return std::llabs(l - lag) <= kRefineSteps; });
    if (!known) {
        lags.push_back(lag);
    }
}

// The best `count` lags of `corr`, each more than kApart from the others.
void AddPeaks(std::vector<int64_t>& lags, const std::vector<float>& corr, int64_t maxLag,
              int count) {
    std::vector<int64_t> found;
    for (int k = 0; k < count; ++k) {
        int64_t bestAt = -1;
        for (size_t i = 0; i < corr.size(); ++i) {
            const int64_t lag = static_cast<int64_t>(i) - maxLag;
            const bool free = std::all_of(found.begin(), found.end(),
                                          [&](int64_t f) { return std::llabs(f - lag) > kApart; });
            if (free && (bestAt < 0 || corr[i] > corr[static_cast<size_t>(bestAt)])) {
                bestAt = static_cast<int64_t>(i);
            }
        }
        if (bestAt < 0) {
            break;
        }
        found.push_back(bestAt - maxLag);
        AddLag(lags, bestAt - maxLag);
    }
}

}  // namespace

CentredSignal CueSignal(const std::vector<Cue>& cues, double ratio) {
    if (cues.empty()) {
        return {};
    }
    int64_t last = 0;
    for (const Cue& c : cues) {
        last = std::max(last, StepAt(c.end, ratio));
    }
    std::vector<int8_t> steps(static_cast<size_t>(last + 1), -1);
    for (const Cue& c : cues) {
        std::fill(steps.begin() + StepAt(c.start, ratio), steps.begin() + StepAt(c.end, ratio), 1);
    }
    return CentredSignal(std::move(steps));
}

std::vector<int64_t> CandidateLags(Correlator& correlator, const SplitInput& input,
                                   const std::vector<float>& corr) {
    std::vector<int64_t> lags{input.mainLag};
    AddPeaks(lags, corr, correlator.MaxLag(), kGlobalCandidates);
    const size_t quarter = input.cues.size() / 4;
    for (size_t q = 0; quarter >= kLeastPartCues && q < 4; ++q) {
        const size_t lo = q * quarter, hi = q == 3 ? input.cues.size() : lo + quarter;
        const int64_t from = StepAt(input.cues[lo].start, input.ratio);
        const int64_t to = std::min<int64_t>(StepAt(input.cues[hi - 1].end, input.ratio) + 1,
                                             static_cast<int64_t>(input.cueSignal.size()));
        AddPeaks(lags, correlator.Correlate(input.cueSignal, from, to), correlator.MaxLag(), 1);
    }
    return lags;
}

std::vector<SyncPart> SplitParts(const SplitInput& input, int depth) {
    std::vector<SyncPart> parts;
    const Segment whole{0, static_cast<int64_t>(input.cueSignal.size()), 0, input.cues.size()};
    SplitInto(input, whole, depth, parts);
    // Parts split apart deeper down may have come to the same lag: one part.
    std::vector<SyncPart> merged;
    for (const SyncPart& part : parts) {
        if (merged.empty() || std::llabs(part.offsetMs - merged.back().offsetMs) > kSameLagMs) {
            merged.push_back(part);
        }
    }
    return merged;
}

}  // namespace tavimo::sync
