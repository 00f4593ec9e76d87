// The player record's subtitle commands: loading from the dialog and beside
// a clip, the font dialog, the error box, the still picture sought again; and
// the drag that moves the text. Against real files in a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../platform/test_dir.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "subtitles/log_font.h"
#include "subtitles/subtitle_loading.h"
#include "support/fake_dialogs.h"
#include "support/fake_media.h"

namespace tavimo {
namespace {

using Kind = platform::ScriptedDialogs::Kind;
using Lines = std::vector<std::string>;
using platform::testing::TestDir;

// Writes the space-separated `names` below `dir`: ".sub" files in MicroDVD,
// the others in SubRip.
void Put(const TestDir& dir, const std::string& names) {
    std::istringstream in(names);
    for (std::string name; in >> name;) {
        const std::filesystem::path file = dir / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << (file.extension() == ".sub"
                                    ? "{25}{50}from MicroDVD\n"
                                    : "1\n00:00:01,000 --> 00:00:02,000\nfrom SubRip\n");
    }
}

// The player record with its subtitle commands, on a media framework that
// plays any path.
class PlayerSubtitlesTest : public testing::Test, public PlayerHost {
  protected:
    PlayerSubtitlesTest() { record.UseMediaFramework(&media); }
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    bool Open(const std::string& path) {
        record.ClipPath = path;
        record.OpenClip();
        return record.ClipState == ClipState::Running;
    }
    std::string FirstText() const {
        const SubtitleTrack::Snapshot entries = record.Track.Current();
        return entries->empty() ? "<empty>" : entries->front().text;
    }

    TestDir dir;
    FakeMediaFramework media;
    platform::ScriptedDialogs dialogs;
    PlayerRecord record{*this};
};

TEST_F(PlayerSubtitlesTest, LoadFromDialogOrPath) {
    const struct {
        const char* name;
        const char* given;  // SubtitlePath before the call ("": ask the dialog)
        int answer;         // the dialog's result, choosing `chosen` in the scratch folder
        const char* chosen;
        const char* firstText;  // of the track afterwards; "kept": not loaded
        bool folderSet;         // LastSubtitlesDir became the scratch folder
    } rows[] = {
        {"upper-case SRT read as SubRip", "", 1, "x.SRT", "from SubRip", true},
        {"cancel keeps track and folder", "", 0, "", "kept", false},
        {"failing dialog: an error box", "", -3, "", "kept", false},
        {"missing file keeps the track", "", 1, "gone.srt", "kept", true},
        {"extension without a reader", "", 1, "subs.idx", "kept", true},
        {"given path needs no dialog", "x.SRT", 0, "", "from SubRip", true},
    };
    Put(dir, "x.SRT subs.idx");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        record.SubtitlePath = *row.given != 0 ? dir.path + "/" + row.given : "";
        record.SubtitleFile.clear();
        record.LastSubtitlesDir = "/start/here";
        dialogs.openFileAnswers = {{row.answer, dir.path + "/" + row.chosen}};
        record.Track.Fill({{.text = "kept"}});
        record.LoadSubtitles();
        EXPECT_EQ(FirstText(), row.firstText);
        EXPECT_EQ(record.SubtitleFile.empty(), FirstText() == "kept") << "the file now shown";
        EXPECT_EQ(record.LastSubtitlesDir, row.folderSet ? dir.path : "/start/here");
    }
    const auto boxes = dialogs.CallsOf(Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u) << "only for the failing dialog";
    EXPECT_EQ(boxes[0].text.rfind("GetSubtitlesFileName Failed! Error=0xfffffffd\r\n\n", 0), 0u);
    EXPECT_EQ(boxes[0].caption, "Tavimo");
    EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONHAND);
    const auto asked = dialogs.CallsOf(Kind::OpenFile);
    ASSERT_EQ(asked.size(), 5u) << "a given path needs no dialog";
    const platform::OpenFileRequest& r = asked[0].request;
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.title + "|" + r.initialDir + "|" + r.filters[0].description + "|" +
                  r.filters[0].patterns + "|" + r.filters[1].description + "|" +
                  r.filters[1].patterns,
              "Open Subtitles File...|/start/here|Supported Files (*.srt;*.txt;*.sub)|"
              "*.srt;*.txt;*.sub|All Files (*.*)|*.*;");
}

// Opening a clip drops the previous clip's subtitles, delay and notice, and
// loads the first file named like the clip.
TEST_F(PlayerSubtitlesTest, OpeningAClipLoadsTheFirstOfSrtTxtSubBesideIt) {
    const struct {
        const char* name;
        const char* files;      // in a scratch folder
        const char* clip;       // below it
        const char* lastTried;  // SubtitlePath afterwards, below it
        const char* firstText;
    } rows[] = {
        {"srt first", "movie.srt movie.txt movie.sub", "movie.avi", "movie.srt", "from SubRip"},
        {"txt before sub", "movie.sub movie.txt", "movie.avi", "movie.txt", "from SubRip"},
        {"only sub, read as MicroDVD", "movie.sub", "movie.avi", "movie.sub", "from MicroDVD"},
        {"another clip's file only", "other.srt", "movie.avi", "movie.sub", "<empty>"},
        {"only the last extension goes", "m.1.srt", "m.1.avi", "m.1.srt", "from SubRip"},
        {"no extension, dotted folder", "v.1/clip.srt", "v.1/clip", "v.1/clip.srt", "from SubRip"},
        {"hidden clip without extension", ".clip.txt", ".clip", ".clip.txt", "from SubRip"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestDir scratch;
        Put(scratch, row.files);
        record.Track.Fill({{.text = "previous clip"}});
        record.Delay.Step(100);
        ASSERT_TRUE(Open(scratch.path + "/" + row.clip));
        EXPECT_EQ(FirstText(), row.firstText);
        EXPECT_EQ(record.SubtitlePath, scratch.path + "/" + row.lastTried);
        EXPECT_EQ(record.LastSubtitlesDir,
                  std::filesystem::path(record.SubtitlePath).parent_path().string());
        EXPECT_TRUE(record.Mixer.SubtitleDelay.load() == 0 && !record.Note.Shown());
    }
    EXPECT_TRUE(dialogs.calls.empty()) << "discovery never asks";
}

TEST_F(PlayerSubtitlesTest, FontDialogStoresFontAndColourAsTheyReadBack) {
    QFont chosen(QStringLiteral("DejaVu Sans")), nameless;
    chosen.setPointSize(12);  // 16 px at 96 dpi
    chosen.setBold(true);
    nameless.setFamily(QString());
    dialogs.fontAnswers = {{true, chosen, 0x000080FF}, {false, chosen, 0}, {true, nameless, 0}};
    record.SubtitleFontColor = 0x00112233;
    record.SetSubtitleFont();
    EXPECT_EQ(dialogs.calls.at(0).colorRef, 0x00112233u) << "starts from the stored colour";
    const std::optional<QFont> font = record.Mixer.SubtitleFont.Get();
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->pixelSize(), 16) << "held as it will be stored and read back";
    EXPECT_EQ(LogFontFromFont(*font), LogFontFromFont(chosen));
    record.SetSubtitleFont();  // cancelled: nothing changes
    EXPECT_EQ(dialogs.calls.at(1).font, *font) << "starts from that font";
    EXPECT_TRUE(record.Mixer.SubtitleFont.Get() == font && record.SubtitleFontColor == 0x000080FFu);
    record.SetSubtitleFont();  // no face name to store: the default font
    EXPECT_FALSE(record.Mixer.SubtitleFont.Get().has_value());
}

TEST(SubtitleDragTest, TextBottomFollowsTheCursor) {
    const struct {
        const char* name;
        DragGeometry geometry;
        int32_t y, expected;  // the offset was 7
    } rows[] = {
        {"scaled twice", {640, 360, 60, 1280, 720}, 660, 60},
        {"scaled down, ratio truncated", {640, 480, 0, 480, 360}, 100, 347},
        {"letterboxed: bars of 60 above and below", {640, 360, 0, 640, 480, true}, 360, 60},
        {"pillarboxed: full height", {640, 360, 0, 800, 360, true}, 300, 60},
        {"stretched: no bars", {640, 360, 0, 640, 480, false}, 400, 60},
        {"below the picture: negative, not clamped", {640, 360, 0, 640, 360}, 400, -40},
        {"no destination height: unchanged", {640, 360, 0, 640, 0}, 100, 7},
        {"no video: unchanged", {0, 0, 0, 640, 360, true}, 100, 7},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SubtitleOffsetForDrag(row.geometry, row.y, 7), row.expected) << row.name;
    }
}

// A change shows at once on a still picture: it is sought again where it
// stands. A moving picture shows it at the next frame. The stopped picture
// sought again where it stands is seen in the end-to-end test.
TEST_F(PlayerSubtitlesTest, ChangesShowAtOnceOnAStillPicture) {
    const Lines none, here = {"SetPositions 30000000 1 - 0"};
    const auto toggle = [&] { record.ToggleViewSubtitles(); };
    const auto font = [&] { record.SetSubtitleFont(); };
    const auto load = [&] { record.LoadSubtitles(); };
    const auto Seeks = [&](const auto& command) {
        media.log.clear();
        command();
        return media.LogOf("SetPositions");
    };
    Put(dir, "other.srt");
    ASSERT_TRUE(Open(dir.path + "/clip.mp4"));
    record.SeekTo(30000000);
    EXPECT_EQ(Seeks(toggle), none) << "running";
    record.TogglePause();
    EXPECT_EQ(Seeks(toggle), here) << "toggle while paused";
    EXPECT_EQ(Seeks(font), none) << "font dialog cancelled";
    dialogs.fontAnswers = {{true, QFont(QStringLiteral("DejaVu Sans")), 0xFF}};
    EXPECT_EQ(Seeks(font), here) << "font chosen";
    record.SubtitlePath = dir.path + "/missing.srt";
    EXPECT_EQ(Seeks(load), none) << "missing file";
    record.SubtitlePath = dir.path + "/other.srt";
    EXPECT_EQ(Seeks(load), here) << "subtitles loaded";
    record.CloseClip();
    EXPECT_EQ(Seeks(toggle), none) << "closed";
}

}  // namespace
}  // namespace tavimo
