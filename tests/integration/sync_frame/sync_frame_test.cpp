// The synchroniser in the main frame, with a scripted media framework: the
// View menu's entry greyed without subtitles or sound, a remembered result
// applied on opening the pair (by content, under another name too) with
// Z and Shift+Z working from it, and Y cancelling a run, pressed 20 times,
// and the window closed while one runs.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <new>
#include <thread>

#include "../frame/frame_test_util.h"
#include "app/main_frame.h"
#include "app/subtitle_syncer.h"
#include "resources/command_ids.h"
#include "subtitles/sync/sync_memory.h"
#include "support/fake_media.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

using frame_test::Note;
using frame_test::Press;

// A match found at `rate` with these parts.
sync::SyncResult Matched(sync::RateChange rate = {25, 23.976},
                         std::vector<sync::SyncPart> parts = {{0, 1000}}) {
    return {.matched = true, .reason = {}, .rate = rate, .parts = std::move(parts)};
}

class SyncFrameTest : public ::testing::Test, protected frame_test::TestFrame {
  protected:
    ~SyncFrameTest() override { frame.reset(); }  // its graph before the framework
    void SetUp() override {
        gst_init(nullptr, nullptr);
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
        const std::string clip(50'000, 'c');  // not a clip GStreamer can read
        std::ofstream(Path("film.mkv")) << clip;
        std::ofstream(Path("film.srt")) << "1\n00:00:01,000 --> 00:00:03,000\nHello.\n\n"
                                           "2\n00:00:05,000 --> 00:00:06,000\nAgain.\n\n";
        std::ofstream(Path("copy.mkv")) << clip;
        std::ofstream(Path("copy.srt")) << "1\n00:00:01,000 --> 00:00:03,000\nHello.\n\n"
                                           "2\n00:00:05,000 --> 00:00:06,000\nAgain.\n\n";
    }
    std::string Path(const std::string& name) { return dir.path().toStdString() + "/" + name; }

    CMainFrame& Open(const std::string& clip, bool withAudio, const char* track = nullptr) {
        if (!frame)
            Start().Record().UseMediaFramework(&media);
        media.script.streams.clear();
        if (withAudio) {
            media.script.streams.push_back(
                FakeTrack(StreamInfo::Kind::Audio, "eng", "AAC", 2, kTrackOn));
        }
        if (track) {  // shown on opening
            media.script.streams.push_back(
                FakeTrack(StreamInfo::Kind::Subtitle, "", track, 0, kTrackOn | kTrackDefault));
            media.script.streams.back().streamId = std::string("film/") + track;
        }
        frame->Record().ClipPath = Path(clip);
        frame->Record().OpenClip();
        return *frame;
    }
    bool Enabled() {
        emit frame->menuBar()->actions().at(3)->menu()->aboutToShow();
        return frame->Action(ID_SYNC_SUBTITLES)->isEnabled();
    }

    QTemporaryDir dir, cache;
    FakeMediaFramework media;
};

TEST_F(SyncFrameTest, EntryInTheViewMenuGreyedWithoutSubtitlesOrSound) {
    CMainFrame& f = Open("film.mkv", true);
    EXPECT_EQ(f.Action(ID_SYNC_SUBTITLES)->text(), "Synchronise Subtitles to Speech\tY");
    EXPECT_TRUE(Enabled());
    Press(f.View(), Qt::Key_C);  // View Subtitles off
    EXPECT_FALSE(Enabled());
    Press(f.View(), Qt::Key_C);
    Open("film.mkv", false);
    EXPECT_FALSE(Enabled()) << "no audio track";
    std::remove(Path("film.srt").c_str());
    Open("film.mkv", true);
    EXPECT_FALSE(Enabled()) << "no subtitles";
    Press(f.View(), Qt::Key_Y);
    EXPECT_FALSE(f.Syncer().Running());
}

// A remembered result is applied on opening the pair, by content (the same
// bytes under other names count); a rate change retimes a file's entries, Z
// steps from the delay applied, and Shift+Z gives the entries their own times
// back with the delay.
TEST_F(SyncFrameTest, RememberedRetimingAppliedAndShiftZUndoesIt) {
    CMainFrame& f = Open("film.mkv", true);
    PlayerRecord& r = f.Record();
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), 0);
    sync::SyncMemory memory(sync::SyncMemory::DefaultPath());
    ASSERT_TRUE(memory.Remember(sync::ClipIdentity(Path("film.mkv")),
                                sync::SubtitleIdentity(*r.Track.Current()), Matched()));
    Open("copy.mkv", true);
    EXPECT_EQ(Note(r), "Subtitles synchronised: +1.00 s, 25 → 23.976 fps (remembered)");
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), 1000);
    ASSERT_EQ(r.Track.Current()->size(), 2u);
    EXPECT_EQ((*r.Track.Current())[0].start, 1043) << "1 s x 25 / 23.976";
    EXPECT_EQ((*r.Track.Current())[1].end, 6256) << "6 s x 25 / 23.976";
    Press(f.View(), Qt::Key_Z);
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), 900);
    Press(f.View(), Qt::Key_Z, Qt::ShiftModifier);
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), 0);
    EXPECT_EQ(Note(r), "Subtitle delay: 0.0 s");
    EXPECT_EQ((*r.Track.Current())[0].start, 1000);
    EXPECT_EQ((*r.Track.Current())[1].end, 6000);
}

// A remembered result for an ASS track of the clip goes through the mixer's
// retiming, which Shift+Z drops. A picture track cannot be synchronised.
// (An ASS track synchronised by Y is sync_e2e_test's.)
TEST_F(SyncFrameTest, TracksOfTheClipTextYesPicturesNo) {
    std::remove(Path("film.srt").c_str());
    CMainFrame& f = Open("film.mkv", true, "PGS");
    EXPECT_FALSE(Enabled()) << "picture subtitles";
    PlayerRecord& r = f.Record();
    sync::SyncMemory memory(sync::SyncMemory::DefaultPath());
    ASSERT_TRUE(memory.Remember(sync::ClipIdentity(Path("film.mkv")), "track 1",
                                Matched({23.976, 25}, {{0, -1200}, {60'000, 2000}})));
    Open("film.mkv", true, "ASS");
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), -1200);
    ASSERT_TRUE(r.Mixer.Timing.Active());
    // 70 s of clip, less the delay: part two, (71.2 - 3.2) x 25 / 23.976.
    EXPECT_EQ(r.Mixer.Timing.ToScript(70'000 + 1200), 70'904);
    Press(f.View(), Qt::Key_Z, Qt::ShiftModifier);
    EXPECT_FALSE(r.Mixer.Timing.Active());
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), 0);
}

TEST_F(SyncFrameTest, RefusedRunLeavesTheDelayAlone) {
    CMainFrame& f = Open("film.mkv", true);
    PlayerRecord& r = f.Record();
    Press(f.View(), Qt::Key_X);
    Press(f.View(), Qt::Key_Y);
    EXPECT_TRUE(f.Syncer().Running());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.Syncer().Running(); }, 20'000));
    EXPECT_EQ(Note(r), "Could not match the subtitles to the speech");
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), 100);
    // A match that runs out of memory is refused the same way; the player
    // goes on.
    SubtitleSyncer syncer(r, &f, Path("results.txt"),
                          [](const SubtitleSyncer::Job&, const std::atomic<bool>&,
                             std::atomic<int>&) -> sync::SyncResult { throw std::bad_alloc(); });
    syncer.Toggle();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !syncer.Running(); }, 5'000));
    EXPECT_EQ(Note(r), "Could not match the subtitles to the speech");
    EXPECT_EQ(r.Mixer.SubtitleDelay.load(), 100);
}

TEST_F(SyncFrameTest, YCancelsTwentyPressesAndClosingJoins) {
    CMainFrame& f = Open("film.mkv", true);
    PlayerRecord& r = f.Record();
    Press(f.View(), Qt::Key_Y);
    Press(f.View(), Qt::Key_Y);
    EXPECT_FALSE(f.Syncer().Running());
    EXPECT_EQ(Note(r), "Synchronisation cancelled");
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        Press(f.View(), Qt::Key_Y);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "hang check";
    EXPECT_FALSE(f.Syncer().Running());
    EXPECT_EQ(Note(r), "Synchronisation cancelled");
    QTest::qWait(300);  // results of cancelled runs still queued are dropped
    EXPECT_EQ(Note(r), "Synchronisation cancelled");
    Press(f.View(), Qt::Key_Y);
    EXPECT_TRUE(f.Syncer().Running());
    f.close();
    EXPECT_FALSE(f.Syncer().Running());
    Press(f.View(), Qt::Key_Y);
    EXPECT_FALSE(f.Syncer().Running()) << "no clip after closing";
}

// A run matches the subtitles shown when Y was pressed; when others show
// before it ends (V, another file opened), the run stops and its result is
// applied to nothing. The run here waits until the test lets it end.
TEST_F(SyncFrameTest, ResultsLandOnlyOnTheSubtitlesMatched) {
    std::ofstream(Path("other.srt")) << "1\n00:00:02,000 --> 00:00:04,000\nOther.\n\n";
    struct Row {
        const char* name;
        std::function<void(CMainFrame&)> change;
        bool applied;
    } rows[] = {
        {"nothing changed", [](CMainFrame&) {}, true},
        {"V to the next subtitles", [](CMainFrame& f) { Press(f.View(), Qt::Key_V); }, false},
        {"another subtitle file opened",
         [this](CMainFrame& f) {
             f.DropFiles({QUrl::fromLocalFile(QString::fromStdString(Path("other.srt")))});
         },
         false},
    };
    for (const Row& row : rows) {
        CMainFrame& f = Open("film.mkv", true, "ASS");  // the file shows, the clip's track is next
        PlayerRecord& r = f.Record();
        r.Mixer.SubtitleDelay = 0;
        r.Mixer.Timing.Clear();
        std::atomic<bool> release{false};
        SubtitleSyncer syncer(
            r, &f, Path("results.txt"),
            [&](const SubtitleSyncer::Job&, const std::atomic<bool>& cancel, std::atomic<int>&) {
                while (!release && !cancel) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                return Matched();
            });
        syncer.Toggle();
        ASSERT_TRUE(syncer.Running()) << row.name;
        row.change(f);
        const SubtitleEntries shown = *r.Track.Current();
        release = true;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !syncer.Running(); }, 5'000)) << row.name;
        EXPECT_EQ(r.Mixer.SubtitleDelay.load(), row.applied ? 1000 : 0) << row.name;
        // Applied, the file's cues are retimed (1 s x 25 / 23.976).
        const SubtitleEntries now = *r.Track.Current();
        EXPECT_EQ(!now.empty() && now.front().start == 1043, row.applied) << row.name;
        EXPECT_EQ(now == shown, !row.applied) << row.name;
    }
}

}  // namespace
}  // namespace tavimo
