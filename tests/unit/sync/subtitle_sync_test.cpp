// Listening and matching around a speech source: the windows listened to,
// listening again around a cut, and a cancel. The source is a fake that
// "hears" a known script; the refusals are sync_cli_test's, on real clips.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

#include "engine/subtitle_sync.h"

namespace tavimo {
namespace {

using sync::Cue;

TEST(SubtitleSync, SpreadWindows) {
    // Up to 12 minutes: all of it, in pieces of 3 minutes.
    EXPECT_EQ(SpreadWindows(400'000),
              (std::vector<SpeechWindow>{{0, 180'000}, {180'000, 360'000}, {360'000, 400'000}}));
    // Two hours: 15 minutes in 30 windows of 30 s, one every 4 minutes.
    const std::vector<SpeechWindow> film = SpreadWindows(7'200'000);
    ASSERT_EQ(film.size(), 30u);
    EXPECT_EQ(film[0], (SpeechWindow{105'000, 135'000}));
    EXPECT_EQ(film[1], (SpeechWindow{345'000, 375'000}));
    EXPECT_EQ(film[29], (SpeechWindow{7'065'000, 7'095'000}));
}

TEST(SubtitleSync, WindowsAroundSplitsFillTheGapAroundTheSwitch) {
    sync::SyncResult r;
    r.matched = true;
    r.parts = {{0, 1000}, {2'000'000, -170'000}};  // switches at 1,830,000 ms in the clip
    const std::vector<SpeechWindow> heard = {
        {1'500'000, 1'530'000}, {1'740'000, 1'770'000}, {1'980'000, 2'010'000}};
    EXPECT_EQ(WindowsAroundSplits(r, heard, 3'000'000),
              (std::vector<SpeechWindow>{{1'770'000, 1'950'000}, {1'950'000, 1'980'000}}));
    r.parts[1].offsetMs = -485'000;  // at 1,515,000 ms, heard already
    EXPECT_TRUE(WindowsAroundSplits(r, heard, 3'000'000).empty());
}

// Cues every few seconds; the fake hears speech exactly where they are,
// `offsetMs` later, or, over a bed, the first `bedShare` of every 10 s
// whatever is said, until asked to listen more strictly.
class FakeSource : public ISpeechSource {
  public:
    FakeSource(std::vector<Cue> cues, int64_t offsetMs, int64_t durationMs, double bedShare = 0)
        : bed(bedShare), cues_(std::move(cues)), offset_(offsetMs), duration_(durationMs) {}

    bool Open(const std::atomic<bool>&, std::string*) override { return true; }
    int64_t DurationMs() const override { return duration_; }
    bool Read(const std::vector<SpeechWindow>& windows, sync::Activity& speech,
              const std::function<void(double)>& progress, const std::atomic<bool>& cancel,
              std::string* error) override {
        speech.resize(static_cast<size_t>(duration_ / sync::kStepMs), 0);
        for (size_t w = 0; w < windows.size(); ++w) {
            while (blockUntilCancelled && !cancel) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (cancel) {
                *error = "cancelled";
                return false;
            }
            for (int64_t t = windows[w].startMs; t < windows[w].endMs; t += sync::kStepMs) {
                const bool heard = bed > 0 ? t % 10'000 < bed * 10'000 : Speaking(t);
                speech[static_cast<size_t>(t / sync::kStepMs)] = heard ? 1 : -1;
            }
            progress((w + 1.0) / static_cast<double>(windows.size()));
        }
        windowsRead += windows.size();
        return true;
    }

    bool Stricter() override {
        bed = 0;
        return true;
    }

    double bed;
    bool blockUntilCancelled = false;
    size_t windowsRead = 0;

  private:
    bool Speaking(int64_t t) const {
        return std::any_of(cues_.begin(), cues_.end(), [&](const Cue& c) {
            return t >= c.start + offset_ && t < c.end + offset_;
        });
    }
    std::vector<Cue> cues_;
    int64_t offset_, duration_;
};

std::vector<Cue> Cues(int64_t untilMs) {
    std::mt19937 rng(11);
    std::vector<Cue> cues;
    for (int64_t t = 2000; t < untilMs; t += 1500 + rng() % 4000) {
        const int64_t end = t + 700 + rng() % 2500;
        cues.push_back({t, end});
        t = end;
    }
    return cues;
}

TEST(SubtitleSync, MatchesWhatTheSourceHears) {
    const std::vector<Cue> cues = Cues(2'400'000);
    // 12 of the clip's 41 minutes in 24 windows, heard once (the note at
    // 80 % until the match is done); a bed heard as speech throughout (a
    // crowd) or, where nothing matched, most of the time (music), once more
    // by the stricter ear, whose match stands alone (the note moving on to
    // 96 % meanwhile); heard as speech half the time, refused at once.
    const struct {
        const char* name;
        double bed, note;  // the note before the last
        size_t windows;
        bool matched;
    } kCases[] = {{"voice", 0, 0.8, 24, true},
                  {"crowd", 1, 0.96, 48, true},
                  {"music", 0.7, 0.96, 48, true},
                  {"half", 0.5, 0.8, 24, false}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        FakeSource source(cues, 4'250, 2'500'000, c.bed);
        std::vector<double> progress;
        const std::atomic<bool> cancel{false};
        const sync::SyncResult r = SynchroniseToSpeech(
            source, cues, [&](double d) { progress.push_back(d); }, cancel);
        ASSERT_EQ(r.matched, c.matched) << r.reason;
        EXPECT_NEAR(r.matched ? r.parts[0].offsetMs : 4'250, 4'250, 20);
        EXPECT_EQ(source.windowsRead, c.windows);
        ASSERT_GE(progress.size(), 2u);
        EXPECT_NEAR(progress[progress.size() - 2], c.note, 1e-9);
        EXPECT_DOUBLE_EQ(progress.back(), 1.0);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    }
}

TEST(SubtitleSync, CancelStopsTheListening) {
    const std::vector<Cue> cues = Cues(100'000);
    FakeSource source(cues, 0, 120'000);
    source.blockUntilCancelled = true;
    std::atomic<bool> cancel{false};
    sync::SyncResult result;
    std::thread worker([&] { result = SynchroniseToSpeech(source, cues, nullptr, cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    cancel = true;
    worker.join();
    EXPECT_FALSE(result.matched);
    EXPECT_EQ(result.reason, "cancelled");
}

}  // namespace
}  // namespace tavimo
