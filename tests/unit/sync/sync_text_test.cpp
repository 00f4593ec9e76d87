// The synchroniser's words and files: the command line's line, the note,
// the retimed entries and the SubRip text, ASS events, and the results kept
// in the cache folder (a damaged line skipped, the oldest dropped, the same
// in every locale, none lost to a second player writing at once).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cinttypes>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "../platform/test_dir.h"
#include "subtitles/sync/sync_memory.h"
#include "subtitles/sync/sync_text.h"
#include "support/decimal_comma.h"
#include "support/shell.h"

namespace tavimo::sync {
namespace {

SyncResult Matched(RateChange rate, std::vector<SyncPart> parts) {
    SyncResult r;
    r.matched = true;
    r.rate = rate;
    r.parts = std::move(parts);
    return r;
}

// The line with a ratio and the notes of a remembered result are the
// command line's and the frame's tests.
TEST(SyncText, LinesAndNotes) {
    struct Row {
        const char* name;
        SyncResult result;
        const char* line;
        const char* note;
    } rows[] = {
        // The second part starts at 0:40:35.800 in the file, 0:41:07.200 in
        // the clip (+31.4 s).
        {"two parts", Matched({1, 1}, {{0, 1000}, {2'435'800, 31'400}}),
         "delay +1.000 s until 0:41:07.200, then +31.400 s",
         "Subtitles synchronised: +1.00 s in 2 parts"},
        {"rounded to hundredths", Matched({1, 1}, {{0, -5}}), "delay -0.005 s",
         "Subtitles synchronised: \xE2\x88\x92"
         "0.01 s"},
        {"none", Matched({1, 1}, {{0, 0}}), "delay +0.000 s", "Subtitles synchronised: +0.00 s"},
        {"a frame-rate ratio", Matched({25, 23.976}, {{0, -1200}}),
         "delay -1.200 s, frame rate 25 -> 23.976",
         "Subtitles synchronised: \xE2\x88\x92"
         "1.20 s, 25 \xE2\x86\x92 23.976 fps"},
    };
    // Under a decimal comma too: one line holds both kinds of number.
    for (const bool comma : {false, true}) {
        ASSERT_TRUE(!comma || test::UseDecimalComma()) << "de_DE.UTF-8 cannot be made";
        for (const Row& r : rows) {
            EXPECT_EQ(ResultLine(r.result), r.line) << r.name << (comma ? ", de_DE" : "");
            EXPECT_EQ(ResultNote(r.result, false), r.note) << r.name << (comma ? ", de_DE" : "");
        }
        std::setlocale(LC_ALL, "C");
    }
}

// The entries as "text start-end" (ms), joined with "|"; "*" marks one
// still frame-based.
std::string Spans(const SubtitleEntries& entries) {
    std::string out;
    for (const SubtitleEntry& e : entries)
        out += (out.empty() ? "" : "|") + e.text + " " + std::to_string(e.start) + "-" +
               std::to_string(e.end) + (e.FrameBased() ? "*" : "");
    return out;
}

// Part 1 from 0 s at +0.5 s, part 2 from 60 s at -1.5 s: in the player the
// delay (+0.5 s) stays apart, so "c" shows at 62 s - 1.5 s - the delay; "b"
// stays in the part it starts in; "d", frames 2500-2550, became times.
TEST(SyncText, RetimedKeepsTheDelayApartAndCuesInTheirPart) {
    const SubtitleEntries entries = {
        {.start = 1000, .end = 2000, .text = "a"},
        {.start = 59'000, .end = 61'000, .text = "b"},
        {.start = 62'000, .end = 63'000, .text = "c"},
        {.start = 0, .end = 0, .text = "d", .startFrame = 2500, .endFrame = 2550},
    };
    const SyncResult r = Matched({1, 1}, {{0, 500}, {60'000, -1500}});
    EXPECT_EQ(Spans(Retimed(entries, r, 25.0, false)),
              "a 1000-2000|b 59000-61000|c 60000-61000|d 98000-100000");
    const SubtitleEntries written = Retimed(entries, r, 25.0, true);
    EXPECT_EQ(Spans(written), "a 1500-2500|b 59500-61500|c 60500-61500|d 98500-100500");
    EXPECT_EQ(SubRipText({written[0], written[2]}),
              "1\n00:00:01,500 --> 00:00:02,500\na\n\n"
              "2\n00:01:00,500 --> 00:01:01,500\nc\n\n");
}

// 25 -> 24: 4 minutes become 250 s; -1.5 s: "cut at 0" ends at 3000 x 25/24
// - 1500.
TEST(SyncText, RetimedStretchesAndDropsWhatEndsBeforeTheStart) {
    const SubtitleEntries entries = {
        {.start = 500, .end = 900, .text = "gone"},
        {.start = 1000, .end = 3000, .text = "cut at 0"},
        {.start = 240'000, .end = 241'000, .text = "stretched"},
    };
    EXPECT_EQ(Spans(Retimed(entries, Matched({25, 24}, {{0, -1500}}), 25.0, true)),
              "cut at 0 0-1625|stretched 248500-249542");
}

// Columns in another order are found by name; a format naming fewer columns
// than the times need leaves its events out.
TEST(SyncText, AssEventsFollowTheFormatLine) {
    const char* script =
        "[Script Info]\nTitle: x\n\n[Events]\n"
        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
        "Dialogue: 0,0:00:01.50,0:00:03.00,Default,,0,0,0,,Hello, there\r\n"
        "Comment: 0,0:00:04.00,0:00:05.00,Default,,0,0,0,,not shown\n"
        "Dialogue: 0,0:01:02.00,0:01:01.00,Default,,0,0,0,,ends before it starts\n"
        "Dialogue: 0,1:00:00.00,1:00:02.25,Default,,0,0,0,,{\\i1}Late{\\i0}\n";
    EXPECT_EQ(Spans(AssDialogueEntries(script)),
              "Hello, there 1500-3000|{\\i1}Late{\\i0} 3600000-3602250");
    EXPECT_EQ(Spans(AssDialogueEntries(
                  "[Events]\nFormat: Text, End, Start\nDialogue:Hi, 0:00:02.00, 0:00:01.00\n")),
              "Hi 1000-2000");
    EXPECT_TRUE(AssDialogueEntries("[Events]\nFormat: Text, Layer\nDialogue: Hi, 0\n").empty());
    EXPECT_TRUE(
        AssDialogueEntries("[Events]\nFormat: Start, End\nDialogue: 0:00:01.00, 0:00:02.00\n")
            .empty());
}

// The results file in a folder of the test's own, whose folders it makes.
class SyncMemoryTest : public testing::Test {
  protected:
    platform::testing::TestDir dir;
    const std::string path = dir / "cache/tavimo/subtitle-sync.txt";
};

TEST_F(SyncMemoryTest, RemembersReplacesAndSkipsDamagedLines) {
    SyncMemory memory(path);
    EXPECT_FALSE(memory.Find("clip", "subs"));
    ASSERT_TRUE(memory.Remember("clip", "subs", Matched({25, 23.976}, {{0, -1200}})));
    ASSERT_TRUE(memory.Remember("other", "subs", Matched({1, 1}, {{0, 10}, {5000, 20}})));
    ASSERT_TRUE(memory.Remember("clip", "subs", Matched({1, 1}, {{0, 2350}})));
    const auto found = memory.Find("clip", "subs");
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->rate.Identity());
    EXPECT_EQ(found->parts, (std::vector<SyncPart>{{0, 2350}}));
    // One line per pair, the pair replaced at the end.
    std::string text = test::FileText(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    // A changed digit breaks the checksum of that line only.
    const size_t at = text.find("5000:20");
    ASSERT_NE(at, std::string::npos);
    text[at] = '6';
    std::ofstream(path) << text << "garbage without tabs\n\x01\t\t\n";
    EXPECT_FALSE(memory.Find("other", "subs"));
    EXPECT_EQ(memory.Find("clip", "subs").value_or(SyncResult{}).parts, found->parts);
}

TEST_F(SyncMemoryTest, KeepsTheNewest500) {
    SyncMemory memory(path);
    for (int i = 0; i < 502; ++i) {
        ASSERT_TRUE(memory.Remember("clip" + std::to_string(i), "s", Matched({1, 1}, {{0, i}})));
    }
    EXPECT_FALSE(memory.Find("clip0", "s"));
    EXPECT_FALSE(memory.Find("clip1", "s"));
    ASSERT_TRUE(memory.Find("clip2", "s"));
    EXPECT_EQ(memory.Find("clip501", "s")->parts[0].offsetMs, 501);
}

// A results line as the file holds it: the body and its checksum.
std::string Line(const std::string& body) {
    uint64_t h = 1469598103934665603ull;
    for (const char c : body) {
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char sum[20];
    std::snprintf(sum, sizeof sum, "%016" PRIx64, h);
    return body + "\t" + sum + "\n";
}

TEST_F(SyncMemoryTest, LinesReadAsMeantInEveryLocaleAndWithinBounds) {
    ASSERT_TRUE(test::UseDecimalComma()) << "de_DE.UTF-8 cannot be made";
    SyncMemory memory(path);
    // Written under a decimal comma, read under the C locale.
    ASSERT_TRUE(memory.Remember("clip", "subs", Matched({25, 23.976}, {{0, -1200}})));
    std::setlocale(LC_ALL, "C");
    const std::optional<SyncResult> written = memory.Find("clip", "subs");
    ASSERT_TRUE(written);
    EXPECT_EQ(written->rate, (RateChange{25, 23.976}));
    struct Row {
        const char* name;
        const char* fields;  // from, to, parts
        bool decimalComma;   // read under de_DE
        std::optional<RateChange> rate;
    } rows[] = {
        {"a decimal point read under de_DE", "25\t23.976\t0:-1200", true, RateChange{25, 23.976}},
        {"an older line's decimal comma read under C", "23,976\t25\t0:-1200", false,
         RateChange{23.976, 25}},
        {"an older line's decimal comma read under de_DE", "24\t23,976\t0:-1200", true,
         RateChange{24, 23.976}},
        {"a rate of 1e-300", "1e-300\t25\t0:-1200", false, std::nullopt},
        {"a ratio of 1e300", "1e300\t1\t0:-1200", false, std::nullopt},
        {"an offset near INT64_MIN", "25\t25\t0:-9223372036854775800", false, std::nullopt},
        {"a part starting near INT64_MAX", "25\t25\t0:0,9223372036854775000:5", false,
         std::nullopt},
    };
    for (const Row& r : rows) {
        std::ofstream(path) << Line(std::string("clip/subs\t") + r.fields);
        ASSERT_TRUE(!r.decimalComma || test::UseDecimalComma());
        const std::optional<SyncResult> found = memory.Find("clip", "subs");
        std::setlocale(LC_ALL, "C");
        EXPECT_EQ(found.has_value(), r.rate.has_value()) << r.name;
        if (found && r.rate) {
            EXPECT_EQ(found->rate, *r.rate) << r.name;
            EXPECT_EQ(found->parts, (std::vector<SyncPart>{{0, -1200}})) << r.name;
        }
    }
}

// Two players remembering at the same time, 200 results each: all 400 kept.
TEST_F(SyncMemoryTest, TwoPlayersRememberingAtOnceLoseNothing) {
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            SyncMemory memory(path);
            bool all = true;
            for (int i = 0; i < 200; ++i) {
                all &= memory.Remember("clip" + std::to_string(c) + "-" + std::to_string(i), "s",
                                       Matched({1, 1}, {{0, i}}));
            }
            _exit(all ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SyncMemory memory(path);
    int kept = 0;
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < 200; ++i) {
            const auto found =
                memory.Find("clip" + std::to_string(c) + "-" + std::to_string(i), "s");
            kept += found && found->parts[0].offsetMs == i;
        }
    }
    EXPECT_EQ(kept, 400);
}

TEST_F(SyncMemoryTest, IdentitiesFollowContentNotName) {
    const std::string a = dir.Write("a.mkv", std::string(200'000, 'x')),
                      b = dir.Write("b.mkv", std::string(200'000, 'x'));
    EXPECT_EQ(ClipIdentity(a), ClipIdentity(b));
    EXPECT_EQ(ClipIdentity(a).substr(0, 7), "200000-");
    dir.Write("b.mkv", std::string(199'999, 'x') + 'y');  // the last byte differs
    EXPECT_NE(ClipIdentity(a), ClipIdentity(b));
    EXPECT_EQ(ClipIdentity(dir / "missing"), "");
    const SubtitleEntries one = {{.start = 1000, .end = 2000, .text = "a"}};
    SubtitleEntries moved = one;
    moved[0].start = 1001;
    EXPECT_NE(SubtitleIdentity(one), SubtitleIdentity(moved));
    EXPECT_EQ(SubtitleIdentity(one), SubtitleIdentity(SubtitleEntries(one)));
}

}  // namespace
}  // namespace tavimo::sync
