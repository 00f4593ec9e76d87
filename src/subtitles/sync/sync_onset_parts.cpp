#include "subtitles/sync/sync_onset_parts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "subtitles/sync/sync_onset.h"

namespace tavimo::sync {
namespace {

constexpr int64_t kWindowMs = 120'000, kWindowStepMs = 30'000;
constexpr int64_t kMostLeadMs = 300;  // a cue starts up to this long before its words
constexpr size_t kLeastWindowCues = 6;
constexpr int64_t kShortestPartMs = 60'000;
// A cue far from its words fits about this by chance (CueFit).
constexpr double kChanceFit = 0.6;
// The least mean fit over chance of a part's cues, and the least by which
// it passes their fit at the median candidate: cues on their words fit
// 1.6-2.5, elsewhere mostly under 1.2. Runs chosen among many offsets fit
// stretches of another film's cues by up to 1.0 over chance (a bed heard as
// speech lifts every offset) but pass the median by at most 0.35 where they
// do; right parts over music pass it by 0.53-0.81.
constexpr double kLeastMeanFit = 0.7, kLeastLift = 0.5;
// What a switch to another offset costs, in CueFit over chance.
constexpr double kSwitchCost = 3;

// The lag at which most of `starts` (clip ms at lag 0) lead an onset by
// 0..kMostLeadMs.
int64_t MostLed(const std::vector<int64_t>& onsets, const std::vector<int64_t>& starts,
                int64_t maxLag) {
    std::vector<int> diff(static_cast<size_t>(2 * maxLag + 2), 0);
    const int64_t maxMs = maxLag * kStepMs;
    for (const int64_t s : starts) {
        auto o = std::lower_bound(onsets.begin(), onsets.end(), s - maxMs);
        for (; o != onsets.end() && *o <= s + maxMs + kMostLeadMs; ++o) {
            const int64_t lo = std::max<int64_t>(-maxLag, (*o - s - kMostLeadMs) / kStepMs);
            const int64_t hi = std::min<int64_t>(maxLag, (*o - s) / kStepMs);
            if (lo <= hi) {
                ++diff[static_cast<size_t>(lo + maxLag)];
                --diff[static_cast<size_t>(hi + maxLag + 1)];
            }
        }
    }
    int64_t bestLag = 0;
    int running = 0, most = 0;
    for (int64_t i = 0; i <= 2 * maxLag; ++i) {
        running += diff[static_cast<size_t>(i)];
        if (running > most) {
            most = running;
            bestLag = i - maxLag;
        }
    }
    return bestLag;
}

// fits[c][k]: CueFit of cue c at candidate k, less kChanceFit.
std::vector<std::vector<double>> Fits(const Activity& speech, const std::vector<int64_t>& onsets,
                                      const std::vector<Cue>& cues, double ratio,
                                      const std::vector<int64_t>& candidatesMs) {
    const std::vector<int64_t> ends = SpeechEnds(speech);
    std::vector<std::vector<double>> fits(cues.size());
    for (size_t c = 0; c < cues.size(); ++c) {
        for (const int64_t offset : candidatesMs) {
            fits[c].push_back(CueFit(speech, onsets, ends, AtRatio(cues[c], ratio), offset) -
                              kChanceFit);
        }
    }
    return fits;
}

// Takes part `p` from `parts` (more than one): the part before takes its
// cues, or the next one those of the first.
void Erase(std::vector<SyncPart>& parts, size_t p) {
    if (p == 0) {
        parts[1].fromMs = 0;
    }
    parts.erase(parts.begin() + static_cast<ptrdiff_t>(p));
}

// `parts` with neighbours of one offset made one.
std::vector<SyncPart> Merged(const std::vector<SyncPart>& parts) {
    std::vector<SyncPart> merged;
    for (const SyncPart& part : parts) {
        if (merged.empty() || part.offsetMs != merged.back().offsetMs) {
            merged.push_back(part);
        }
    }
    return merged;
}

// The candidate each cue takes on the path of the highest sum of `fits`
// (fits[c][k]: cue c at candidate k, candidates in rising order), each switch
// costing kSwitchCost and going to a lower candidate only (`falling`: the
// clip has stretches cut) or to a higher one only (breaks put in).
struct Path {
    double score = 0;
    std::vector<size_t> taken;
};

Path BestPath(const std::vector<std::vector<double>>& fits, bool falling) {
    const size_t n = fits.size(), k = fits[0].size();
    std::vector<double> best = fits[0];
    std::vector<std::vector<size_t>> from(n, std::vector<size_t>(k));  // cue c - 1's candidate
    for (size_t c = 1; c < n; ++c) {
        std::vector<double> next(k);
        double top = std::numeric_limits<double>::lowest();  // best of those a switch comes from
        size_t topAt = 0;
        for (size_t step = 0; step < k; ++step) {
            const size_t j = falling ? k - 1 - step : step;
            const bool stay = best[j] >= top - kSwitchCost;
            from[c][j] = stay ? j : topAt;
            next[j] = (stay ? best[j] : top - kSwitchCost) + fits[c][j];
            if (best[j] > top) {
                top = best[j];
                topAt = j;
            }
        }
        best = std::move(next);
    }
    Path path;
    size_t at = static_cast<size_t>(std::max_element(best.begin(), best.end()) - best.begin());
    path.score = best[at];
    path.taken.resize(n);
    for (size_t c = n; c-- > 0;) {
        path.taken[c] = at;
        at = from[c][at];
    }
    return path;
}

// `parts` without those shorter than kShortestPartMs (the shortest first):
// a few cues that fit another offset by chance. The part before one takes
// its cues; the next part takes those of the first.
std::vector<SyncPart> WithoutShortParts(std::vector<SyncPart> parts, int64_t endMs) {
    while (parts.size() > 1) {
        size_t shortest = 0;
        int64_t least = INT64_MAX;
        for (size_t p = 0; p < parts.size(); ++p) {
            const int64_t to = p + 1 < parts.size() ? parts[p + 1].fromMs : endMs;
            if (to - parts[p].fromMs < least) {
                least = to - parts[p].fromMs;
                shortest = p;
            }
        }
        if (least >= kShortestPartMs) {
            break;
        }
        Erase(parts, shortest);
    }
    return Merged(parts);
}

// The mean of fits[c][k] over the cues [from, to).
double MeanFit(const std::vector<std::vector<double>>& fits, size_t from, size_t to, size_t k) {
    double sum = 0;
    for (size_t c = from; c < to; ++c) {
        sum += fits[c][k];
    }
    return sum / static_cast<double>(to - from);
}

// Whether the cues of each of `parts` fit its offset (one of the rising
// `candidatesMs`) by kLeastMeanFit on average, and by kLeastLift more than
// they fit the median candidate: a bed heard as speech lifts every offset.
bool FitClearly(const std::vector<std::vector<double>>& fits, const std::vector<Cue>& cues,
                const std::vector<int64_t>& candidatesMs, const std::vector<SyncPart>& parts) {
    for (size_t p = 0; p < parts.size(); ++p) {
        const size_t from = FirstCueFrom(cues, parts[p].fromMs);
        const size_t to =
            p + 1 < parts.size() ? FirstCueFrom(cues, parts[p + 1].fromMs) : cues.size();
        if (to == from) {
            return false;
        }
        std::vector<double> means;
        for (size_t k = 0; k < candidatesMs.size(); ++k) {
            means.push_back(MeanFit(fits, from, to, k));
        }
        const size_t k = static_cast<size_t>(
            std::lower_bound(candidatesMs.begin(), candidatesMs.end(), parts[p].offsetMs) -
            candidatesMs.begin());
        const double own = means[k];
        const auto middle = means.begin() + static_cast<ptrdiff_t>(means.size() / 2);
        std::nth_element(means.begin(), middle, means.end());
        if (own < kLeastMeanFit || own - *middle < kLeastLift) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<int64_t> OnsetLags(const std::vector<int64_t>& onsets, const std::vector<Cue>& cues,
                               double ratio, int64_t maxLag) {
    std::vector<int64_t> lags;
    const auto after = [](const Cue& c, int64_t t) { return c.start < t; };
    for (int64_t from = cues.empty() ? 0 : cues.front().start;
         !cues.empty() && from < cues.back().start; from += kWindowStepMs) {
        const auto lo = std::lower_bound(cues.begin(), cues.end(), from, after);
        const auto hi = std::lower_bound(lo, cues.end(), from + kWindowMs, after);
        if (static_cast<size_t>(hi - lo) >= kLeastWindowCues) {
            std::vector<int64_t> starts;
            for (auto c = lo; c != hi; ++c) {
                starts.push_back(AtRatio(*c, ratio).start);
            }
            lags.push_back(MostLed(onsets, starts, maxLag));
        }
    }
    return lags;
}

std::vector<SyncPart> OnsetParts(const Activity& speech, const std::vector<int64_t>& onsets,
                                 const std::vector<Cue>& cues, double ratio,
                                 std::vector<int64_t> candidatesMs) {
    if (candidatesMs.empty() || cues.empty()) {
        return {};
    }
    std::sort(candidatesMs.begin(), candidatesMs.end());
    const std::vector<std::vector<double>> fits = Fits(speech, onsets, cues, ratio, candidatesMs);
    const Path cut = BestPath(fits, true), ads = BestPath(fits, false);
    const std::vector<size_t>& taken = cut.score >= ads.score ? cut.taken : ads.taken;
    std::vector<SyncPart> parts;
    for (size_t c = 0; c < cues.size(); ++c) {
        if (c == 0 || taken[c] != taken[c - 1]) {
            parts.push_back({c == 0 ? 0 : cues[c].start, candidatesMs[taken[c]]});
        }
    }
    parts = WithoutShortParts(std::move(parts), cues.back().start);
    return FitClearly(fits, cues, candidatesMs, parts) ? parts : std::vector<SyncPart>{};
}

}  // namespace tavimo::sync
