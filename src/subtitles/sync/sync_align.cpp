#include "subtitles/sync/sync_align.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "subtitles/sync/sync_correlate.h"
#include "subtitles/sync/sync_joins.h"
#include "subtitles/sync/sync_onset.h"
#include "subtitles/sync/sync_onset_parts.h"
#include "subtitles/sync/sync_split.h"

namespace tavimo::sync {
namespace {

constexpr int64_t kShortestClipSteps = 30'000 / kStepMs;
constexpr int64_t kRivalDistance = 2'000 / kStepMs;  // rivals stand this far from the peak
constexpr int64_t kSameLagSteps = 20;                // candidate lags this close are one
constexpr double kLeastSpeechShare = 0.02;
constexpr size_t kLeastCues = 3;
// Why a match that no offset wins, or that the onsets contradict, is refused.
constexpr char kNoClearMatch[] = "no clear match between the subtitles and the speech";
// Another ratio than none must beat it by this share of its peak; one 0.1%
// from none (24 against 23.976) by more, as on a clip of less than about
// ten minutes its drift changes the spans' fit no more than chance does.
// The onsets decide those (FitRate).
constexpr double kRatioMargin = 0.03, kDriftMargin = 0.1;
// Of two ratios 0.1% apart, neither of them none (25/24 and 25/23.976), the
// higher peak is taken as it is only when it leads the other's by this
// share; closer, the onsets' drift decides (FitRate). On 5-minute clips
// timed by hand the wrong one of such a pair came up to 0.09% higher, and
// the right one, where the drift pointed the wrong way over music, 1.03%
// higher; on made-up signals a margin of 1% already let the drift spoil a
// pick the peaks had right.
constexpr double kNeighbourMargin = 0.005;

struct Peak {
    int64_t lag = 0;  // steps
    float value = 0;
    float rival = 0;   // best value farther than kRivalDistance
    float median = 0;  // of all lags
    double Confidence() const {
        const double lead = value - median;
        return lead <= 0 ? 0.0 : std::clamp((value - rival) / lead, 0.0, 1.0);
    }
};

float Median(std::vector<float> values) {
    auto middle = values.begin() + static_cast<ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The best lag of `corr` (index = lag + maxLag), the centre of its flat top,
// and its best rival outside the lags in `taken` (each +- kRivalDistance).
Peak FindPeak(const std::vector<float>& corr, int64_t maxLag, const std::vector<int64_t>& taken) {
    Peak peak;
    const auto best = std::max_element(corr.begin(), corr.end());
    peak.value = *best;
    const int64_t at = best - corr.begin();
    // Centre of the lags next to the peak that come within 1% of its lead.
    peak.median = Median(corr);
    const float near = peak.value - 0.01f * (peak.value - peak.median);
    int64_t lo = at, hi = at;
    while (lo > 0 && corr[static_cast<size_t>(lo - 1)] >= near) {
        --lo;
    }
    while (hi + 1 < static_cast<int64_t>(corr.size()) &&
           corr[static_cast<size_t>(hi + 1)] >= near) {
        ++hi;
    }
    peak.lag = (lo + hi) / 2 - maxLag;
    std::vector<int64_t> excluded = taken;
    excluded.push_back(peak.lag);
    peak.rival = std::numeric_limits<float>::lowest();
    for (size_t i = 0; i < corr.size(); ++i) {
        const int64_t lag = static_cast<int64_t>(i) - maxLag;
        const bool far = std::all_of(excluded.begin(), excluded.end(), [&](int64_t t) {
            return std::llabs(lag - t) > kRivalDistance;
        });
        if (far) {
            peak.rival = std::max(peak.rival, corr[i]);
        }
    }
    return peak;
}

SyncResult Refused(std::string reason) {
    SyncResult r;
    r.reason = std::move(reason);
    return r;
}

// A ratio tried: its correlation and peak. The cue signal is made again for
// the ratio chosen rather than kept for each.
struct RateMatch {
    RateChange rate;
    std::vector<float> corr;
    Peak peak;
    bool standsOut = true;  // from the ratio 0.1% away, when that is not none either
};

// Tries every known ratio; the one with the highest peak, with no ratio
// preferred unless another clearly beats it, and whether it stands out from
// its neighbour 0.1% away.
RateMatch BestRate(Correlator& correlator, const std::vector<Cue>& cues) {
    RateMatch best, identity;
    std::vector<std::pair<RateChange, float>> leads;
    for (const RateChange& rate : KnownRateChanges()) {
        RateMatch m{rate, correlator.Correlate(CueSignal(cues, rate.Ratio())), {}};
        m.peak = FindPeak(m.corr, correlator.MaxLag(), {});
        leads.emplace_back(rate, m.peak.value - m.peak.median);
        if (rate.Identity()) {
            identity = m;
        }
        if (best.corr.empty() || m.peak.value > best.peak.value) {
            best = std::move(m);
        }
    }
    const float lead = identity.peak.value - identity.peak.median;
    const float bestLead = best.peak.value - best.peak.median;
    const double margin = IsDrift(best.rate, identity.rate) ? kDriftMargin : kRatioMargin;
    if (!best.rate.Identity() && bestLead < (1 + margin) * lead) {
        return identity;
    }
    for (const auto& [rate, other] : leads) {
        if (!best.rate.Identity() && !rate.Identity() && IsDrift(rate, best.rate) &&
            bestLead < (1 + kNeighbourMargin) * other) {
            best.standsOut = false;
        }
    }
    return best;
}

// Whether at least half of each part's cues land within the clip: a match
// that puts most subtitles before its start or after its end matched an
// edge by chance.
bool MostCuesInside(const SyncResult& result, const std::vector<Cue>& cues, size_t steps) {
    const int64_t lengthMs = static_cast<int64_t>(steps) * kStepMs;
    for (size_t p = 0; p < result.parts.size(); ++p) {
        const int64_t from = result.parts[p].fromMs;
        const int64_t to = p + 1 < result.parts.size() ? result.parts[p + 1].fromMs : INT64_MAX;
        size_t inside = 0, all = 0;
        for (const Cue& c : cues) {
            if (c.start >= from && c.start < to) {
                ++all;
                const int64_t at = result.Map(c.start);
                inside += at >= 0 && at < lengthMs;
            }
        }
        if (2 * inside < all) {
            return false;
        }
    }
    return true;
}

// The cues that can land in the clip: with the smallest ratio tried and the
// largest offset, a cue ending later than this (subtitle ms) cannot. A file
// may hold absurd times (a cue ending at 500,000 hours); they are left out,
// so that the signals stay the size of the clip plus the search range.
std::vector<Cue> CuesWithinReach(const std::vector<Cue>& cues, size_t steps, int64_t maxOffsetMs) {
    double least = 1;
    for (const RateChange& rate : KnownRateChanges()) {
        least = std::min(least, rate.Ratio());
    }
    const double reach =
        static_cast<double>(static_cast<int64_t>(steps) * kStepMs + maxOffsetMs) / least;
    std::vector<Cue> within;
    for (const Cue& c : cues) {
        if (c.start >= 0 && static_cast<double>(c.end) <= reach) {
            within.push_back(c);
        }
    }
    return within;
}

// Moves the parts of `result` to where their cue starts lead the word
// `onsets`, to the drift their onsets show (any drift when its ratio did not
// stand out: `rateStandsOut`) and their joins to the cues that fit each
// side; whether the onsets then confirm every part. Parts found from the
// onsets (`byOnsets`) are confirmed as they were found, against the offsets
// around them: over music, a part's starts alone may fit one of the 72
// offsets around it as well by chance.
bool Settled(const Activity& speech, const std::vector<int64_t>& onsets,
             const std::vector<Cue>& cues, SyncResult& result, bool rateStandsOut, bool byOnsets) {
    // The spans put the file within a few tenths of a second; their starts
    // against the speech's onsets say where within them.
    FitToOnsets(speech, onsets, cues, result);
    FitRate(speech, onsets, cues, result, !rateStandsOut);
    // The ratio told, the ends the detector heard late no longer pull the
    // offsets: the rate's costs were measured with them at the full price.
    FitToOnsets(speech, onsets, cues, result, true);
    PlaceJoins(speech, onsets, cues, result);
    const bool confirmed = byOnsets ? PartsStandOut(speech, onsets, cues, result)
                                    : OnsetsConfirm(onsets, cues, result);
    return confirmed && PartsHoldTheirCues(speech, onsets, cues, result);
}

// The offsets (ms) the parts may take when found from the onsets: the
// split's candidate lags and those where stretches of the cue starts lead
// the onsets.
std::vector<int64_t> OnsetCandidates(const std::vector<int64_t>& onsets,
                                     const std::vector<Cue>& cues, const SplitInput& split,
                                     int64_t maxLag) {
    std::vector<int64_t> lags = split.candidates;
    const std::vector<int64_t> more = OnsetLags(onsets, cues, split.ratio, maxLag);
    lags.insert(lags.end(), more.begin(), more.end());
    std::sort(lags.begin(), lags.end());
    std::vector<int64_t> ms;
    for (size_t i = 0; i < lags.size(); ++i) {
        if (i == 0 || lags[i] - lags[i - 1] > kSameLagSteps) {
            ms.push_back(lags[i] * kStepMs);
        }
    }
    return ms;
}

// The match found from the onsets (OnsetParts) among the offsets
// `candidatesMs`, or the refusal.
SyncResult MatchOnsets(const Activity& speech, const std::vector<int64_t>& onsets,
                       const std::vector<Cue>& cues, const RateMatch& rate,
                       const std::vector<int64_t>& candidatesMs) {
    SyncResult result;
    result.rate = rate.rate;
    result.parts = OnsetParts(speech, onsets, cues, rate.rate.Ratio(), candidatesMs);
    if (result.parts.empty() || !MostCuesInside(result, cues, speech.size()) ||
        !Settled(speech, onsets, cues, result, rate.standsOut, true)) {
        return Refused(kNoClearMatch);
    }
    result.matched = true;
    return result;
}

}  // namespace

const std::vector<RateChange>& KnownRateChanges() {
    static const std::vector<RateChange> kRates = {
        {1, 1}, {25, 24}, {24, 25}, {25, 23.976}, {23.976, 25}, {24, 23.976}, {23.976, 24},
    };
    return kRates;
}

bool IsDrift(const RateChange& a, const RateChange& b) {
    return std::abs(std::abs(a.Ratio() / b.Ratio() - 1) - 0.001) < 0.0002;
}

int64_t SyncResult::Map(int64_t ms) const {
    int64_t offset = parts.empty() ? 0 : parts.front().offsetMs;
    for (const SyncPart& part : parts) {
        if (ms >= part.fromMs) {
            offset = part.offsetMs;
        }
    }
    return std::llround(static_cast<double>(ms) * rate.Ratio()) + offset;
}

namespace {

// Align without the drift asked of it.
SyncResult AlignOnce(const Activity& speech, const std::vector<Cue>& allCues,
                     const AlignOptions& options) {
    if (static_cast<int64_t>(speech.size()) < kShortestClipSteps) {
        return Refused("the clip is shorter than 30 s");
    }
    const std::vector<Cue> cues = CuesWithinReach(allCues, speech.size(), options.maxOffsetMs);
    if (cues.size() < kLeastCues) {
        return Refused("too few subtitles to match");
    }
    if (SpeechShare(speech) < kLeastSpeechShare) {
        return Refused("no speech heard in the audio");
    }
    const CentredSignal centred(speech);
    const int64_t maxLag = options.maxOffsetMs / kStepMs;
    Correlator correlator(centred, maxLag);
    RateMatch match = BestRate(correlator, cues);
    const CentredSignal cueSignal = CueSignal(cues, match.rate.Ratio());

    SplitInput split{centred,        cueSignal, cues,        match.rate.Ratio(),
                     match.peak.lag, {},        &correlator, options.minConfidence};
    split.candidates = CandidateLags(correlator, split, match.corr);
    std::vector<SyncPart> parts = SplitParts(split, options.maxSplitDepth);

    std::vector<int64_t> taken;
    for (const SyncPart& part : parts) {
        taken.push_back(part.offsetMs / kStepMs);
    }
    const Peak judged = FindPeak(match.corr, maxLag, taken);
    SyncResult result;
    result.confidence = judged.Confidence();
    result.rate = match.rate;
    result.parts = std::move(parts);
    const std::vector<int64_t> onsets = WordOnsets(speech);
    if (result.confidence >= options.minConfidence && MostCuesInside(result, cues, speech.size()) &&
        Settled(speech, onsets, cues, result, match.standsOut, false)) {
        result.matched = true;
        return result;
    }
    // Over music heard as speech, the spans of a short part may not stand
    // out; the cue starts against the onsets may still place every part.
    return MatchOnsets(speech, onsets, cues, match, OnsetCandidates(onsets, cues, split, maxLag));
}

}  // namespace

SyncResult Align(const Activity& speech, const std::vector<Cue>& cues,
                 const AlignOptions& options) {
    SyncResult result = AlignOnce(speech, cues, options);
    if (!result.matched || options.mostDrift <= 0) {
        return result;
    }
    // Parts of a cut clip too short for a drift to tell take it up in
    // their offsets: there is nothing to refuse.
    const std::vector<int64_t> onsets = WordOnsets(speech);
    if (DriftMatters(speech, onsets, cues, result) &&
        !(std::abs(OnsetsDrift(speech, onsets, cues, result)) < options.mostDrift)) {
        return Refused(kNoClearMatch);
    }
    return result;
}

}  // namespace tavimo::sync
