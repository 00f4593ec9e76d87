// The lookup of the entry to draw, and the track shared by the thread that
// loads subtitles and the thread that draws them.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "subtitles/subtitle_track.h"

namespace tavimo {
namespace {

SubtitleEntry Timed(int64_t start, int64_t end, std::string text = "t") {
    return {.start = start, .end = end, .text = std::move(text), .lines = 1};
}

SubtitleEntry Framed(int32_t first, int32_t last) {
    return {.text = "f", .lines = 1, .startFrame = first, .endFrame = last};
}

struct Step {
    int64_t t;
    int expected;  // index, or kNoEntry
    int32_t cursor_after;
};
using Steps = std::vector<Step>;
using Track = SubtitleEntries;

struct LookupCase {
    const char* name;
    Track entries;
    Steps steps;
    int32_t cursor = 0;  // before the first step
    double fps = 25;
};

TEST(FindEntryAt, Sequences) {
    const int none = kNoEntry;
    Track spaced;  // entry i shows from 2i to 2i+1 s
    for (int64_t i = 0; i < 10; ++i) {
        spaced.push_back(Timed(2000 * i, 2000 * i + 1000));
    }
    const Track two = {Timed(1000, 2000), Timed(2000, 3000)};
    const LookupCase cases[] = {
        {"empty track keeps the cursor", Track{}, Steps{{0, none, 7}}, 7},
        {"start inclusive, end exclusive", two,
         Steps{{999, none, 2}, {1999, 0, 0}, {2000, 1, 1}, {3000, none, 2}}},
        {"cursor beyond a shrunk track", two, Steps{{1500, 0, 0}}, 5},
        {"negative cursor", two, Steps{{1500, 0, 0}}, -3},
        {"equal times show the first", Track{Timed(1000, 2000), Timed(1000, 2000)},
         Steps{{1500, 0, 0}, {2000, none, 2}, {1000, 0, 0}}},
        {"overlap: the earlier entry hides the later one", Track{Timed(0, 5000), Timed(1000, 2000)},
         Steps{{1500, 0, 0}, {4999, 0, 0}, {5000, none, 2}, {1500, 0, 0}}},
        {"backward seek shows one empty frame", spaced,
         Steps{{20500, none, 10}, {18500, 9, 9}, {4500, none, 10}, {4600, 2, 2}}},
        {"frames 25-50 at 25 fps", Track{Framed(25, 50)},
         Steps{{999, none, 1}, {1000, 0, 0}, {1999, 0, 0}, {2000, none, 1}}},
        {"frames truncated toward zero", Track{Framed(24, 48)},
         Steps{{1000, none, 1}, {1001, 0, 0}, {2001, 0, 0}, {2002, none, 1}}, 0, 23.976},
        {"negative frame numbers count as unsigned", Track{Framed(-1, -1), Framed(0, -1)},
         Steps{{0, 1, 1}, {171798691799, 1, 1}, {171798691800, none, 2}}},
        {"end frame 0 is a time entry of 0-0", Track{Framed(250, 0)}, Steps{{0, none, 1}}},
        {"frame rate 0 shows nothing", Track{Framed(0, 50), Framed(1, 50)}, Steps{{0, none, 2}}, 0,
         0},
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

TEST(SubtitleTrack, EntryFoundOutlivesFillAndClear) {
    SubtitleTrack track;
    track.Fill({Timed(0, 1000, "a")});
    int32_t cursor = 0;
    SubtitleTrack::Snapshot holder;
    const SubtitleEntry* found = track.FindEntryAt(500, 25, cursor, holder);
    ASSERT_NE(found, nullptr);
    track.Fill({Timed(0, 5000, "c")});
    track.Clear();
    EXPECT_EQ(found->text, "a");  // the holder keeps the old list alive
    EXPECT_EQ(track.FindEntryAt(500, 25, cursor, holder), nullptr);
}

std::string Text(int k, int i) {
    return std::to_string(k) + " " + std::to_string(i) + " text long enough to live on the heap";
}

// One thread replaces the track while another looks up: every entry found
// belongs to the list handed out with it, and that list is whole.
TEST(SubtitleTrack, LookupWhileReplacedSeesWholeTracks) {
    SubtitleTrack track;
    std::atomic<bool> done{false};
    std::atomic<long> lookups{0};
    std::thread loader([&] {
        for (int k = 0; k < 5000; ++k) {
            Track entries;  // track k: 1 + k % 7 entries of a second each
            for (int i = 0; i < 1 + k % 7; ++i) {
                entries.push_back(Timed(1000 * i, 1000 * i + 1000, Text(k, i)));
            }
            k % 11 == 0 ? track.Clear() : track.Fill(std::move(entries));
            for (const long seen = lookups; k % 50 == 0 && lookups < seen + 30;) {
                std::this_thread::yield();  // let the lookups run through a cycle of times
            }
        }
        done = true;
    });
    long found = 0, torn = 0;
    int32_t cursor = 0;
    for (int64_t t = 0; !done; t = (t + 370) % 8000, ++lookups) {
        SubtitleTrack::Snapshot holder;
        if (const SubtitleEntry* e = track.FindEntryAt(t, 25, cursor, holder)) {
            const int k = std::stoi(holder->front().text), i = static_cast<int>(e->start / 1000);
            ++found;
            torn += holder->size() != static_cast<size_t>(1 + k % 7) || e->text != Text(k, i);
        }
    }
    loader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(found, 0);
}

}  // namespace
}  // namespace tavimo
