#include "engine/subtitle_sync.h"

#include <algorithm>
#include <string>

namespace tavimo {
namespace {

constexpr int64_t kMinute = 60'000;
constexpr int64_t kWholeClipUpTo = 12 * kMinute;
constexpr int64_t kPieceMs = 3 * kMinute;
constexpr int64_t kWindowMs = 30'000;
constexpr int64_t kShortestClipMs = 30'000;
constexpr double kFirstPassShare = 0.8;  // of the progress

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
    sync::Activity heard;
    auto firstProgress = [&](double done) {
        if (progress) {
            progress(done * kFirstPassShare);
        }
    };
    if (!source.Read(first, heard, firstProgress, cancel, &error)) {
        return Refused(error);
    }
    if (cancel) {
        return Refused("cancelled");
    }
    source.Release();
    sync::Activity speech = heard;
    sync::SmoothSpeech(speech);
    sync::SyncResult result = sync::Align(speech, cues);
    const std::vector<SpeechWindow> more = WindowsAroundSplits(result, first, duration);
    if (result.matched && !more.empty()) {
        auto moreProgress = [&](double done) {
            if (progress) {
                progress(kFirstPassShare + done * (1 - kFirstPassShare));
            }
        };
        if (!source.Read(more, heard, moreProgress, cancel, &error)) {
            return Refused(error);
        }
        speech = heard;
        sync::SmoothSpeech(speech);
        result = sync::Align(speech, cues);
    }
    if (progress) {
        progress(1.0);
    }
    return result;
}

}  // namespace tavimo
