// The match on made-up signals whose answers are known: cues at irregular
// times, speech put where a clip with a known offset or ratio would have it,
// with the detector's usual faults (late onsets, false voice in the gaps,
// missed words) and with parts of the clip not listened to. A cut clip, and
// what is refused and why, are sync_cli_test's, on spoken clips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "subtitles/sync/sync_align.h"
#include "subtitles/sync/sync_correlate.h"
#include "subtitles/sync/sync_joins.h"
#include "subtitles/sync/sync_onset.h"
#include "subtitles/sync/sync_onset_parts.h"

namespace tavimo::sync {
namespace {

// Cues of 0.8-4 s with gaps of 0.3-6 s from `startMs`, up to `endMs`.
std::vector<Cue> MakeCues(uint32_t seed, int64_t startMs, int64_t endMs) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int64_t> length(800, 4000), gap(300, 6000);
    std::vector<Cue> cues;
    for (int64_t t = startMs + gap(rng); t < endMs;) {
        const int64_t end = t + length(rng);
        cues.push_back({t, end});
        t = end + gap(rng);
    }
    return cues;
}

// How people time a cue: shown 0-0.3 s before its words, kept 0.2-0.8 s after.
constexpr int64_t kLead[2] = {0, 300}, kTail[2] = {200, 800};

// The cues a person would write for words spoken at `words`: each shown
// leadMs before its words and kept tailMs after them (each drawn per cue
// from the ranges), never into the next cue's time.
std::vector<Cue> TimedByHand(const std::vector<Cue>& words, const int64_t (&leadMs)[2],
                             const int64_t (&tailMs)[2], uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int64_t> lead(leadMs[0], leadMs[1]), tail(tailMs[0], tailMs[1]);
    std::vector<Cue> cues;
    for (const Cue& w : words) {
        cues.push_back({w.start - lead(rng), w.end + tail(rng)});
    }
    for (size_t i = 0; i + 1 < cues.size(); ++i) {
        cues[i].end = std::max(words[i].end, std::min(cues[i].end, cues[i + 1].start - 40));
    }
    return cues;
}

struct Faults {
    uint32_t seed = 7;
    double falseVoice = 0.08;  // share of the gap steps called speech (in blobs)
    double missed = 0.1;       // share of speech steps missed (in blobs)
    int64_t onsetMs = -50;     // the detector starts this late (early: the listener takes
                               // off the lag of its hang-over at the end of speech)
    int64_t endsMs = 0;        // and ends this late (a bed heard past the words)
    int64_t heardEveryMs = 0;  // 0: all heard; else windows of heardMs every heardEveryMs
    int64_t heardMs = 0;
};

// The detector's output for a clip of `lengthMs` in which cue `i` is spoken
// from clipStart(i) to clipEnd(i).
template <typename Map>
Activity MakeSpeech(const std::vector<Cue>& cues, Map map, int64_t lengthMs, const Faults& f) {
    const size_t steps = static_cast<size_t>(lengthMs / kStepMs);
    Activity a(steps, -1);
    for (const Cue& c : cues) {
        const int64_t from = (map(c.start) + f.onsetMs) / kStepMs,
                      to = (map(c.end) + f.endsMs) / kStepMs;
        for (int64_t s = std::max<int64_t>(from, 0); s < to && s < static_cast<int64_t>(steps);
             ++s) {
            a[static_cast<size_t>(s)] = 1;
        }
    }
    std::mt19937 rng(f.seed);
    std::uniform_real_distribution<double> u(0, 1);
    for (size_t s = 0; s + 30 < steps; s += 30) {  // blobs of 300 ms
        const bool speech = a[s] > 0;
        if (u(rng) < (speech ? f.missed : f.falseVoice)) {
            std::fill(a.begin() + static_cast<ptrdiff_t>(s),
                      a.begin() + static_cast<ptrdiff_t>(s + 30),
                      static_cast<int8_t>(speech ? -1 : 1));
        }
    }
    for (size_t s = 0; f.heardEveryMs > 0 && s < steps; ++s) {
        if (static_cast<int64_t>(s) * kStepMs % f.heardEveryMs >= f.heardMs) {
            a[s] = 0;
        }
    }
    return a;
}

// One offset, and a frame rate changed or not, found under the faults.
TEST(SyncAlign, FindsOffsetsAndFrameRateChanges) {
    // 30 s heard of every 3 minutes: a sixth of the clip.
    const Faults sixthHeard{.heardEveryMs = 180'000, .heardMs = 30'000},
        noisy{.falseVoice = 0.2, .missed = 0.25}, bedHeard{.falseVoice = 0.3};
    const int64_t none[2] = {0, 0};
    struct Row {
        const char* name;
        RateChange rate;
        int64_t offsetMs;
        std::vector<Cue> absurd;  // cues a damaged file adds, with no speech behind them
        bool byHand = false;      // cues 0-0.3 s before the words and 0.2-0.8 s after them
        Faults faults = {};
        int64_t lengthMs = 2'000'000;  // of the clip; its words end 700 s before
    } rows[] = {
        // Where the file's author put each cue against the words is kept.
        {"early by 1.2 s, timed by hand", {1, 1}, -1200, {}, true},
        {"the same, a bed heard in a third of the gaps", {1, 1}, -1200, {}, true, bedHeard},
        {"the same, a bed heard 0.6 s past the words", {1, 1}, -1200, {}, true, {.endsMs = 600}},
        {"early by 90 s", {1, 1}, -90000, {}},
        {"late by 9.5 minutes", {1, 1}, 570000, {}},
        {"cues far past the clip and the search range",
         {1, 1},
         -1200,
         {{2'800'000, 2'802'000}, {9'000'000'000'000'000'000, 9'000'000'000'000'001'000}}},
        {"windows heard here and there", {1, 1}, -12'500, {}, false, sixthHeard, 3'100'000},
        {"one offset, heavy faults: no split", {1, 1}, 240'000, {}, false, noisy, 3'400'000},
        {"25 to 23.976, timed by hand", {25, 23.976}, -1200, {}, true, {}, 2'700'000},
        {"23.976 to 25", {23.976, 25}, 5000, {}, false, {}, 2'700'000},
        {"25 to 24", {25, 24}, 700, {}, false, {}, 2'700'000},
        // 0.3-0.6 s of drift in all, about as much as a hand-timed cue's lead varies.
        {"24 to 23.976, 5 minutes timed by hand", {24, 23.976}, -400, {}, true, {}, 1'100'000},
        {"24 to 25, 5 min by hand, 23.976 as high", {24, 25}, -1200, {}, true, {18}, 1'100'000},
        {"23.976 to 24, 10 minutes timed by hand", {23.976, 24}, 1500, {}, true, {}, 1'400'000},
    };
    for (const Row& r : rows) {
        const std::vector<Cue> words = MakeCues(1, 100'000, r.lengthMs - 700'000);
        const double ratio = r.rate.from / r.rate.to;
        const Activity speech = MakeSpeech(
            words, [&](int64_t t) { return static_cast<int64_t>(t * ratio) + r.offsetMs; },
            r.lengthMs, r.faults);
        std::vector<Cue> cues =
            TimedByHand(words, r.byHand ? kLead : none, r.byHand ? kTail : none, 8);
        cues.insert(cues.end(), r.absurd.begin(), r.absurd.end());  // after all the others
        const SyncResult result = Align(speech, cues);
        ASSERT_TRUE(result.matched) << r.name << ": " << result.reason;
        EXPECT_TRUE(r.rate.Identity() ? result.rate.Identity() : result.rate == r.rate) << r.name;
        ASSERT_EQ(result.parts.size(), 1u) << r.name;
        EXPECT_NEAR(result.parts[0].offsetMs, r.offsetMs, 60) << r.name;
        // The onsets drift from the cues of a match that misses a ratio
        // 0.1% off, not from those of the right one.
        SyncResult missed = result;  // no change, the middle cue kept in place
        missed.rate = {1, 1};
        missed.parts[0].offsetMs += std::llround(static_cast<double>(cues[cues.size() / 2].start) *
                                                 (result.rate.Ratio() - 1));
        const std::vector<int64_t> onsets = WordOnsets(speech);
        EXPECT_LT(std::abs(OnsetsDrift(speech, onsets, cues, result)), 0.0004) << r.name;
        if (IsDrift(r.rate, {1, 1})) {
            EXPECT_GE(std::abs(OnsetsDrift(speech, onsets, cues, missed)), 0.0004) << r.name;
        }
    }
}

// A release with three stretches cut (37 s at 3:20, 79 s at 7:37, 20 s at
// 12:36), in the first half of a film timed by hand: a part for each,
// though each part's lag has rivals as high among the cues around it (the
// parts next to it), and no cue on the wrong side of a join. The same parts
// with any one of them missed leave minutes of cues 20-79 s off, which fit
// nowhere: refused.
TEST(SyncAlign, FindsThreeCuts) {
    const int64_t cuts[][2] = {{200'000, 37'000}, {457'000, 79'000}, {756'000, 20'000}};
    std::vector<Cue> words = MakeCues(3, 5'000, 1'400'000), spoken;
    for (const Cue& w : words) {  // what the cuts leave of each word, where it is heard
        Cue heard = w;
        for (auto c = std::rbegin(cuts); c != std::rend(cuts); ++c) {  // the latest first
            heard.start -= std::clamp<int64_t>(heard.start - (*c)[0], 0, (*c)[1]);
            heard.end -= std::clamp<int64_t>(heard.end - (*c)[0], 0, (*c)[1]);
        }
        if (heard.end > heard.start) {
            spoken.push_back(heard);
        }
    }
    const Activity speech = MakeSpeech(
        spoken, [](int64_t t) { return t; }, 1'300'000, Faults{});
    const std::vector<Cue> cues = TimedByHand(words, kLead, kTail, 8);
    const SyncResult result = Align(speech, cues);
    ASSERT_TRUE(result.matched) << result.reason;
    EXPECT_TRUE(result.rate.Identity());
    ASSERT_EQ(result.parts.size(), 4u);
    const int64_t offsets[] = {0, -37'000, -116'000, -136'000};
    // Each later part from the first cue whose words are heard after its cut.
    const int64_t froms[] = {0, 236'730, 534'744, 777'094};
    // The onsets alone find the same parts among other offsets, joins by the cuts.
    const std::vector<SyncPart> found = OnsetParts(
        speech, WordOnsets(speech), cues, 1, {-136'000, -116'000, -52'000, -37'000, 0, 9'000});
    ASSERT_EQ(found.size(), 4u);
    for (size_t p = 0; p < 4; ++p) {
        EXPECT_NEAR(result.parts[p].offsetMs, offsets[p], 60) << "part " << p;
        EXPECT_EQ(found[p].offsetMs, offsets[p]) << "part " << p;
        EXPECT_EQ(result.parts[p].fromMs, froms[p]) << "part " << p;
        EXPECT_EQ(found[p].fromMs, froms[p]) << "part " << p;
        SyncResult missed = result;
        missed.parts.erase(missed.parts.begin() + static_cast<ptrdiff_t>(p));
        missed.parts.front().fromMs = 0;
        EXPECT_FALSE(PartsHoldTheirCues(speech, WordOnsets(speech), cues, missed))
            << "part " << p << " missed";
    }
    // A short first part of a dozen cues, 0.2 s early as the spans leave it
    // over music, is still moved onto its words.
    SyncResult early{true, "", {}, {{0, -200}}};
    FitToOnsets(speech, WordOnsets(speech), {cues.begin(), cues.begin() + 12}, early);
    EXPECT_NEAR(early.parts[0].offsetMs, 0, 60);
}

// Three ad breaks in ten minutes over a bed heard as speech: parts of 2-3
// minutes, in which the scatter of the cues' leads reads as a drift.
// Neither a rate change nor a refusal for it.
TEST(SyncAlign, AdBreaksKeepTheirRate) {
    const std::vector<Cue> words = MakeCues(5, 5'000, 590'000);
    const auto withBreaks = [](int64_t t) {  // 37, 79 and 20 s put in at 2:00, 4:30 and 7:30
        return t + (t >= 120'000 ? 37'000 : 0) + (t >= 270'000 ? 79'000 : 0) +
               (t >= 450'000 ? 20'000 : 0);
    };
    const Activity speech = MakeSpeech(words, withBreaks, 800'000, {.falseVoice = 0.3});
    const SyncResult result =
        Align(speech, TimedByHand(words, kLead, kTail, 8), {.mostDrift = 0.00035});
    ASSERT_TRUE(result.matched) << result.reason;
    EXPECT_TRUE(result.rate.Identity());
    EXPECT_EQ(result.parts.size(), 4u);
}

// Another film's cues against clips whose detector hears speech in a tenth
// to most of the gaps (music, a crowd): the spans or runs of cues fit some
// offsets by chance, but the cue starts fit the onsets no better there.
TEST(SyncAlign, RefusesAnotherFilmsCuesOverABedHeardAsSpeech) {
    Faults crowd;
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        crowd.seed = seed;
        crowd.falseVoice = seed % 3 == 0 ? 0.85 : seed % 3 == 1 ? 0.3 : 0.1;
        const std::vector<Cue> words = MakeCues(seed, 5'000, 295'000);
        const Activity speech = MakeSpeech(
            words, [](int64_t t) { return t; }, 300'000, crowd);
        const SyncResult result =
            Align(speech, TimedByHand(MakeCues(seed + 100, 5'000, 295'000), kLead, kTail, 8));
        EXPECT_FALSE(result.matched) << "clip " << seed;
    }
}

// The correlation is made block by block: every lag, across the blocks'
// edges, over part of the cue, and past stretches not listened to, must come
// out as the plain sum would.
TEST(SyncCorrelate, BlocksAddUpToThePlainSum) {
    std::mt19937 rng(11);
    std::bernoulli_distribution coin(0.4);
    std::vector<int8_t> heard(30'000), shown(35'000);
    for (size_t i = 0; i < heard.size(); ++i) {
        heard[i] = i < 8'000 || i >= 20'000 ? (coin(rng) ? 1 : -1) : 0;  // 12,000 not heard
    }
    std::generate(shown.begin(), shown.end(),
                  [&] { return static_cast<int8_t>(coin(rng) ? 1 : -1); });
    const CentredSignal speech(heard), cue(shown);
    const int64_t maxLag = 1'500;  // transforms of 16,384: blocks of 13,384 cue steps
    Correlator correlator(speech, maxLag);
    auto plain = [&](int64_t lag, int64_t from, int64_t to) {
        double sum = 0;
        for (int64_t i = from; i < to; ++i) {
            if (i + lag >= 0 && i + lag < static_cast<int64_t>(speech.size())) {
                sum += static_cast<double>(cue[static_cast<size_t>(i)]) *
                       speech[static_cast<size_t>(i + lag)];
            }
        }
        return sum;
    };
    struct Row {
        const char* name;
        int64_t from, to;
    } rows[] = {{"all of the cue", 0, -1}, {"a part across a block's edge", 12'000, 27'000}};
    for (const Row& r : rows) {
        const std::vector<float> corr = correlator.Correlate(cue, r.from, r.to);
        ASSERT_EQ(corr.size(), 3'001u) << r.name;
        const int64_t to = r.to < 0 ? static_cast<int64_t>(cue.size()) : r.to;
        for (int64_t lag = -maxLag; lag <= maxLag; lag += 7) {
            EXPECT_NEAR(corr[static_cast<size_t>(lag + maxLag)], plain(lag, r.from, to), 0.05)
                << r.name << ", lag " << lag;
        }
    }
}

}  // namespace
}  // namespace tavimo::sync
