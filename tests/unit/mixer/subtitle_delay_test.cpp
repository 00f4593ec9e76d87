// The subtitle delay: every entry shown earlier or later at lookup, time- and
// frame-based alike; the notice the mixer burns in at the top left; the
// keys' steps. The notice's end is seen in the end-to-end test, and a clip
// opening resets both where the subtitles beside a clip are loaded.
#include <algorithm>

#include "mixer_test_util.h"
#include "subtitles/subtitle_delay.h"

namespace tavimo {
namespace {

constexpr int32_t kWidth = 640, kHeight = 480;

class DelayTest : public MixerFixture {
  protected:
    void SetUp() override {
        mixer.emplace(track, shared);
        ASSERT_EQ(mixer->CheckInputType({VS::YV12, kWidth, kHeight, 12}), MixResult::Ok);
    }
    // What the mixer draws on a black frame: the rows and columns that hold
    // drawn pixels, {top, bottom, left, right}, all -1 when none.
    std::vector<int> Box(int64_t ms, int* white = nullptr) {
        Frame f = MakeFrame(VS::YV12, kWidth, kHeight, 0);
        EXPECT_EQ(mixer->Transform(f.View(), At(ms)), MixResult::Ok);
        std::vector<int> box = {-1, -1, -1, -1};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (f.Row(y)[x] != 0) {
                    box = {box[0] < 0 ? y : box[0], y, box[2] < 0 ? x : std::min(box[2], x),
                           std::max(box[3], x)};
                }
        if (white != nullptr) {
            *white = int(std::count(f.plane[0].begin(), f.plane[0].end(), 255));
        }
        return box;
    }
};

// A still picture is drawn once after a change: the entry the new delay
// makes due must show on that one frame, also when it lies before the last.
TEST_F(DelayTest, ShiftsEveryEntryAtLookup) {
    // A by time, 1000-2000 ms; B by frames 75-100, 3000-4000 ms at 25 fps.
    track.Fill({{.start = 1000, .end = 2000, .text = "A", .lines = 1},
                {.text = "B", .lines = 1, .startFrame = 75, .endFrame = 100}});
    struct Row {
        const char* name;
        int delay;
        int64_t ms;
        int entry;  // -1: none due
    } rows[] = {
        {"no delay: A at its start", 0, 1000, 0},
        {"later by 0.3 s: A not yet at 1.2 s", 300, 1200, -1},
        {"later by 0.3 s: A from 1.3 s", 300, 1300, 0},
        {"later by 0.3 s: A up to 2.299 s", 300, 2299, 0},
        {"later by 0.3 s: A gone at 2.3 s", 300, 2300, -1},
        {"earlier by 0.5 s: frame-based B from 2.5 s", -500, 2500, 1},
        {"earlier by 0.5 s: B gone at 3.5 s", -500, 3500, -1},
        {"later by 0.2 s: B still at 4.1 s", 200, 4100, 1},
        {"later by 2.5 s: A, before B, at once", 2500, 4100, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        shared.SubtitleDelay = row.delay;
        EXPECT_EQ(mixer->Prepare(At(row.ms)), row.entry >= 0);
        if (row.entry >= 0) {
            EXPECT_EQ(mixer->LookupCursor(), row.entry);
        }
    }
}

TEST_F(DelayTest, NoticeIsBurntInAtTheTopLeftWhileShown) {
    shared.SubtitleDelay = 300;
    EXPECT_EQ(Box(500), (std::vector<int>{-1, -1, -1, -1})) << "not shown";

    shared.DelayNotice = 1;
    // No track at all, no subtitle due: the notice alone, one line at 8 px
    // from the top and left (its outline one pixel further), white inside.
    int white = 0;
    const std::vector<int> box = Box(500, &white);
    EXPECT_TRUE(box[0] >= 7 && box[1] <= 8 + 2 * 20 && box[2] >= 7 && box[2] <= 10);
    // "Subtitle delay: +0.3 s" is wider than 100 px in any font.
    EXPECT_TRUE(box[3] > 100 && box[3] < kWidth / 2) << box[3];
    EXPECT_NE(white, 0);

    // With subtitles hidden and a subtitle due at the bottom, the notice still shows alone.
    track.Fill({{.start = 0, .end = 5000, .text = "Bottom", .lines = 1}});
    shared.ViewSubtitles = 0;
    EXPECT_EQ(Box(500), box);
    // Shown again, both: the subtitle's rows below the notice's.
    shared.ViewSubtitles = 1;
    EXPECT_GT(Box(500)[1], kHeight - 40);
}

TEST(DelayNoticeTextTest, SignedTenthsOfASecond) {
    struct Row {
        int ms;
        const char* text;
    } rows[] = {
        {300, "Subtitle delay: +0.3 s"},    {-100, "Subtitle delay: -0.1 s"},
        {0, "Subtitle delay: 0.0 s"},       {-1200, "Subtitle delay: -1.2 s"},
        {12300, "Subtitle delay: +12.3 s"}, {3600000, "Subtitle delay: +3600.0 s"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DelayNoticeText(row.ms), row.text) << row.ms;
}

TEST(SubtitleDelayKeysTest, StepsResetNoticeAndRedraw) {
    MixerShared shared;
    int redraws = 0;
    SubtitleDelay delay(shared, [&] { ++redraws; });
    struct Row {
        const char* name;
        int step;
        int delayAfter;
    } rows[] = {
        {"X", 100, 100},     {"X again", 100, 200},     {"Z", -100, 100},
        {"Z to 0", -100, 0}, {"Z below 0", -100, -100}, {"Shift+Z", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        shared.DelayNotice = 0;
        const int before = redraws;
        delay.Step(row.step);
        EXPECT_EQ(shared.SubtitleDelay.load(), row.delayAfter);
        EXPECT_TRUE(delay.NoticeShown());
        EXPECT_EQ(redraws, before + 1) << "a still picture is drawn again at once";
    }
    // An hour either way at most.
    shared.SubtitleDelay = SubtitleDelay::kLimitMs;
    delay.Step(100);
    EXPECT_EQ(shared.SubtitleDelay.load(), SubtitleDelay::kLimitMs);
}

}  // namespace
}  // namespace tavimo
