// Which cues count as speech, and how the detector's output is cleaned.
#include <gtest/gtest.h>

#include <string>

#include "subtitles/sync/sync_signal.h"

namespace tavimo::sync {
namespace {

TEST(SyncSignal, SpeechTextLeavesOutMusicAndSoundDescriptions) {
    struct Row {
        const char* name;
        const char* text;
        bool speech;
    } rows[] = {
        {"plain line", "Where were you last night?", true},
        {"two lines", "- Yes.\n- No.", true},
        {"italic speech", "<i>I know.</i>", true},
        {"note sign alone", "\xE2\x99\xAA", false},
        {"sung line", "\xE2\x99\xAA Happy birthday to you \xE2\x99\xAA", false},
        {"hash lyrics", "# Oh, Danny boy #", false},
        {"hash inside", "Room #12, please.", true},
        {"square description", "[door slams]", false},
        {"round description", "(LAUGHS)", false},
        {"description then speech", "[sighs] Fine, come in.", true},
        {"speaker and description", "<i>(whispering)</i>", false},
        {"override tag only", "{\\an8}[thunder]", false},
        {"punctuation only", "...", false},
        {"non-Latin speech", "\xD0\x94\xD0\xB0.", true},
        {"unclosed bracket", "[music continues", false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(IsSpeechText(r.text), r.speech) << r.name;
    }
}

TEST(SyncSignal, SpeechCuesSortedFrameBasedConvertedEmptyDropped) {
    SubtitleEntries entries = {
        {.start = 5000, .end = 6000, .text = "Later."},
        {.start = 1000, .end = 2000, .text = "First."},
        {.start = 3000, .end = 3000, .text = "No time on screen."},
        {.start = 0, .end = 0, .text = "Frames.", .startFrame = 250, .endFrame = 300},
        {.start = 7000, .end = 8000, .text = "\xE2\x99\xAA"},
    };
    EXPECT_EQ(SpeechCues(entries, 25.0),
              (std::vector<Cue>{{1000, 2000}, {5000, 6000}, {10000, 12000}}));
    EXPECT_EQ(SpeechCues(entries, 0.0), (std::vector<Cue>{{1000, 2000}, {5000, 6000}}));
}

// "+" speech, "-" none, "." not heard; one character per 10 ms step.
Activity Steps(const std::string& pattern) {
    Activity a;
    for (const char c : pattern) {
        a.push_back(c == '+' ? 1 : c == '-' ? -1 : 0);
    }
    return a;
}

std::string Pattern(const Activity& a) {
    std::string s;
    for (const int8_t v : a) {
        s += v > 0 ? '+' : v < 0 ? '-' : '.';
    }
    return s;
}

TEST(SyncSignal, SmoothingDropsShortSpeechAndFillsShortGaps) {
    const std::string run19(19, '+'), run20(20, '+'), gap29(29, '-'), gap30(30, '-');
    struct Row {
        const char* name;
        std::string in, out;
    } rows[] = {
        {"speech of 190 ms dropped", "---" + run19 + "---", "---" + std::string(19, '-') + "---"},
        {"speech of 200 ms kept", "---" + run20 + "---", "---" + run20 + "---"},
        {"gap of 290 ms filled", run20 + gap29 + run20, std::string(69, '+')},
        {"gap of 300 ms kept", run20 + gap30 + run20, run20 + gap30 + run20},
        {"gap at the start kept", gap29 + run20, gap29 + run20},
        {"gap before unheard kept", run20 + gap29 + "..", run20 + gap29 + ".."},
        {"short speech at an unheard edge dropped", ".." + run19 + "--",
         ".." + std::string(19, '-') + "--"},
    };
    for (const Row& r : rows) {
        Activity a = Steps(r.in);
        SmoothSpeech(a);
        EXPECT_EQ(Pattern(a), r.out) << r.name;
    }
}

TEST(SyncSignal, LevelFloorIsTheQuietestFifthOfTheLastFiveSeconds) {
    // Whether the last of `voiceSteps` at `voice` dB after `bedSteps` at 40.
    auto loud = [](int bedSteps, double voice, int voiceSteps) {
        LevelFloor floor;
        bool last = false;
        for (int i = 0; i < bedSteps + voiceSteps; ++i) {
            last = floor.Loud(i < bedSteps ? 40 : voice);
        }
        return last;
    };
    EXPECT_TRUE(loud(300, 45, 1)) << "5 dB over the bed";
    EXPECT_FALSE(loud(300, 44, 1)) << "4 dB over it";
    EXPECT_TRUE(loud(300, 46, 400)) << "the bed a fifth of the last 5 s";
    EXPECT_FALSE(loud(300, 46, 401)) << "the voice four fifths and a step";
}

}  // namespace
}  // namespace tavimo::sync
