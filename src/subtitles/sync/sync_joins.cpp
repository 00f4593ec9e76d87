#include "subtitles/sync/sync_joins.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "subtitles/sync/sync_onset.h"

namespace tavimo::sync {
namespace {

// What a cue must fit (CueFit) to count for a part at a join rather than
// for neither: off its words a cue mostly fits under this, on them 1.6-2.5.
// Taken at the earlier offset, a cue whose words were cut lands on the
// later part's speech and may fit 1.3-2 by chance; below 1 two such cues
// can outweigh the later part's first cue on its words. A cut's length may
// be this far off (the offsets, and a cue's start from its words).
constexpr double kChanceFit = 1.2;
constexpr int64_t kCutSlackMs = 2'000;
// The offsets a stretch of cues is weighed against, either side of its own;
// it is unfit when more than kMostBeaten of them fit it as well or better
// (a right match's stretches are beaten by 0-3 of the 72, chance ones by
// about half of them).
constexpr int64_t kNearestDecoyMs = 2'000, kFarthestDecoyMs = 20'000, kDecoyStepMs = 500;
constexpr int kMostBeaten = 7;
constexpr int64_t kHalfStretchMs = 15'000;
// Unfit runs this long or longer refuse the match: a crowd or music the
// detector hears as speech throughout leaves runs of up to about 60 s in
// right matches.
constexpr int64_t kLongestUnfitMs = 70'000;
// A run goes on past this many cues in a row that fit by chance.
constexpr int kFittingInARun = 1;

// A side of a join: the fits (less kChanceFit) of the window's cues at the
// side's offset, and their prefix sums.
struct Side {
    std::vector<double> sums{0};  // sums[k]: cues [0, k)
    double Of(size_t from, size_t to) const { return sums[to] - sums[from]; }
};

// Where a join goes among n cues `spans` (clip ms at offset 0): the first
// cue j of the later part and the last cue i (or none) of the earlier one,
// where the cues fit their parts best. The cues between them count for
// neither side (and stay with the earlier part): only where the later part
// starts earlier in the clip (cutMs > 0, a stretch that long cut from it)
// and their starts fit within the cut. In the clip, i must end before j
// starts (within kCutSlackMs): else cues whose words were cut, which land
// on the later part's words at the earlier offset, could take the earlier
// part past the join. Returns j.
size_t BestJoin(const Side& a, const Side& b, const std::vector<Cue>& spans, int64_t cutMs) {
    const size_t n = spans.size();
    size_t bestJ = n;
    double best = std::numeric_limits<double>::lowest();
    for (size_t j = 0; j < n; ++j) {
        for (size_t before = j;; --before) {  // cues [before, j) take neither side
            const bool within =
                before == j ||
                (cutMs > 0 && spans[j - 1].start - spans[before].start <= cutMs + kCutSlackMs);
            if (!within) {
                break;
            }
            const bool apart = before == 0 || cutMs <= 0 ||
                               spans[j].start - spans[before - 1].end >= cutMs - kCutSlackMs;
            const double score = a.Of(0, before) + b.Of(j, n);
            if (apart && score > best) {
                best = score;
                bestJ = j;
            }
            if (before == 0) {
                break;
            }
        }
    }
    return bestJ;
}

// 0 and the offsets kNearestDecoyMs..kFarthestDecoyMs either way.
std::vector<int64_t> Decoys() {
    std::vector<int64_t> deltas{0};
    for (int64_t d = kNearestDecoyMs; d <= kFarthestDecoyMs; d += kDecoyStepMs) {
        deltas.push_back(d);
        deltas.push_back(-d);
    }
    return deltas;
}

// A cue heard at its part's offset: its part, its start (subtitle ms) and
// its CueFit at the part's offset moved by each of Decoys().
struct Judged {
    size_t part = 0;
    int64_t start = 0;
    std::vector<double> fits;
};

std::vector<Judged> JudgedCues(const Activity& speech, const std::vector<int64_t>& onsets,
                               const std::vector<Cue>& cues, const SyncResult& result) {
    const double ratio = result.rate.Ratio();
    const std::vector<int64_t> decoys = Decoys(), ends = SpeechEnds(speech);
    std::vector<Judged> judged;
    for (size_t p = 0; p < result.parts.size(); ++p) {
        const int64_t to = p + 1 < result.parts.size() ? result.parts[p + 1].fromMs : INT64_MAX;
        const int64_t offset = result.parts[p].offsetMs;
        for (size_t c = FirstCueFrom(cues, result.parts[p].fromMs);
             c < cues.size() && cues[c].start < to; ++c) {
            const Cue s = AtRatio(cues[c], ratio);
            if (Heard(speech, s.start + offset, s.end + offset)) {
                Judged j{p, cues[c].start, {}};
                for (const int64_t d : decoys) {
                    j.fits.push_back(CueFit(speech, onsets, ends, s, offset + d));
                }
                judged.push_back(std::move(j));
            }
        }
    }
    return judged;
}

// Whether the cues of judged[i]'s part within kHalfStretchMs of it fit
// their offset no better than more than kMostBeaten of the decoys.
bool Unfit(const std::vector<Judged>& judged, size_t i) {
    std::vector<double> sums(judged[i].fits.size(), 0.0);
    for (const Judged& j : judged) {
        if (j.part == judged[i].part && std::llabs(j.start - judged[i].start) <= kHalfStretchMs) {
            std::transform(sums.begin(), sums.end(), j.fits.begin(), sums.begin(), std::plus<>());
        }
    }
    return std::count_if(sums.begin() + 1, sums.end(), [&](double s) { return s >= sums[0]; }) >
           kMostBeaten;
}

// How much of [fromMs, toMs] (subtitle ms) lies outside the stretch around
// a join where the cues of a cut (the later part's offset that much less)
// and those judged with them fit nowhere.
int64_t OutsideCuts(const SyncResult& result, int64_t fromMs, int64_t toMs) {
    int64_t outside = toMs - fromMs;
    for (size_t p = 1; p < result.parts.size(); ++p) {
        const int64_t cut = result.parts[p - 1].offsetMs - result.parts[p].offsetMs;
        const int64_t join = result.parts[p].fromMs;
        const int64_t lo = join - cut - kHalfStretchMs - kCutSlackMs;
        const int64_t hi = join + kHalfStretchMs + kCutSlackMs;
        if (cut > 0) {
            const int64_t overlap = std::max<int64_t>(0, std::min(hi, toMs) - std::max(lo, fromMs));
            outside = std::min(outside, toMs - fromMs - overlap);
        }
    }
    return outside;
}

}  // namespace

void PlaceJoins(const Activity& speech, const std::vector<int64_t>& onsets,
                const std::vector<Cue>& cues, SyncResult& result) {
    PlaceJoins(speech, onsets, cues, result.rate.Ratio(), result.parts);
}

void PlaceJoins(const Activity& speech, const std::vector<int64_t>& onsets,
                const std::vector<Cue>& cues, double ratio, std::vector<SyncPart>& parts) {
    const std::vector<int64_t> ends = SpeechEnds(speech);
    for (size_t p = 1; p < parts.size(); ++p) {
        const int64_t offA = parts[p - 1].offsetMs, offB = parts[p].offsetMs;
        // The split may have put the join anywhere in a cut stretch: the
        // cues as far again on either side are weighed.
        const int64_t join = parts[p].fromMs, reach = 2 * std::llabs(offA - offB) + kCutSlackMs;
        const size_t next =
            p + 1 < parts.size() ? FirstCueFrom(cues, parts[p + 1].fromMs) : cues.size();
        const size_t lo =
            std::max(FirstCueFrom(cues, parts[p - 1].fromMs) + 1, FirstCueFrom(cues, join - reach));
        const size_t hi = std::min(next, FirstCueFrom(cues, join + reach + 1));
        Side a, b;
        std::vector<Cue> spans;
        for (size_t c = lo; c < hi; ++c) {
            const Cue s = AtRatio(cues[c], ratio);
            a.sums.push_back(a.sums.back() + CueFit(speech, onsets, ends, s, offA) - kChanceFit);
            b.sums.push_back(b.sums.back() + CueFit(speech, onsets, ends, s, offB) - kChanceFit);
            spans.push_back(s);
        }
        const size_t at = lo + BestJoin(a, b, spans, offA - offB);
        if (at < hi && (at == 0 || cues[at].start > cues[at - 1].start)) {
            parts[p].fromMs = cues[at].start;
        }
    }
}

bool PartsHoldTheirCues(const Activity& speech, const std::vector<int64_t>& onsets,
                        const std::vector<Cue>& cues, const SyncResult& result) {
    const std::vector<Judged> judged = JudgedCues(speech, onsets, cues, result);
    int64_t runFrom = -1;  // subtitle ms of the run's first cue, -1: none
    int fitting = 0;       // cues in a row that fit, up to this one
    for (size_t i = 0; i < judged.size(); ++i) {
        const bool apart = i > 0 && (judged[i].part != judged[i - 1].part ||
                                     judged[i].start - judged[i - 1].start > 2 * kHalfStretchMs);
        const bool unfit = Unfit(judged, i);
        fitting = unfit ? 0 : fitting + 1;
        if (apart || fitting > kFittingInARun) {
            runFrom = -1;
        }
        if (unfit) {
            runFrom = runFrom < 0 ? judged[i].start : runFrom;
            if (OutsideCuts(result, runFrom, judged[i].start) >= kLongestUnfitMs) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace tavimo::sync
