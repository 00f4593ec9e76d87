// The lookup of the entry to draw, and the track shared by the thread that
// loads subtitles and the thread that draws them.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "subtitle_test_util.h"

namespace tavimo {
namespace {

// Lookups in order: the time (ms) and the index expected, or kNoEntry.
using Steps = std::vector<std::pair<int64_t, int>>;
using Track = SubtitleEntries;

TEST(FindEntryAt, Sequences) {
    const int none = kNoEntry;
    const Track two = {Timed(1000, 2000), Timed(2000, 3000)};
    const struct {
        const char* name;
        Track entries;
        Steps steps;
        int32_t cursor = 0;  // before the first step
        double fps = 25;
    } cases[] = {
        {"start inclusive, end exclusive", two,
         Steps{{999, none}, {1999, 0}, {2000, 1}, {3000, none}}},
        {"cursor beyond a shrunk track", two, Steps{{1500, 0}}, 5},
        {"negative cursor", two, Steps{{1500, 0}}, -3},
        {"equal times show the first", Track{Timed(1000, 2000), Timed(1000, 2000)},
         Steps{{1500, 0}, {2000, none}, {1000, 0}}},
        {"overlap: the earlier entry hides the later one", Track{Timed(0, 5000), Timed(1000, 2000)},
         Steps{{1500, 0}, {4999, 0}, {5000, none}, {1500, 0}}},
        {"backward seek shows one empty frame",
         Track{Timed(0, 1000), Timed(2000, 3000), Timed(4000, 5000)},
         Steps{{6000, none}, {4500, 2}, {2500, none}, {2600, 1}, {500, none}, {600, 0}}},
        {"frames 25-50 at 25 fps; end frame 0 never shows", Track{Framed(25, 50), Framed(250, 0)},
         Steps{{999, none}, {1000, 0}, {1999, 0}, {2000, none}, {20000, none}}},
        {"frames truncated toward zero", Track{Framed(24, 48)},
         Steps{{1000, none}, {1001, 0}, {2001, 0}, {2002, none}}, 0, 23.976},
        {"negative frame numbers count as unsigned", Track{Framed(-1, -1), Framed(0, -1)},
         Steps{{0, 1}, {171798691799, 1}, {171798691800, none}}},
        {"frame rate 0 shows nothing", Track{Framed(0, 50), Framed(1, 50)}, Steps{{0, none}}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t cursor = c.cursor;
        for (const auto& [t, expected] : c.steps) {
            EXPECT_EQ(FindEntryAt(c.entries, t, c.fps, cursor), expected) << "t = " << t;
        }
    }
}

std::string Text(int k, int i) {
    return std::to_string(k) + " " + std::to_string(i) + " text long enough to live on the heap";
}

// One thread replaces the track while another looks up: every entry found
// belongs to the list handed out with it, and that list is whole and lives
// as long as the holder (the sanitizer builds see a list freed too early).
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
