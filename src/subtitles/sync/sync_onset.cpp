#include "subtitles/sync/sync_onset.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavimo::sync {

Cue AtRatio(const Cue& c, double ratio) {
    return {std::llround(static_cast<double>(c.start) * ratio),
            std::llround(static_cast<double>(c.end) * ratio)};
}

size_t FirstCueFrom(const std::vector<Cue>& cues, int64_t ms) {
    return static_cast<size_t>(
        std::lower_bound(cues.begin(), cues.end(), ms,
                         [](const Cue& c, int64_t t) { return c.start < t; }) -
        cues.begin());
}

namespace {

constexpr int64_t kReachMs = 800;  // an offset moves at most this far
// Where a person puts a cue against its words: the start this much before
// them, the end this much after (people keep a line 0.2-0.8 s; a file timed
// to the words ends on them, and a pause the detector finds inside the words
// must not pass for their end).
constexpr int64_t kLeastLeadMs = 0, kMostLeadMs = 300;
constexpr int64_t kLeastTailMs = 0, kMostTailMs = 800;
constexpr double kEndWeight = 0.5;
// No cue costs more than this: one far from any onset (words the detector
// missed, a line with no speech behind it) does not pull the others.
constexpr double kMostCostMs = 500;
// An onset before a cue's start, or a speech end after its end, costs no
// more than this in the offset's fit: mostly a bed heard as speech up to the
// words or past them (FitLeadCost, FitEndCost).
constexpr double kMostLateCostMs = 150;
constexpr int64_t kLookMs = 1'500;  // onsets and ends looked for this far around
constexpr size_t kLeastCues = 15;   // fewer say too little (a crowd's voices make onsets too)
// A part of fewer cues, down to kFewestCues (a short stretch of a cut clip
// over music), moves only when they gain kLeastGainPerFewCueMs a cue, and
// no farther than a cue's lead: a wrong move costs less than the spans'
// early bias it takes off (0.15-0.4 s over music).
constexpr size_t kFewestCues = 10;
constexpr int64_t kFewCuesReachMs = 300;
constexpr double kLeastGainPerFewCueMs = 10;
// A ratio 0.1% off shows as onsets drifting from the cue starts by about
// 0.001 ms per ms; a right one leaves less than 0.0001 on our clips. The
// drift is told from this many cues at least, each paired with an onset
// within kDriftLookMs of where its lead allows one, slopes taken between
// cues at least kDriftPairApartMs apart.
constexpr size_t kLeastRateCues = 20;
constexpr double kLeastDrift = 0.0006;
constexpr int64_t kDriftLookMs = 300, kDriftPairApartMs = 10'000;
// A ratio 0.1% off puts the cues at the ends of a part this long 0.12 s
// from its middle. A shorter one of several parts takes such a drift up in
// its own offset, and its few cues' leads scatter too much to tell it: the
// slopes between them came to 0.0005-0.0025 over music with no drift.
constexpr int64_t kLeastDriftPartMs = 240'000;
// Of two ratios 0.1% apart that the spans leave undecided, the other one is
// taken when its onsets drift less by this much (about 0 at the right one,
// 0.001 at the wrong one). On our clips the right one drifted 0.00044 (over
// music at +15 dB) to 0.00098 less; a wrong one 0.00035 less over music at
// +5 dB, where the peaks had told the two apart. On 1,920 made-up 5-minute
// signals under heavy faults the rule put 13 picks right and 3 wrong
// (0.00042-0.00048 less).
constexpr double kDecisiveDrift = 0.0004;
// Offsets whose cost comes within this much per cue of the least are as
// good; the middle of them is taken.
constexpr double kEvenPerCueMs = 2;
// The least gain over the spans' offset worth a move, per cue.
constexpr double kLeastGainPerCueMs = 1;
// No offset this far from a right match's and farther, up to
// kFarthestRivalMs in steps of kRivalStepMs, fits its cue starts better.
constexpr int64_t kNearestRivalMs = 2'000, kFarthestRivalMs = 20'000, kRivalStepMs = 500;

// How far `x` lies outside [lo, hi], at most kMostCostMs.
double Outside(int64_t x, int64_t lo, int64_t hi) {
    const int64_t d = x < lo ? lo - x : x > hi ? x - hi : 0;
    return std::min(static_cast<double>(d), kMostCostMs);
}

// What a cue's start costs against an onset `lead` ms after it.
double LeadCost(int64_t lead) {
    return Outside(lead, kLeastLeadMs, kMostLeadMs);
}

// What a cue's end costs against a speech end `tail` ms after it.
double EndCost(int64_t tail) {
    return Outside(-tail, kLeastTailMs, kMostTailMs);
}

// LeadCost, for the offset's fit: an onset well before the start costs no
// more than kMostLateCostMs. It is mostly not the words' own but a bed's,
// heard as speech up to them (a crowd, music); at the full price, the cues
// after such onsets would pull the whole file early.
double FitLeadCost(int64_t lead) {
    return std::min(LeadCost(lead), lead < kLeastLeadMs ? kMostLateCostMs : kMostCostMs);
}

// EndCost, for the offset's fit: a speech end well after the cue's end
// costs no more than kMostLateCostMs. Over music the detector keeps hearing
// speech past the words (ends 0.5 s late and more over music at 0 dB); at
// the full price, those ends would pull the whole file late.
double FitEndCost(int64_t tail) {
    return std::min(EndCost(tail), -tail < kLeastTailMs ? kMostLateCostMs : kMostCostMs);
}

// The least `cost(t - at)` over the times t of `times` within kLookMs of
// `at`, and kMostCostMs when there is none.
template <typename Cost>
double Nearest(const std::vector<int64_t>& times, int64_t at, Cost cost) {
    double best = kMostCostMs;
    for (auto it = std::lower_bound(times.begin(), times.end(), at - kLookMs);
         it != times.end() && *it <= at + kLookMs; ++it) {
        best = std::min(best, cost(*it - at));
    }
    return best;
}

// Whether an onset could follow a cue starting at `atMs` by 0-0.3 s at some
// offset tried: a cue with none (its words in music the detector calls
// speech throughout) costs the same at every offset and says nothing.
bool OnsetWithinReach(const std::vector<int64_t>& onsets, int64_t atMs) {
    const auto it = std::lower_bound(onsets.begin(), onsets.end(), atMs - kReachMs);
    return it != onsets.end() && *it <= atMs + kReachMs + kMostLeadMs;
}

// A cue of one part in clip ms at offset 0: its start and end at the ratio.
struct Span {
    int64_t start = 0, end = 0;
};

struct Edges {
    const std::vector<int64_t>& onsets;
    std::vector<int64_t> ends;
    double (*endCost)(int64_t tail) = EndCost;
};

// The cost of the part's cues at `offsetMs`.
double Cost(const Edges& edges, const std::vector<Span>& spans, int64_t offsetMs) {
    double sum = 0;
    for (const Span& s : spans) {
        sum += Nearest(edges.onsets, s.start + offsetMs, FitLeadCost);
        sum += kEndWeight * Nearest(edges.ends, s.end + offsetMs, edges.endCost);
    }
    return sum;
}

// The offset within `reachMs` of `offsetMs` with the least cost: the middle
// of the run of offsets that come as close to it as makes no difference.
// `offsetMs` itself when it costs less than `leastGainPerCueMs` a cue more:
// where the detector hears pauses inside the words (or misses the pauses
// between them) the costs run flat, and the spans' answer is the better one.
int64_t BestOffset(const Edges& edges, const std::vector<Span>& spans, int64_t offsetMs,
                   int64_t reachMs, double leastGainPerCueMs) {
    std::vector<double> costs;
    for (int64_t d = -reachMs; d <= reachMs; d += kStepMs) {
        costs.push_back(Cost(edges, spans, offsetMs + d));
    }
    const auto least = std::min_element(costs.begin(), costs.end());
    const double here = costs[static_cast<size_t>(reachMs / kStepMs)];
    const auto n = static_cast<double>(spans.size());
    if (here - *least < leastGainPerCueMs * n) {
        return offsetMs;
    }
    const double even = *least + kEvenPerCueMs * n;
    size_t lo = static_cast<size_t>(least - costs.begin()), hi = lo;
    while (lo > 0 && costs[lo - 1] <= even) {
        --lo;
    }
    while (hi + 1 < costs.size() && costs[hi + 1] <= even) {
        ++hi;
    }
    return offsetMs - reachMs + static_cast<int64_t>((lo + hi) / 2) * kStepMs;
}

// What the starts of `cues` (subtitle ms) cost at `ratio` and `offsetMs`
// against the word `onsets`.
double StartsCost(const std::vector<int64_t>& onsets, const std::vector<Cue>& cues, double ratio,
                  int64_t offsetMs) {
    double sum = 0;
    for (const Cue& c : cues) {
        const int64_t at = AtRatio(c, ratio).start + offsetMs;
        sum += Nearest(onsets, at, FitLeadCost);
    }
    return sum;
}

// The cues of part `p` of `result` that the onset fit weighs: those in
// stretches listened to, with an onset within reach of their start.
std::vector<Cue> WeighedCues(const Activity& speech, const std::vector<int64_t>& onsets,
                             const std::vector<Cue>& cues, const SyncResult& result, size_t p) {
    const double ratio = result.rate.Ratio();
    const SyncPart& part = result.parts[p];
    const int64_t to = p + 1 < result.parts.size() ? result.parts[p + 1].fromMs : INT64_MAX;
    std::vector<Cue> weighed;
    for (size_t c = FirstCueFrom(cues, part.fromMs); c < cues.size() && cues[c].start < to; ++c) {
        const Cue s = AtRatio(cues[c], ratio);
        if (Heard(speech, s.start + part.offsetMs - kLookMs - kReachMs,
                  s.end + part.offsetMs + kLookMs + kReachMs) &&
            OnsetWithinReach(onsets, s.start + part.offsetMs)) {
            weighed.push_back(cues[c]);
        }
    }
    return weighed;
}

// Whether a part of `result`, of which WeighedCues picks `weighed`, tells a
// drift: the only part, or one of several whose weighed cues span
// kLeastDriftPartMs or more of the clip.
bool TellsDrift(const std::vector<Cue>& weighed, const SyncResult& result) {
    if (result.parts.size() == 1) {
        return true;
    }
    const double ratio = result.rate.Ratio();
    return !weighed.empty() &&
           AtRatio(weighed.back(), ratio).start - AtRatio(weighed.front(), ratio).start >=
               kLeastDriftPartMs;
}

// `cues` in clip ms at `ratio` and offset 0.
std::vector<Span> SpansAt(const std::vector<Cue>& cues, double ratio) {
    std::vector<Span> spans;
    for (const Cue& c : cues) {
        const Cue at = AtRatio(c, ratio);
        spans.push_back({at.start, at.end});
    }
    return spans;
}

// The known ratios 0.1% from `rate` either way.
std::vector<RateChange> NeighbourRates(const RateChange& rate) {
    std::vector<RateChange> near;
    for (const RateChange& r : KnownRateChanges()) {
        if (IsDrift(r, rate)) {
            near.push_back(r);
        }
    }
    return near;
}

}  // namespace

// How fast the word onsets move away from the cue starts of `result`, in
// ms per ms of the clip: the median slope between pairs of a part's cues
// at least kDriftPairApartMs apart (robust to a cue paired with the wrong
// onset), each cue of WeighedCues paired with the onset nearest to the
// middle of its lead, over the parts that tell a drift (TellsDrift). NaN
// when fewer than kLeastRateCues cues pair.
double OnsetsDrift(const Activity& speech, const std::vector<int64_t>& onsets,
                   const std::vector<Cue>& cues, const SyncResult& result) {
    std::vector<double> slopes;
    size_t paired = 0;
    for (size_t p = 0; p < result.parts.size(); ++p) {
        const std::vector<Cue> weighed = WeighedCues(speech, onsets, cues, result, p);
        if (!TellsDrift(weighed, result)) {
            continue;
        }
        std::vector<std::pair<int64_t, int64_t>> points;  // (cue start, onset less start)
        for (const Cue& c : weighed) {
            const int64_t at = AtRatio(c, result.rate.Ratio()).start + result.parts[p].offsetMs;
            const int64_t aim = at + (kLeastLeadMs + kMostLeadMs) / 2;
            int64_t best = INT64_MAX;
            for (auto it = std::lower_bound(onsets.begin(), onsets.end(),
                                            at + kLeastLeadMs - kDriftLookMs);
                 it != onsets.end() && *it <= at + kMostLeadMs + kDriftLookMs; ++it) {
                best = std::llabs(*it - aim) < std::llabs(best - aim) ? *it : best;
            }
            if (best != INT64_MAX) {
                points.emplace_back(at, best - at);
            }
        }
        for (size_t i = 0; i < points.size(); ++i) {
            for (size_t j = i + 1; j < points.size(); ++j) {
                const int64_t apart = points[j].first - points[i].first;
                if (apart >= kDriftPairApartMs) {
                    slopes.push_back(static_cast<double>(points[j].second - points[i].second) /
                                     static_cast<double>(apart));
                }
            }
        }
        paired += points.size();
    }
    if (paired < kLeastRateCues || slopes.empty()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    auto middle = slopes.begin() + static_cast<ptrdiff_t>(slopes.size() / 2);
    std::nth_element(slopes.begin(), middle, slopes.end());
    return *middle;
}

namespace {

// What a cue of `result` costs on average against the onsets and ends (as
// FitToOnsets weighs them), over the cues WeighedCues picks.
double CostPerCue(const Activity& speech, const std::vector<int64_t>& onsets,
                  const std::vector<Cue>& cues, const SyncResult& result) {
    const Edges edges{onsets, SpeechEnds(speech)};
    double sum = 0;
    size_t n = 0;
    for (size_t p = 0; p < result.parts.size(); ++p) {
        const std::vector<Span> spans =
            SpansAt(WeighedCues(speech, onsets, cues, result, p), result.rate.Ratio());
        sum += Cost(edges, spans, result.parts[p].offsetMs);
        n += spans.size();
    }
    return n == 0 ? kMostCostMs : sum / static_cast<double>(n);
}

// `result` at `rate`, each part's offset moved so that its middle cue
// stays where it was.
SyncResult AtRate(const SyncResult& result, const std::vector<Cue>& cues, const RateChange& rate) {
    SyncResult moved = result;
    moved.rate = rate;
    for (size_t p = 0; p < moved.parts.size(); ++p) {
        const int64_t to = p + 1 < moved.parts.size() ? moved.parts[p + 1].fromMs : INT64_MAX;
        const size_t middle =
            (FirstCueFrom(cues, moved.parts[p].fromMs) + FirstCueFrom(cues, to)) / 2;
        if (middle < cues.size()) {
            moved.parts[p].offsetMs += std::llround(static_cast<double>(cues[middle].start) *
                                                    (result.rate.Ratio() - rate.Ratio()));
        }
    }
    return moved;
}

}  // namespace

bool DriftMatters(const Activity& speech, const std::vector<int64_t>& onsets,
                  const std::vector<Cue>& cues, const SyncResult& result) {
    for (size_t p = 0; p < result.parts.size(); ++p) {
        if (TellsDrift(WeighedCues(speech, onsets, cues, result, p), result)) {
            return true;
        }
    }
    return false;
}

double CueFit(const Activity& speech, const std::vector<int64_t>& onsets,
              const std::vector<int64_t>& ends, const Cue& s, int64_t offsetMs) {
    const int64_t n = static_cast<int64_t>(speech.size());
    const int64_t from = std::clamp<int64_t>((s.start + offsetMs) / kStepMs, 0, n);
    const int64_t to = std::clamp<int64_t>((s.end + offsetMs) / kStepMs, from, n);
    int64_t heard = 0, spoken = 0;
    for (int64_t i = from; i < to; ++i) {
        heard += speech[static_cast<size_t>(i)] != 0;
        spoken += speech[static_cast<size_t>(i)] > 0;
    }
    const double share =
        heard == 0 ? 0.5 : static_cast<double>(spoken) / static_cast<double>(heard);
    const double onset = Nearest(onsets, s.start + offsetMs, LeadCost);
    const double end = Nearest(ends, s.end + offsetMs, EndCost);
    return 2 * std::max(0.0, share - 0.5) + 1 - onset / kMostCostMs +
           kEndWeight * (1 - end / kMostCostMs);
}

void FitToOnsets(const Activity& speech, const std::vector<int64_t>& onsets,
                 const std::vector<Cue>& cues, SyncResult& result, bool endsHeardLate) {
    const Edges edges{onsets, SpeechEnds(speech), endsHeardLate ? FitEndCost : EndCost};
    for (size_t p = 0; p < result.parts.size(); ++p) {
        const std::vector<Span> spans =
            SpansAt(WeighedCues(speech, onsets, cues, result, p), result.rate.Ratio());
        int64_t& offset = result.parts[p].offsetMs;
        int64_t best = offset;
        if (spans.size() >= kLeastCues) {
            best = BestOffset(edges, spans, offset, kReachMs, kLeastGainPerCueMs);
        } else if (spans.size() >= kFewestCues) {
            best = BestOffset(edges, spans, offset, kFewCuesReachMs, kLeastGainPerFewCueMs);
        }
        // Late ends at a lower price favour earlier offsets only: a later
        // best is the middle of a run of costs the lower price flattened.
        offset = endsHeardLate ? std::min(offset, best) : best;
    }
}

void FitRate(const Activity& speech, const std::vector<int64_t>& onsets,
             const std::vector<Cue>& cues, SyncResult& result, bool undecided) {
    const double drift = OnsetsDrift(speech, onsets, cues, result);
    if (!(std::abs(drift) >= (undecided ? kDecisiveDrift : kLeastDrift))) {
        return;  // also when too few cues tell
    }
    for (const RateChange& rate : NeighbourRates(result.rate)) {
        if ((rate.Ratio() > result.rate.Ratio()) == (drift > 0)) {
            SyncResult moved = AtRate(result, cues, rate);
            FitToOnsets(speech, onsets, cues, moved);
            const double movedDrift = std::abs(OnsetsDrift(speech, onsets, cues, moved));
            const bool plain =
                std::abs(drift) >= kLeastDrift && movedDrift < kLeastDrift &&
                CostPerCue(speech, onsets, cues, moved) < CostPerCue(speech, onsets, cues, result);
            // Undecided, a clearly smaller drift is enough: over music the
            // onsets' cost may favour either of two ratios so close.
            const bool decisive = undecided && std::abs(drift) - movedDrift >= kDecisiveDrift;
            if (plain || decisive) {
                result = std::move(moved);
                return;
            }
        }
    }
}

bool OnsetsConfirm(const std::vector<int64_t>& onsets, const std::vector<Cue>& cues,
                   const SyncResult& result) {
    const double ratio = result.rate.Ratio();
    for (size_t p = 0; p < result.parts.size(); ++p) {
        const int64_t from = result.parts[p].fromMs;
        const int64_t to = p + 1 < result.parts.size() ? result.parts[p + 1].fromMs : INT64_MAX;
        const std::vector<Cue> part(cues.begin() + static_cast<ptrdiff_t>(FirstCueFrom(cues, from)),
                                    cues.begin() + static_cast<ptrdiff_t>(FirstCueFrom(cues, to)));
        const int64_t offset = result.parts[p].offsetMs;
        const double here = StartsCost(onsets, part, ratio, offset);
        for (int64_t d = kNearestRivalMs; d <= kFarthestRivalMs; d += kRivalStepMs) {
            if (StartsCost(onsets, part, ratio, offset - d) < here ||
                StartsCost(onsets, part, ratio, offset + d) < here) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace tavimo::sync
