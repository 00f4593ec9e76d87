// The clip's tracks as the user meets them: the menu texts, and which
// subtitles and audio a clip opens with, on the scripted media framework.
// (German, stereo and "no decoder" texts are main_frame_test's, in the menus.)
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/track_choices.h"
#include "support/scripted_player.h"

namespace tavimo {
namespace {

using K = StreamInfo::Kind;
constexpr int kDefault = kTrackDefault, kForced = kTrackForced, kOn = kTrackOn;

TEST(TracksTest, MenuTextsAreWrittenOut) {
    const std::tuple<const char*, int, StreamInfo, std::string> rows[] = {
        {"title before language, 6 channels", 2,
         FakeTrack(K::Audio, "eng", "AAC", 6, 0, "Commentary"), "Track 2: Commentary (AAC, 5.1)"},
        {"mono", 1, FakeTrack(K::Audio, "fr", "Opus", 1), "Track 1: Français (Opus, mono)"},
        {"7.1", 3, FakeTrack(K::Audio, "ja", "FLAC", 8), "Track 3: 日本語 (FLAC, 7.1)"},
        {"odd channel count", 1, FakeTrack(K::Audio, "en", "PCM", 3),
         "Track 1: English (PCM, 3 ch)"},
        {"channels unknown", 1, FakeTrack(K::Audio, "en", "AAC", 0), "Track 1: English (AAC)"},
        {"region cut off", 1, FakeTrack(K::Subtitle, "pt-BR", "SubRip"),
         "Track 1: Português (SubRip)"},
        {"unknown code as tagged", 5, FakeTrack(K::Subtitle, "tlh", "ASS"), "Track 5: tlh (ASS)"},
        {"untagged", 4, FakeTrack(K::Subtitle, "", "PGS"), "Track 4 (PGS)"},
        {"undetermined is untagged", 1, FakeTrack(K::Subtitle, "und", "SubRip"),
         "Track 1 (SubRip)"},
    };
    for (const auto& [name, number, info, text] : rows)
        EXPECT_EQ(TrackMenuText(number, info), text) << name;
}

// What shows and plays once a clip has opened. The file beside "with.mkv"
// holds one cue, "from the file"; a track of the clip fills the track with
// "cue of track <index>".
TEST(TracksTest, ChoiceOnOpen) {
    const std::string dir = testing::TempDir();
    std::ofstream(dir + "with.srt") << "1\n00:00:00,000 --> 00:01:00,000\nfrom the file\n";
    const auto A = [](const char* l, int f = 0) { return FakeTrack(K::Audio, l, "AAC", 2, f); };
    const auto S = [](const char* l, int f = 0) {
        return FakeTrack(K::Subtitle, l, "SubRip", 0, f);
    };
    // A clip's track list, written in a row.
    const auto V = [](auto... tracks) { return std::vector<StreamInfo>{tracks...}; };
    const std::vector<StreamInfo> flagged = {A("en", kOn), A("de"), S("en"), S("de", kDefault),
                                             S("fr", kForced)};
    // Name, has a file, tracks, stored subtitle and audio languages; then the
    // text drawn ("" none), its radio item and the audio track that plays.
    const std::tuple<const char*, bool, std::vector<StreamInfo>, const char*, const char*,
                     std::string, std::string, long>
        rows[] = {
            {"the file beats flagged tracks", true, flagged, "", "", "from the file", "with.srt",
             0},
            {"forced before default", false, flagged, "", "", "cue of track 4",
             "Track 3: Français (SubRip)", 0},
            {"default without forced", false, V(A("en", kOn), S("en"), S("de", kDefault)), "", "",
             "cue of track 2", "Track 2: Deutsch (SubRip)", 0},
            {"no flags: none", false, V(A("en", kOn), S("en"), S("de")), "", "", "", "Off", 0},
            {"stored language beats the flags", false, flagged, "en", "", "cue of track 2",
             "Track 1: English (SubRip)", 0},
            {"stored 639-2/B code meets a 639-1 tag", false, V(S("en", kDefault), S("de")), "ger",
             "", "cue of track 1", "Track 2: Deutsch (SubRip)", -1},
            {"full before forced in the stored language", false,
             V(S("de", kForced), S("de"), S("en", kDefault)), "de", "", "cue of track 1",
             "Track 2: Deutsch (SubRip)", -1},
            {"stored language absent: the flags", false, flagged, "ja", "", "cue of track 4",
             "Track 3: Français (SubRip)", 0},
            {"no decoder is never chosen", false,
             V(S("en", kForced | kTrackNoDecoder), S("de", kDefault)), "en", "", "cue of track 1",
             "Track 2: Deutsch (SubRip)", -1},
            {"the framework's own pick gives way to the file", true, V(A("en", kOn), S("de", kOn)),
             "", "", "from the file", "with.srt", 0},
            {"the framework's own pick gives way to forced", false,
             V(S("de", kOn), S("en", kForced)), "", "", "cue of track 1",
             "Track 2: English (SubRip)", -1},
            {"stored audio language", false, flagged, "", "deu", "cue of track 4",
             "Track 3: Français (SubRip)", 1},
            {"default audio beats the framework's pick", false,
             V(A("en", kOn), A("de", kDefault), S("fr")), "", "", "", "Off", 1},
        };
    for (const auto& [name, file, streams, subtitleLanguage, audioLanguage, drawn, marked, audio] :
         rows) {
        test::ScriptedPlayer player;
        PlayerRecord& record = player.record;
        FakeMediaFramework& media = player.media;
        media.script.streams = streams;
        record.SubtitleLanguage = subtitleLanguage;
        record.AudioLanguage = audioLanguage;
        record.ClipPath = dir + (file ? "with.mkv" : "without.mkv");
        record.OpenClip();
        ASSERT_EQ(record.ClipState, ClipState::Running) << name;
        const auto entries = record.Track.Current();
        EXPECT_EQ(entries->empty() ? "" : entries->front().text, drawn) << name;
        EXPECT_EQ(record.SubtitleChoices.at(record.SubtitleChosen).label, marked) << name;
        long playing = -1;
        for (long i = 0; record.pSS && i < static_cast<long>(streams.size()); ++i) {
            StreamInfo info;
            record.pSS->Info(i, &info);
            if (info.kind == K::Audio && info.enabled)
                playing = playing == -1 ? i : -2;  // -2: more than one plays
        }
        EXPECT_EQ(playing, audio) << name;
        EXPECT_EQ(record.SubtitleLanguage, subtitleLanguage) << name << ": opening stores nothing";
    }
}

}  // namespace
}  // namespace tavimo
