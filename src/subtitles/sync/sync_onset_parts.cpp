#include "subtitles/sync/sync_onset_parts.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "subtitles/sync/sync_joins.h"
#include "subtitles/sync/sync_onset.h"

namespace tavimo::sync {
namespace {

constexpr int64_t kWindowsMs[] = {60'000, 120'000}, kWindowStepMs = 30'000;
constexpr int64_t kMostLeadMs = 300;  // a cue starts up to this long before its words
constexpr size_t kLeastWindowCues = 6;
constexpr size_t kLagsPerWindow = 3;
constexpr int64_t kLagsApartSteps = 200;
constexpr int64_t kShortestPartMs = 60'000;
// The offsets either side of a cue's that FitOverAround weighs it against.
constexpr int64_t kDecoysMs[] = {2'000, 3'500, 5'000, 7'500, 10'000, 14'000};
// The least mean FitOverAround of a part's cues, and the least sum over the
// root of their number: parts over music at 0-5 dB fit 0.55-0.8 on average
// (2.5-5.4 by the root); runs chosen among many offsets fit stretches of
// another film's cues by 0.1-0.45 on average and by up to 0.8 over a dozen
// cues (up to 2.7 by the root), but never every part of a path at once.
constexpr double kLeastMeanFit = 0.45, kLeastSumFit = 2.0;
// A cut's length may be this far off (the offsets, and a cue's start from
// its words).
constexpr int64_t kCutSlackMs = 2'000;
// What a switch to another offset costs, in FitOverAround.
constexpr double kSwitchCost = 3;

// counts[i]: how many of `starts` (clip ms at lag 0) lead an onset by
// 0..kMostLeadMs at lag fromLag + i (kStepMs steps), for lags up to toLag.
std::vector<int> LedCounts(const std::vector<int64_t>& onsets, const std::vector<int64_t>& starts,
                           int64_t fromLag, int64_t toLag) {
    std::vector<int> counts(static_cast<size_t>(toLag - fromLag + 2), 0);
    for (const int64_t s : starts) {
        auto o = std::lower_bound(onsets.begin(), onsets.end(), s + fromLag * kStepMs);
        for (; o != onsets.end() && *o <= s + toLag * kStepMs + kMostLeadMs; ++o) {
            const int64_t lo = std::max(fromLag, (*o - s - kMostLeadMs) / kStepMs);
            const int64_t hi = std::min(toLag, (*o - s) / kStepMs);
            if (lo <= hi) {
                ++counts[static_cast<size_t>(lo - fromLag)];
                --counts[static_cast<size_t>(hi - fromLag + 1)];
            }
        }
    }
    for (size_t i = 1; i < counts.size(); ++i) {
        counts[i] += counts[i - 1];
    }
    counts.pop_back();
    return counts;
}

// The kLagsPerWindow lags within `maxLag` at which most of `starts` lead
// an onset, each kLagsApartSteps or more from the others: over music heard
// as speech, chance lags may lead as many of a window's starts as its own.
std::vector<int64_t> MostLed(const std::vector<int64_t>& onsets, const std::vector<int64_t>& starts,
                             int64_t maxLag) {
    std::vector<int> counts = LedCounts(onsets, starts, -maxLag, maxLag);
    std::vector<int64_t> lags;
    for (size_t n = 0; n < kLagsPerWindow; ++n) {
        const auto top = std::max_element(counts.begin(), counts.end());
        if (*top <= 0) {
            break;
        }
        const int64_t at = top - counts.begin();
        lags.push_back(at - maxLag);
        const int64_t lo = std::max<int64_t>(0, at - kLagsApartSteps);
        const int64_t hi =
            std::min<int64_t>(static_cast<int64_t>(counts.size()), at + kLagsApartSteps + 1);
        std::fill(counts.begin() + lo, counts.begin() + hi, -1);
    }
    return lags;
}

// CueFit of cue `s` (clip ms at offset 0) at `offsetMs` less its mean fit
// at offsets 2-14 s either side: music, a crowd or an ad's speech heard as
// speech lifts the fits of every offset that puts the cue there, as dense
// speech does; what stands out from the offsets nearby is a cue on its own
// words. About 0 by chance, 0.5-0.8 on average for a part's cues on their
// words over music.
double FitOverAround(const Activity& speech, const std::vector<int64_t>& onsets,
                     const std::vector<int64_t>& ends, const Cue& s, int64_t offsetMs) {
    double around = 0;
    for (const int64_t d : kDecoysMs) {
        around += CueFit(speech, onsets, ends, s, offsetMs + d) +
                  CueFit(speech, onsets, ends, s, offsetMs - d);
    }
    return CueFit(speech, onsets, ends, s, offsetMs) - around / (2.0 * std::size(kDecoysMs));
}

// fits[c][k]: FitOverAround of cue c at candidate k.
std::vector<std::vector<double>> Fits(const Activity& speech, const std::vector<int64_t>& onsets,
                                      const std::vector<Cue>& cues, double ratio,
                                      const std::vector<int64_t>& candidatesMs) {
    const std::vector<int64_t> ends = SpeechEnds(speech);
    std::vector<std::vector<double>> fits(cues.size());
    for (size_t c = 0; c < cues.size(); ++c) {
        const Cue s = AtRatio(cues[c], ratio);
        for (const int64_t offset : candidatesMs) {
            fits[c].push_back(FitOverAround(speech, onsets, ends, s, offset));
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

// Whether the cues of each of `parts` fit its offset (one of the rising
// `candidatesMs`) clearly better than the offsets around it: by
// kLeastMeanFit on average and kLeastSumFit over the root of their number
// (a few cues fit some offset among many by chance, a long run does not).
// Where the later part starts earlier in the clip, the cues of the earlier
// part within the cut's length before the join (PlaceJoins) fit nowhere:
// their words were cut. They do not count.
bool FitClearly(const std::vector<std::vector<double>>& fits, const std::vector<Cue>& cues,
                const std::vector<int64_t>& candidatesMs, const std::vector<SyncPart>& parts) {
    for (size_t p = 0; p < parts.size(); ++p) {
        const size_t k = static_cast<size_t>(
            std::lower_bound(candidatesMs.begin(), candidatesMs.end(), parts[p].offsetMs) -
            candidatesMs.begin());
        const int64_t to = p + 1 < parts.size() ? parts[p + 1].fromMs : INT64_MAX;
        const int64_t cutAfter =
            p + 1 < parts.size() ? parts[p].offsetMs - parts[p + 1].offsetMs : 0;
        double sum = 0;
        size_t n = 0;
        for (size_t c = FirstCueFrom(cues, parts[p].fromMs); c < cues.size() && cues[c].start < to;
             ++c) {
            const bool cut = cutAfter > 0 && cues[c].start >= to - cutAfter - kCutSlackMs;
            if (!cut) {
                sum += fits[c][k];
                ++n;
            }
        }
        const double mean = n == 0 ? 0 : sum / static_cast<double>(n);
        if (n == 0 || mean < kLeastMeanFit ||
            sum < kLeastSumFit * std::sqrt(static_cast<double>(n))) {
            return false;
        }
    }
    return true;
}

// The parts of `cues` on the best path through `fits` (cue by candidate),
// without those under kShortestPartMs.
std::vector<SyncPart> PathParts(const std::vector<std::vector<double>>& fits,
                                const std::vector<Cue>& cues,
                                const std::vector<int64_t>& candidatesMs) {
    const Path cut = BestPath(fits, true), ads = BestPath(fits, false);
    const std::vector<size_t>& taken = cut.score >= ads.score ? cut.taken : ads.taken;
    std::vector<SyncPart> parts;
    for (size_t c = 0; c < cues.size(); ++c) {
        if (c == 0 || taken[c] != taken[c - 1]) {
            parts.push_back({c == 0 ? 0 : cues[c].start, candidatesMs[taken[c]]});
        }
    }
    return WithoutShortParts(std::move(parts), cues.back().start);
}

// FitClearly of `parts` at their own offsets.
bool StandOut(const Activity& speech, const std::vector<int64_t>& onsets,
              const std::vector<Cue>& cues, double ratio, const std::vector<SyncPart>& parts) {
    std::vector<int64_t> offsets;
    for (const SyncPart& part : parts) {
        offsets.push_back(part.offsetMs);
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return FitClearly(Fits(speech, onsets, cues, ratio, offsets), cues, offsets, parts);
}

}  // namespace

std::vector<int64_t> OnsetLags(const std::vector<int64_t>& onsets, const std::vector<Cue>& cues,
                               double ratio, int64_t maxLag) {
    std::vector<int64_t> lags;
    const auto after = [](const Cue& c, int64_t t) { return c.start < t; };
    for (int64_t from = cues.empty() ? 0 : cues.front().start;
         !cues.empty() && from < cues.back().start; from += kWindowStepMs) {
        for (const int64_t windowMs : kWindowsMs) {
            const auto lo = std::lower_bound(cues.begin(), cues.end(), from, after);
            const auto hi = std::lower_bound(lo, cues.end(), from + windowMs, after);
            if (static_cast<size_t>(hi - lo) >= kLeastWindowCues) {
                std::vector<int64_t> starts;
                for (auto c = lo; c != hi; ++c) {
                    starts.push_back(AtRatio(*c, ratio).start);
                }
                const std::vector<int64_t> led = MostLed(onsets, starts, maxLag);
                lags.insert(lags.end(), led.begin(), led.end());
            }
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
    std::vector<SyncPart> parts =
        PathParts(Fits(speech, onsets, cues, ratio, candidatesMs), cues, candidatesMs);
    PlaceJoins(speech, onsets, cues, ratio, parts);
    return StandOut(speech, onsets, cues, ratio, parts) ? parts : std::vector<SyncPart>{};
}

bool PartsStandOut(const Activity& speech, const std::vector<int64_t>& onsets,
                   const std::vector<Cue>& cues, const SyncResult& result) {
    return StandOut(speech, onsets, cues, result.rate.Ratio(), result.parts);
}

}  // namespace tavimo::sync
