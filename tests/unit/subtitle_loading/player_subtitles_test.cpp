// The player record's subtitle commands on the scripted media framework: a
// clip finds its subtitles when it opens, and every change shows at once on a
// still picture (one flushing seek to where the picture stands).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../subtitles/subtitle_test_util.h"
#include "engine/media/fake_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "platform/fake_dialogs.h"

namespace tavimo {
namespace {

using platform::ScriptedDialogs;

constexpr char kSubRip[] = "1\n00:00:01,000 --> 00:00:02,000\nbeside the clip\n";

class Host : public PlayerHost {
  public:
    ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

class PlayerSubtitlesTest : public testing::Test {
  protected:
    PlayerSubtitlesTest() { record.UseMediaFramework(&media); }

    bool Open(const std::string& path) {
        record.ClipPath = path;
        record.OpenClip();
        return record.ClipState == ClipState::Running;
    }

    ScratchDir dir;
    FakeMediaFramework media;
    Host host;
    PlayerRecord record{host};
};

TEST_F(PlayerSubtitlesTest, OpeningAClipLoadsTheFileBesideItAndDropsTheOld) {
    dir.Write("movie.srt", kSubRip);
    ASSERT_TRUE(Open(dir.path() + "/movie.mp4"));
    ASSERT_EQ(record.Track.Count(), 1u);
    EXPECT_EQ(record.Track.At(0).text, "beside the clip");
    EXPECT_EQ(record.SubtitlePath, dir.path() + "/movie.srt");
    EXPECT_EQ(record.LastSubtitlesDir, dir.path());

    ASSERT_TRUE(Open(dir.path() + "/other.mp4"));
    EXPECT_EQ(record.Track.Count(), 0u) << "a clip without subtitles plays without";
}

// A failing Open Subtitles dialog shows the player's error box; cancelling
// shows nothing.
TEST_F(PlayerSubtitlesTest, FailingDialogShowsTheErrorBox) {
    host.dialogs.openFileAnswers = {{0, ""}, {-3, ""}};
    record.LoadSubtitles();
    EXPECT_TRUE(host.dialogs.CallsOf(ScriptedDialogs::Kind::MessageBox).empty());
    record.LoadSubtitles();
    const auto boxes = host.dialogs.CallsOf(ScriptedDialogs::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("GetSubtitlesFileName Failed! Error=0xfffffffd\r\n\n", 0), 0u)
        << boxes[0].text;
    EXPECT_EQ(boxes[0].caption, "Tavimo");
    EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONHAND);
}

// Each row brings the clip into a state, then runs one subtitle command; a
// still picture is sought again at its own position, a moving one is not.
TEST_F(PlayerSubtitlesTest, ChangesShowAtOnceOnAStillPicture) {
    const std::string subtitles = dir.Write("other.srt", kSubRip);
    using Step = std::function<void(PlayerRecord&, ScriptedDialogs&)>;
    const Step toggle = [](PlayerRecord& r, ScriptedDialogs&) { r.ToggleViewSubtitles(); };
    const Step fontOk = [](PlayerRecord& r, ScriptedDialogs& d) {
        d.fontAnswers = {{true, QFont(QStringLiteral("DejaVu Sans")), 0x0000FF}};
        r.SetSubtitleFont();
    };
    const Step fontCancel = [](PlayerRecord& r, ScriptedDialogs&) { r.SetSubtitleFont(); };
    const Step load = [&](PlayerRecord& r, ScriptedDialogs&) {
        r.SubtitlePath = subtitles;
        r.LoadSubtitles();
    };
    const Step loadMissing = [&](PlayerRecord& r, ScriptedDialogs&) {
        r.SubtitlePath = dir.path() + "/missing.srt";
        r.LoadSubtitles();
    };
    const Step offset = [](PlayerRecord& r, ScriptedDialogs&) {
        r.Mixer.SubtitleOffset += 2;
        r.RefreshPausedPicture();
    };
    const Step pause = [](PlayerRecord& r, ScriptedDialogs&) { r.TogglePause(); };
    const Step stop = [](PlayerRecord& r, ScriptedDialogs&) { r.StopClip(); };
    const Step run = [](PlayerRecord&, ScriptedDialogs&) {};
    const Step close = [](PlayerRecord& r, ScriptedDialogs&) { r.CloseClip(); };
    struct Row {
        const char* name;
        Step state;
        Step command;
        std::vector<std::string> seeks;  // SetPositions lines the command logs
    } rows[] = {
        {"toggle while paused", pause, toggle, {"SetPositions 30000000 1 - 0"}},
        {"toggle while stopped", stop, toggle, {"SetPositions 0 1 - 0"}},
        {"toggle while running", run, toggle, {}},
        {"toggle with the clip closed", close, toggle, {}},
        {"font chosen while paused", pause, fontOk, {"SetPositions 30000000 1 - 0"}},
        {"font cancelled while paused", pause, fontCancel, {}},
        {"load while paused", pause, load, {"SetPositions 30000000 1 - 0"}},
        {"missing file while paused", pause, loadMissing, {}},
        {"offset while paused", pause, offset, {"SetPositions 30000000 1 - 0"}},
        {"offset while running", run, offset, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(Open(dir.path() + "/clip.mp4"));
        record.SeekTo(30000000);
        row.state(record, host.dialogs);
        media.log.clear();
        row.command(record, host.dialogs);
        EXPECT_EQ(media.LogOf("SetPositions"), row.seeks);
    }
}

}  // namespace
}  // namespace tavimo
