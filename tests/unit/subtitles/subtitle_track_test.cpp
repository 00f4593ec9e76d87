// The lookup of the entry to draw, and the track shared by the thread that
// loads subtitles and the thread that draws them.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "subtitle_test_util.h"
#include "subtitles/subtitle_track.h"

namespace tavimo {
namespace {

SubtitleEntry Timed(int64_t start, int64_t end, std::string text = "t") {
    return {.start = start, .end = end, .text = std::move(text), .lines = 1};
}

SubtitleEntry Framed(int32_t first, int32_t last) {
    return {.text = "f", .lines = 1, .startFrame = first, .endFrame = last};
}

// Ten one-second entries with one-second gaps: entry i shows from 2i to 2i+1 s.
SubtitleEntries Spaced() {
    SubtitleEntries entries;
    for (int64_t i = 0; i < 10; ++i) {
        entries.push_back(Timed(2000 * i, 2000 * i + 1000));
    }
    return entries;
}

struct Step {
    int64_t t;
    int expected;  // index, or kNoEntry
    int32_t cursor_after;
};

struct LookupCase {
    const char* name;
    SubtitleEntries entries;
    double fps;
    int32_t cursor;  // before the first step
    std::vector<Step> steps;
};

TEST(FindEntryAt, Sequences) {
    const int none = kNoEntry;
    const LookupCase cases[] = {
        {"empty track keeps the cursor", {}, 25, 7, {{0, none, 7}, {5000, none, 7}}},
        {"start inclusive, end exclusive",
         {Timed(1000, 2000), Timed(2000, 3000)},
         25,
         0,
         {{999, none, 2}, {1999, 0, 0}, {2000, 1, 1}, {2999, 1, 1}, {3000, none, 2}}},
        {"equal times show the first",
         {Timed(1000, 2000), Timed(1000, 2000)},
         25,
         0,
         {{1000, 0, 0}, {1500, 0, 0}, {2000, none, 2}, {1000, 0, 0}}},
        {"overlap: the earlier entry hides the later one",
         {Timed(0, 5000), Timed(1000, 2000)},
         25,
         0,
         {{0, 0, 0},
          {1500, 0, 0},
          {4000, 0, 0},
          {1500, 0, 0},
          {4999, 0, 0},
          {5000, none, 2},
          {1500, 0, 0},
          {6000, none, 2},
          {1999, 0, 0}}},
        {"backward seek shows one empty frame",
         Spaced(),
         25,
         0,
         {{20500, none, 10},  // after the last entry: the next lookup scans from 0
          {18500, 9, 9},
          {18700, 9, 9},
          {4500, none, 10},  // from inside entry 9 back into entry 2
          {4600, 2, 2}}},
        {"forward through gaps",
         Spaced(),
         25,
         0,
         {{500, 0, 0}, {1500, none, 10}, {2500, 1, 1}, {3000, none, 10}, {8000, 4, 4}}},
        {"cursor beyond a shrunk track", {Timed(0, 1000), Timed(1000, 2000)}, 25, 5, {{500, 0, 0}}},
        {"negative cursor", {Timed(0, 1000)}, 25, -3, {{500, 0, 0}}},
        {"entry ending at its start never shows",
         {Timed(1000, 1000), Timed(1000, 900)},
         25,
         0,
         {{1000, none, 2}, {950, none, 2}}},
        {"frames 25-50 at 25 fps",
         {Framed(25, 50)},
         25,
         0,
         {{999, none, 1}, {1000, 0, 0}, {1999, 0, 0}, {2000, none, 1}}},
        {"frames truncated toward zero",
         {Framed(24, 48)},
         23.976,
         0,
         {{1000, none, 1}, {1001, 0, 0}, {2001, 0, 0}, {2002, none, 1}}},
        {"negative frame numbers count as unsigned",
         {Framed(-1, -1), Framed(0, -1)},
         25,
         0,
         {{0, 1, 1}, {171798691799, 1, 1}, {171798691800, none, 2}}},
        {"end frame 0 is a time entry of 0-0", {Framed(250, 0)}, 25, 0, {{0, none, 1}}},
        {"frame rate 0 shows nothing", {Framed(0, 50), Framed(1, 50)}, 0, 0, {{0, none, 2}}},
        {"negative frame rate shows nothing", {Framed(1, 50)}, -1e-300, 0, {{0, none, 1}}},
        {"mixed time and frame entries",
         {Framed(25, 50), Timed(3000, 4000)},
         25,
         0,
         {{1500, 0, 0}, {3500, 1, 1}, {1500, none, 2}, {1500, 0, 0}}},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t cursor = c.cursor;
        for (const Step& step : c.steps) {
            SCOPED_TRACE("t = " + std::to_string(step.t));
            EXPECT_EQ(FindEntryAt(c.entries, step.t, c.fps, cursor), step.expected);
            EXPECT_EQ(cursor, step.cursor_after);
        }
    }
}

TEST(SubtitleTrack, FillClearAndSnapshots) {
    SubtitleTrack track;
    EXPECT_EQ(track.Count(), 0u);
    track.Fill({Timed(0, 1000, "a"), Timed(1000, 2000, "b")});
    const SubtitleTrack::Snapshot before = track.Current();
    EXPECT_EQ(track.Count(), 2u);
    EXPECT_EQ(track.At(1).text, "b");
    EXPECT_THROW(track.At(2), std::out_of_range);

    int32_t cursor = 1;
    SubtitleTrack::Snapshot holder;
    const SubtitleEntry* found = track.FindEntryAt(500, 25, cursor, holder);
    EXPECT_EQ(found, nullptr);  // the cursor stood on "b": one empty frame
    found = track.FindEntryAt(500, 25, cursor, holder);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->text, "a");

    track.Fill({Timed(0, 5000, "c")});
    EXPECT_EQ(found->text, "a");  // the holder keeps the old list alive
    EXPECT_EQ(before->size(), 2u);
    EXPECT_EQ(track.FindEntryAt(500, 25, cursor), 0);
    EXPECT_EQ(track.At(0).text, "c");

    track.Clear();
    EXPECT_EQ(track.Count(), 0u);
    EXPECT_EQ(track.FindEntryAt(500, 25, cursor, holder), nullptr);
    EXPECT_EQ(cursor, 0);
}

// Track k holds 1 + k % 7 entries; entry i covers [1000 i, 1000 i + 1000) and
// its text names both k and i.
SubtitleEntries Generation(int k) {
    SubtitleEntries entries;
    for (int i = 0; i < 1 + k % 7; ++i) {
        entries.push_back({.start = 1000 * i,
                           .end = 1000 * i + 1000,
                           .text = "generation " + std::to_string(k) + " entry " +
                                   std::to_string(i) + " with text long enough to live on the heap",
                           .lines = static_cast<int16_t>(i + 1)});
    }
    return entries;
}

TEST(SubtitleTrack, LookupWhileReplacedSeesWholeTracks) {
    constexpr int kReplacements = 5000;
    SubtitleTrack track;
    std::atomic<bool> done{false};
    std::atomic<long> lookups{0};
    std::thread loader([&] {
        for (int k = 0; k < kReplacements; ++k) {
            if (k % 11 == 0) {
                track.Clear();
            } else {
                track.Fill(Generation(k));
            }
            if (k % 50 == 0) {  // let the lookups run through a whole cycle of times
                const long seen = lookups.load();
                while (lookups.load() < seen + 30) {
                    std::this_thread::yield();
                }
            }
        }
        done = true;
    });

    int32_t cursor = 0;
    int64_t t = 0;
    long found = 0, torn = 0;
    while (!done.load()) {
        SubtitleTrack::Snapshot holder;
        t = (t + 370) % 8000;
        const SubtitleEntry* e = track.FindEntryAt(t, 25, cursor, holder);
        lookups.fetch_add(1);
        if (e == nullptr) {
            continue;
        }
        ++found;
        const int i = static_cast<int>(e->start / 1000);
        const std::string& first = holder->front().text;
        const std::string generation = first.substr(0, first.find(" entry"));
        const bool whole = e->end == e->start + 1000 && e->lines == i + 1 &&
                           e->text.starts_with(generation + " entry " + std::to_string(i) + " ") &&
                           holder->size() > static_cast<size_t>(i) &&
                           &(*holder)[static_cast<size_t>(i)] == e;
        torn += whole ? 0 : 1;
    }
    loader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(found, 0);
    EXPECT_EQ(track.Count(), Generation(kReplacements - 1).size());
}

}  // namespace
}  // namespace tavimo
