// The player record on the scripted media framework: commands without a clip,
// the volume and the seek range, the playback state table, how graph building
// fails and what it leaves, and the Open dialog's road; the chapter keys and
// the loop; the clip's tracks as the user meets them (the menu texts, and
// which subtitles and audio a clip opens with; German, stereo and "no
// decoder" texts are main_frame_test's, in the menus); and the playback
// speed, the steps ] and [ take from any speed and the speed the record
// keeps, its note written out. Where seeks land is the engine's GStreamer
// tests'.
#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/playback_speed.h"
#include "engine/track_choices.h"
#include "integration/resume_positions.h"
#include "support/decimal_comma.h"
#include "support/fake_registry.h"
#include "support/scripted_player.h"

namespace tavimo {
namespace {

using Kind = platform::ScriptedDialogs::Kind;

// The lines joined with "|": one string to compare whole.
std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += (out.empty() ? "" : "|") + line;
    return out;
}

// A window holding a record on the scripted framework; notes what the record asks of it.
class Player : public test::ScriptedPlayer {
  public:
    void SetWindowTitle(const std::string& title) override { titles.push_back(title); }
    void SetSeekRange(int32_t high, int64_t total) override { seek = {high, total}; }
    void SetSeekPosition(int32_t at, int64_t current) override { position = {at, current}; }
    void StartPositionTimer() override { ++timer; }
    void StopPositionTimer() override { --timer; }
    void AddRecent(const std::string& path) override { recent.push_back(path); }
    // What the seek bar is told to show of the loop: "A <s>", "A <s> B <s>"
    // or "" (seconds), as of the last time it was told.
    void MarksChanged() override {
        const AbLoop& loop = record.Loop;
        marks.clear();
        if (loop.stage != AbLoop::Stage::Off)
            marks = "A " + std::to_string(loop.a / 10000000);
        if (loop.stage == AbLoop::Stage::Looping)
            marks += " B " + std::to_string(loop.b / 10000000);
    }

    // The texts of the boxes shown, each checked to be the player's error box.
    std::string Boxes() const {
        std::vector<std::string> texts;
        for (const auto& call : dialogs.CallsOf(Kind::MessageBox)) {
            EXPECT_EQ(call.caption, "Tavimo");
            EXPECT_EQ(call.flags, platform::MB_ICONHAND);
            texts.push_back(call.text);
        }
        return Joined(texts);
    }

    // Where the graph stands (100 ns units), and a seek there.
    REFERENCE_TIME Now() {
        REFERENCE_TIME position = -1;
        record.pMS->GetCurrentPosition(&position);
        return position;
    }
    void At(REFERENCE_TIME position) {
        record.pMS->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, 0);
    }

    std::vector<std::string> titles, recent;
    int timer = 0;
    std::string marks;
    std::pair<int32_t, int64_t> seek, position;
};

const std::string kFail = "The operation failed.";
const std::string kInit = "FAILED(hr=0x80004005) in InitializeWindowlessVMR(&pVmr)\n\n" + kFail;

std::string Box(const std::string& call) {
    return "FAILED(hr=0x80004005) in " + call + "\n\n" + kFail;
}
// A failed step's own box, then its caller's, whose code is no known one.
std::string Chain(const std::string& call, const std::string& caller) {
    return Box(call) + "|FAILED(hr=0xffffffff) in " + caller + "\n\nUnknown Error: 0xffffffff";
}

// Without a clip the commands touch no graph and leave the title alone.
TEST(PlayerRecordTest, VolumeAndSeekRange) {
    Player p;
    p.record.TogglePause();
    p.record.StopClip();
    p.record.SeekBy(50000000);
    p.record.PollPosition();
    p.record.SetVolume(40);
    EXPECT_EQ(p.record.Volume, 40);
    EXPECT_EQ(Joined(p.media.log) + Joined(p.titles), "");
    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    EXPECT_EQ(p.seek, std::make_pair(600000000 >> 16, int64_t{60}));
    // Volume asked -> hundredths of a decibel, volume kept.
    const std::tuple<int, long, int> levels[] = {{75, -287, 75}, {-20, -10000, 0}, {250, 0, 100}};
    for (const auto& [volume, level, stored] : levels) {
        p.media.log.clear();
        p.record.SetVolume(volume);
        EXPECT_EQ(p.record.Volume, stored) << volume;
        EXPECT_EQ(Joined(p.media.log), "put_Volume " + std::to_string(level)) << volume;
    }
}

// One action from one state: the calls it makes, the timer and the state it
// leaves, when a step fails. Pausing and playing on, stopping to the first
// frame, closing and the end of a clip on real pipelines are the engine's
// GStreamer tests' and the real program's.
TEST(PlayerRecordTest, StateTable) {
    using S = ClipState;
    const auto pause = &PlayerRecord::TogglePause, stop = &PlayerRecord::StopClip;
    const auto end = decltype(pause){};  // end: EC_COMPLETE
    // Name, failing step, from, action, to, timer starts minus stops, media calls.
    const std::tuple<const char*, const char*, S, void (PlayerRecord::*)(), S, int, std::string>
        rows[] = {
            {"failed run keeps stopped", "Run", S::Stopped, pause, S::Stopped, 0, "Run|Run failed"},
            {"failed pause keeps running", "Pause", S::Running, pause, S::Running, 0,
             "Pause|Pause failed"},
            {"stopped stays without calls", "", S::Stopped, stop, S::Stopped, 0, ""},
            {"an error event is passed over; a failed rewind stops and runs", "SetPositions",
             S::Running, end, S::Running, 0,
             "FreeEventParams 3|FreeEventParams 1|SetPositions 0 1 - 0|SetPositions "
             "failed|Stop|Run"},
        };
    for (const auto& [name, fail, from, act, to, timer, calls] : rows) {
        Player p;
        ASSERT_TRUE(p.Open("/clips/a.mp4"));
        p.record.ClipState = from;
        if (*fail)
            p.media.script.failures[fail] = E_FAIL;
        p.media.log.clear();
        const int timerBefore = p.timer;
        if (act) {
            (p.record.*act)();
        } else {  // the notify target drains each as it comes
            p.media.PostEvent(EC_ERRORABORT);
            p.media.PostEvent(EC_COMPLETE);
        }
        EXPECT_EQ(p.record.ClipState, to) << name;
        EXPECT_EQ(Joined(p.media.log), calls) << name;
        EXPECT_EQ(p.timer - timerBefore, timer) << name;
        EXPECT_EQ(p.Boxes(), "") << name;
    }
}

// A jump the position's timer has not seen yet is where the clip is left for
// resuming, whether Stop or closing leaves it.
TEST(PlayerRecordTest, AJumpJustBeforeLeavingIsKeptForResuming) {
    using Steps = std::vector<void (PlayerRecord::*)()>;
    const std::pair<const char*, Steps> rows[] = {
        {"stopped, then closed", Steps{&PlayerRecord::StopClip, &PlayerRecord::CloseClip}},
        {"closed while playing", Steps{&PlayerRecord::CloseClip}},
    };
    for (const auto& [name, leave] : rows) {
        SCOPED_TRACE(name);
        platform::FakeRegistry registry;
        ResumePositions resume(registry);
        Player p;
        p.record.UseResumePositions(&resume);
        p.record.ResumePlayback = 1;
        ASSERT_TRUE(p.Open("/clips/film.mkv"));
        p.record.PollPosition();     // the timer saw it at the start
        p.record.SeekTo(300000000);  // 30 s on, before the timer's next tick
        for (const auto step : leave)
            (p.record.*step)();
        EXPECT_EQ(resume.Load(),
                  (std::vector<ResumePositions::Entry>{{"/clips/film.mkv", 300000000}}));
    }
}

// A step of graph building failing alone, one for each way the failure is
// told: exactly its boxes, then the clip is closed, listed as recent, and
// nothing of the graph is left. (The steps GStreamer's graph always answers,
// creating the graph, its interfaces, the source's pins and the border
// colour, are not asked to fail.)
TEST(PlayerRecordTest, BuildFailureShowsItsBoxesAndCloses) {
    const std::string render = "RenderFileToVMR9(pGB, szFile, pVmr, TRUE)";
    struct Row {
        const char* step;
        std::string boxes;
        HRESULT code = E_FAIL;
        const char* path = "/c/a.mp4";
    } rows[] = {
        {"CreateVideoRenderer",
         "This program needs DirectX9,\na videocard with Direct3D and the "
         "latest videodrivers.\nGo download them!\n" +
             kFail + "|" + kInit},
        // A playlist named on its own takes the Windows Media road, in any case.
        {"CreateAsfReader",
         Chain("CoCreateInstance(CLSID_WMAsfReader , NULL, CLSCTX_INPROC_SERVER, "
               "IID_IBaseFilter, (void **) &pSource)",
               render),
         E_FAIL, "/m/LIST.ASX"},
        {"Run", "FAILED(hr=0x8004022e) in pMC->Run()\n\nThe media pipeline did not answer in time.",
         VFW_E_TIMEOUT},
    };
    for (const Row& row : rows) {
        Player p;
        p.media.script.failures[row.step] = row.code;
        p.Open(row.path);
        EXPECT_EQ(p.Boxes(), row.boxes) << row.step;
        EXPECT_EQ(p.record.ClipState, ClipState::Closed) << row.step;
        EXPECT_TRUE(p.record.FullScreenBlocked) << row.step;
        EXPECT_EQ(Joined(p.recent), row.path) << row.step;
        EXPECT_EQ(p.titles.back(), std::string("Tavimo - ") + row.path) << row.step;
        EXPECT_EQ(p.media.graphsAlive, 0) << row.step;
        EXPECT_FALSE(p.record.pGB || p.record.pMC || p.record.pME || p.record.pMS || p.record.pBA ||
                     p.record.pWC)
            << row.step;
    }
}

// What building leaves when it does not fail: no audio renderer plays
// silently; one no stream reached leaves the graph (and the Filters menu); a
// clip without a picture or a length is 4:3 and 0 long; a new clip releases
// the old graph.
TEST(PlayerRecordTest, BuildOutcomes) {
    Player mute, silent, p;
    mute.media.script.failures["CreateAudioRenderer"] = E_FAIL;
    EXPECT_TRUE(mute.Open("/clips/a.mp4"));
    EXPECT_EQ(mute.Boxes(), "");
    silent.media.script.hasAudio = false;
    EXPECT_TRUE(silent.Open("/clips/silent.mp4"));
    EXPECT_EQ(Joined(silent.media.LogOf("RemoveFilter")), "RemoveFilter Audio Renderer");
    p.media.script.hasVideo = false;
    p.media.script.failures["GetDuration"] = E_FAIL;
    EXPECT_TRUE(p.Open("/clips/a.mp3"));
    EXPECT_EQ(p.record.Duration, 0);
    EXPECT_FLOAT_EQ(p.record.VideoAspect, 4.0f / 3.0f);
    EXPECT_EQ(Joined(p.media.LogOf("SetAspectRatioMode")), "SetAspectRatioMode 1");
    auto first = p.media.lastGraph;
    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(p.media.graphsAlive, 1);
}

// The Open dialog's answers; a playlist chosen is the translation test's box.
TEST(PlayerRecordTest, DialogRoad) {
    const std::string longPath = "/m/" + std::string(300, 'n') + ".mp4";
    using Answer = platform::ScriptedDialogs::OpenFileAnswer;
    // Name, the dialog's answer, then ClipPath, LastDir and the boxes it leaves.
    const std::tuple<const char*, Answer, std::string, std::string, std::string> rows[] = {
        {"cancelled", Answer{0, ""}, "", "/start", ""},
        {"dialog error", Answer{-5, ""}, "", "/start",
         "GetClipFileName Failed! Error=0xfffffffb\r\n\nUnknown Error: 0xfffffffb"},
        {"chosen at the root", Answer{1, "a.mp4"}, "a.mp4", "", ""},
        {"chosen, never cut", Answer{1, longPath}, longPath, "/m", ""},
    };
    for (const auto& [name, answer, clipPath, lastDir, boxes] : rows) {
        Player p;
        p.record.LastDir = "/start";
        p.dialogs.openFileAnswers.push_back(answer);
        EXPECT_EQ(p.Open(""), !clipPath.empty()) << name;
        EXPECT_EQ(p.dialogs.CallsOf(Kind::OpenFile).at(0).request.initialDir, "/start") << name;
        EXPECT_EQ(p.Boxes(), boxes) << name;
        EXPECT_EQ(p.record.ClipPath, clipPath) << name;
        EXPECT_EQ(p.record.LastDir, lastDir) << name;
        EXPECT_EQ(Joined(p.recent), clipPath) << name;
    }
    // A cancelled dialog leaves the playing clip alone.
    Player p;
    ASSERT_TRUE(p.Open("/m/a.mp4"));
    EXPECT_TRUE(p.Open(""));
    EXPECT_NE(p.record.pMC, nullptr);
}

constexpr REFERENCE_TIME kSecond = 10'000'000;

// Where the chapter keys go from a position, and the note they leave. The
// chapters are listed out of order, the way a file may hold them. Next from
// a chapter's start and Previous within 2 s of one are the GStreamer test's,
// an untitled chapter's note the translation test's.
TEST(PlayerRecordTest, ChapterKeysGoToTheirChapter) {
    const auto Next = &PlayerRecord::NextChapter, Previous = &PlayerRecord::PreviousChapter;
    struct Row {
        const char* name;
        REFERENCE_TIME from;
        void (PlayerRecord::*key)();
        REFERENCE_TIME to;
        const char* note;  // "": none shown
    } rows[] = {
        {"before the first: next is the first", 5 * kSecond, Next, 20 * kSecond,
         "Chapter 1/4: Opening"},
        {"before the first: previous goes nowhere", 5 * kSecond, Previous, 5 * kSecond, ""},
        {"next in the last stays and says where", 450 * kSecond, Next, 450 * kSecond,
         "Chapter 4/4: End"},
        {"previous more than 2 s in: this one's start", 103 * kSecond, Previous, 100 * kSecond,
         "Chapter 2/4: Middle part"},
        {"previous at the first's start: the first again", 21 * kSecond, Previous, 20 * kSecond,
         "Chapter 1/4: Opening"},
    };
    for (const Row& row : rows) {
        Player p;
        p.media.script.chapters = {{400 * kSecond, "End"},
                                   {20 * kSecond, "Opening"},
                                   {250 * kSecond, ""},
                                   {100 * kSecond, "Middle part"}};
        ASSERT_TRUE(p.Open("/clips/a.mkv"));
        p.At(row.from);
        (p.record.*row.key)();
        EXPECT_EQ(p.Now(), row.to) << row.name;
        EXPECT_EQ(p.Note(), row.note) << row.name;
    }
}

// L sets A, B and the loop, then clears it: after each step the note says
// so and the seek bar shows the marks; a seek past B stops at B, and none
// once the loop is off. B before A swaps them. The segment's end going back
// to A is the GStreamer test's, a new clip's loop the frame test's.
TEST(PlayerRecordTest, LoopStagesShowInTheNoteAndOnTheSeekBar) {
    Player p;
    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    struct Step {
        const char* name;
        int64_t seekTo;  // seconds; -1: none
        bool pressL;
        const char* note;
        const char* marks;  // on the seek bar
        int64_t standsAt;   // seconds
    } steps[] = {
        {"L at 1:25 sets A", 85, true, "Loop: 0:01:25 \u2013", "A 85", 85},
        {"L at A again still waits for B", -1, true, "Loop: 0:01:25 \u2013", "A 85", 85},
        {"L at 1:10: B before A, swapped; the loop starts at A", 70, true,
         "Loop: 0:01:10 \u2013 0:01:25", "A 70 B 85", 70},
        {"a seek past B stops at B", 3000, false, "Loop: 0:01:10 \u2013 0:01:25", "A 70 B 85", 85},
        {"L turns the loop off", -1, true, "Loop off", "", 85},
        {"no loop holds the seek", 3000, false, "Loop off", "", 3000},
        {"L at 0:40 sets A again", 40, true, "Loop: 0:00:40 \u2013", "A 40", 40},
        {"L at 0:20 swaps them", 20, true, "Loop: 0:00:20 \u2013 0:00:40", "A 20 B 40", 20},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.seekTo >= 0)
            p.At(step.seekTo * kSecond);
        if (step.pressL)
            p.record.StepLoop();
        EXPECT_EQ(p.Note(), step.note);
        EXPECT_EQ(p.marks, step.marks);
        EXPECT_EQ(p.Now(), step.standsAt * kSecond);
    }
}

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
        {"an '&' in the title shown as itself", 1,
         FakeTrack(K::Audio, "en", "AAC", 2, 0, "Director & Writer"),
         "Track 1: Director && Writer (AAC, stereo)"},
        {"a tab in the title a space, not the shortcut's column", 1,
         FakeTrack(K::Audio, "en", "AAC", 2, 0, "Commentary\tfull"),
         "Track 1: Commentary full (AAC, stereo)"},
    };
    for (const auto& [name, number, info, text] : rows)
        EXPECT_EQ(TrackMenuText(number, info), text) << name;
}

// What shows and plays once a clip has opened. The file beside "with.mkv"
// holds one cue, "from the file"; a track of the clip fills the track with
// "cue of track <index>". (A default track shown, and none without flags, on
// real files are tracks_gst_test's.)
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

TEST(PlaybackSpeedTest, KeysStepFromAnySpeed) {
    struct Row {
        const char* name;
        double from;
        bool faster;
        double to;
    } rows[] = {
        {"] from normal", 1.0, true, 1.1},
        {"[ from normal", 1.0, false, 0.9},
        {"] from 1.5", 1.5, true, 2.0},
        {"[ from 3", 3.0, false, 2.0},
        {"] at the fastest stays", 4.0, true, 4.0},
        {"[ at the slowest stays", 0.25, false, 0.25},
        {"] from a bus client's 1.3 goes to the next step up", 1.3, true, 1.5},
        {"[ from 1.3 goes to the next step down", 1.3, false, 1.25},
        {"] from a step that went through a float is past it", double(1.1f), true, 1.25},
        {"[ from just above 0.9 is below it", 0.9000001, false, 0.75},
        {"[ from beyond the fastest", 6.0, false, 4.0},
        {"] from below the slowest", 0.1, true, 0.25},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(row.faster ? FasterSpeed(row.from) : SlowerSpeed(row.from), row.to);
    }
}

// The speed the graph plays at afterwards, the one the record keeps and the
// note: a speed is clamped to the steps' range, and a refused one changes
// neither the graph nor the record.
TEST(PlaybackSpeedTest, RecordKeepsTheSpeedTheGraphHolds) {
    Player p;
    p.record.SetSpeed(2.0);
    EXPECT_EQ(p.record.Speed, 1.0) << "no clip: nothing to speed up";
    EXPECT_EQ(p.Note(), "");

    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    const auto graphRate = [&] {
        double rate = 0;
        p.record.pMS->GetRate(&rate);
        return rate;
    };
    struct Row {
        const char* name;
        double asked;
        bool refused;
        double played;  // the graph's rate afterwards
        double held;
        const char* note;
    } rows[] = {
        {"beyond the fastest is the fastest", 9.0, false, 4.0, 4.0, "Speed: 4\u00d7"},
        {"below the slowest is the slowest", 0.01, false, 0.25, 0.25, "Speed: 0.25\u00d7"},
        {"refused: the speed before stays, and the note says so", 2.0, true, 0.25, 0.25,
         "Speed: 0.25\u00d7"},
        {"not a number changes nothing", std::nan(""), false, 0.25, 0.25, "Speed: 0.25\u00d7"},
        {"a bus client's speed: the note in two decimals", 1.333, false, 1.333, 1.333,
         "Speed: 1.33\u00d7"},
        {"one decimal", 0.9, false, 0.9, 0.9, "Speed: 0.9\u00d7"},
        {"a whole speed", 2.0, false, 2.0, 2.0, "Speed: 2\u00d7"},
    };
    // The notes as a German user sees them: Qt sets the user's locale.
    ASSERT_TRUE(test::UseDecimalComma()) << "de_DE.UTF-8 cannot be made";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        p.media.script.failures.clear();
        if (row.refused)
            p.media.script.failures["SetRate"] = E_FAIL;
        p.record.SetSpeed(row.asked);
        EXPECT_EQ(graphRate(), row.played);
        EXPECT_EQ(p.record.Speed, row.held);
        EXPECT_EQ(p.Note(), row.note);
    }
    std::setlocale(LC_ALL, "C");

    p.media.script.failures.clear();
    ASSERT_TRUE(p.Open("/clips/b.mp4"));
    EXPECT_EQ(p.record.Speed, 1.0) << "another clip starts at normal speed";
    EXPECT_EQ(graphRate(), 1.0);
    EXPECT_EQ(p.Note(), "");
}

}  // namespace
}  // namespace tavimo
