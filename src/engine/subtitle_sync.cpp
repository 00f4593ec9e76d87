#include "engine/subtitle_sync.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tavimo {
namespace {

constexpr int64_t kMinute = 60'000;
constexpr int64_t kWholeClipUpTo = 12 * kMinute;
constexpr int64_t kPieceMs = 3 * kMinute;
constexpr int64_t kWindowMs = 30'000;
constexpr int64_t kShortestClipMs = 30'000;
// Each read of the clip takes this share of the progress still to come; the
// rest is left for the match and for what may be heard after it (around a
// cut, or all again by a stricter ear), so that the note moves on until
// the very end.
constexpr double kReadShare = 0.8;
// Heard as speech over this share of the time, the clip is heard again by
// a stricter ear (music comes to about 0.8, a crowd to over 0.9).
constexpr double kMostSpeechShare = 0.85;
// Where the first ear found no match, a clip heard as speech over this
// share of the time is heard again by the stricter ear too: music under the
// voice comes to 0.67-0.78 at 5-0 dB, a voice over noise to about 0.4.
constexpr double kMostSpeechShareUnmatched = 0.6;
// The stricter ear's match is taken when it puts no cue further than this
// from the first one.
constexpr int64_t kMostApartMs = 500;
// Where the first ear found no match, the stricter one's stands alone only
// when the speech's onsets drift from its cues slower than this (ms per
// ms): on crowd clips, right matches left up to 0.00034, matches that had
// missed a ratio 0.1% off (24 against 23.976 frames a second) 0.00047 and
// more, their last cues 0.25-0.39 s off.
constexpr double kMostDriftAlone = 0.0004;
// The same over music heard as speech (kMostSpeechShareUnmatched): right
// matches left up to 0.00031, one that had missed a ratio 0.1% off 0.00038
// (its last cues 0.6 s off).
constexpr double kMostDriftAloneOverMusic = 0.00035;

sync::SyncResult Refused(std::string reason) {
    sync::SyncResult r;
    r.reason = std::move(reason);
    return r;
}

}  // namespace

std::vector<SpeechWindow> SpreadWindows(int64_t durationMs) {
    std::vector<SpeechWindow> windows;
    if (durationMs <= kWholeClipUpTo) {
        for (int64_t t = 0; t < durationMs; t += kPieceMs) {
            windows.push_back({t, std::min(durationMs, t + kPieceMs)});
        }
        return windows;
    }
    const int64_t budget = std::max(kWholeClipUpTo, durationMs / 8);
    const int64_t count = budget / kWindowMs;
    for (int64_t i = 0; i < count; ++i) {
        const int64_t centre = (2 * i + 1) * durationMs / (2 * count);
        windows.push_back({centre - kWindowMs / 2, centre + kWindowMs / 2});
    }
    return windows;
}

std::vector<SpeechWindow> WindowsAroundSplits(const sync::SyncResult& result,
                                              const std::vector<SpeechWindow>& heard,
                                              int64_t durationMs) {
    std::vector<SpeechWindow> more;
    for (size_t p = 1; p < result.parts.size(); ++p) {
        const int64_t at = std::clamp<int64_t>(result.Map(result.parts[p].fromMs), 0, durationMs);
        const bool inside = std::any_of(heard.begin(), heard.end(), [&](const SpeechWindow& w) {
            return w.startMs <= at && at < w.endMs;
        });
        if (inside) {
            continue;
        }
        // From the end of the last window heard before `at` to the start of
        // the first one after it.
        int64_t from = 0, to = durationMs;
        for (const SpeechWindow& w : heard) {
            if (w.endMs <= at) {
                from = std::max(from, w.endMs);
            }
            if (w.startMs >= at) {
                to = std::min(to, w.startMs);
            }
        }
        for (int64_t t = from; t < to; t += kPieceMs) {
            more.push_back({t, std::min(to, t + kPieceMs)});
        }
    }
    return more;
}

namespace {

// The progress of a run over all its reads, in order: the first read goes
// 0-80 %, the next 80-96 %, and so on; 100 % once the match is done.
class RunProgress {
  public:
    // `report` (may be empty) gets 0..1 from the reading threads.
    explicit RunProgress(const std::function<void(double)>& report) : report_(report) {}

    // The progress callback for the next read (0..1 of it). Worker thread.
    std::function<void(double)> NextRead() {
        const double from = end_;
        end_ += kReadShare * (1 - end_);
        if (!report_) {
            return [](double) {};
        }
        return [this, from, to = end_](double done) { report_(from + done * (to - from)); };
    }
    // The run is done. Worker thread.
    void Done() const {
        if (report_) {
            report_(1.0);
        }
    }

  private:
    const std::function<void(double)>& report_;
    double end_ = 0;  // where the last read handed out ends
};

// Listens to `first`, matches, and, when the match switches parts outside
// the windows heard, listens there too and matches again. `speech` gets
// what was heard, smoothed. False with `error` set when listening fails or
// is cancelled.
bool ListenAndMatch(ISpeechSource& source, const std::vector<SpeechWindow>& first, int64_t duration,
                    const std::vector<sync::Cue>& cues, const sync::AlignOptions& options,
                    RunProgress& progress, const std::atomic<bool>& cancel, sync::Activity& speech,
                    sync::SyncResult& result, std::string* error) {
    sync::Activity heard;
    if (!source.Read(first, heard, progress.NextRead(), cancel, error)) {
        return false;
    }
    if (cancel) {
        *error = "cancelled";
        return false;
    }
    source.Release();
    speech = heard;
    sync::SmoothSpeech(speech);
    result = sync::Align(speech, cues, options);
    const std::vector<SpeechWindow> more = WindowsAroundSplits(result, first, duration);
    if (result.matched && !more.empty()) {
        if (!source.Read(more, heard, progress.NextRead(), cancel, error)) {
            return false;
        }
        speech = heard;
        sync::SmoothSpeech(speech);
        result = sync::Align(speech, cues, options);
    }
    return true;
}

// Whether `a` and `b` put every cue of `cues` within kMostApartMs of each
// other.
bool NearlyTheSame(const sync::SyncResult& a, const sync::SyncResult& b,
                   const std::vector<sync::Cue>& cues) {
    return std::all_of(cues.begin(), cues.end(), [&](const sync::Cue& c) {
        return std::llabs(a.Map(c.start) - b.Map(c.start)) <= kMostApartMs;
    });
}

}  // namespace

sync::SyncResult SynchroniseToSpeech(ISpeechSource& source, const std::vector<sync::Cue>& cues,
                                     const std::function<void(double)>& progress,
                                     const std::atomic<bool>& cancel) {
    std::string error;
    if (!source.Open(cancel, &error)) {
        return Refused(error);
    }
    const int64_t duration = source.DurationMs();
    if (duration < kShortestClipMs) {
        return Refused(duration == 0 ? "the clip's length is unknown"
                                     : "the clip is shorter than 30 s");
    }
    const std::vector<SpeechWindow> first = SpreadWindows(duration);
    sync::Activity speech;
    sync::SyncResult result;
    RunProgress runProgress(progress);
    if (!ListenAndMatch(source, first, duration, cues, {}, runProgress, cancel, speech, result,
                        &error)) {
        return Refused(error);
    }
    // A bed heard as speech almost throughout (a crowd) leaves few pauses,
    // many of them the bed's: the onsets after them pull the cues early, or
    // no offset stands out at all. Heard again by a stricter ear, the pauses
    // are the voice's own. Its match refines a first one, within
    // kMostApartMs of it; where the first ear found none (over music, a
    // part of a cut clip may not stand out), it stands alone unless the
    // onsets say it may have missed a drift.
    const double share = sync::SpeechShare(speech);
    const bool bedded =
        share > kMostSpeechShare || (!result.matched && share > kMostSpeechShareUnmatched);
    if (bedded && source.Stricter()) {
        sync::SyncResult strict;
        sync::AlignOptions options;
        options.mostDrift = result.matched             ? 0
                            : share > kMostSpeechShare ? kMostDriftAlone
                                                       : kMostDriftAloneOverMusic;
        if (!ListenAndMatch(source, first, duration, cues, options, runProgress, cancel, speech,
                            strict, &error)) {
            return Refused(error);
        }
        if (strict.matched && (!result.matched || NearlyTheSame(strict, result, cues))) {
            result = std::move(strict);
        }
    }
    runProgress.Done();
    return result;
}

}  // namespace tavimo
