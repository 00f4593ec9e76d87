// The player record's subtitle commands: loading from the dialog and beside
// a clip, the font dialog, the error box, the still picture sought again; and
// the drag that moves the text. Against real files in a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../platform/test_dir.h"
#include "subtitles/log_font.h"
#include "subtitles/subtitle_loading.h"
#include "support/scripted_player.h"

namespace tavimo {
namespace {

using Kind = platform::ScriptedDialogs::Kind;
using Lines = std::vector<std::string>;
using platform::testing::TestDir;

constexpr const char kScript[] =
    "[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, Start, End, Style, Text\n"
    "Dialogue: 0,0:00:01.00,0:00:02.00,Default,from a script\n";

// Writes the space-separated `names` below `dir`: ".sub" files in MicroDVD,
// ".ass" and ".ssa" as scripts (SubRip text when the name says "broken"),
// the others in SubRip.
void Put(const TestDir& dir, const std::string& names) {
    std::istringstream in(names);
    for (std::string name; in >> name;) {
        std::string ext = std::filesystem::path(name).extension().string();
        std::ranges::transform(ext, ext.begin(), [](unsigned char c) { return std::tolower(c); });
        const bool script = (ext == ".ass" || ext == ".ssa") && name.find("broken") == name.npos;
        dir.Write(name, ext == ".sub" ? "{25}{50}from MicroDVD\n"
                        : script      ? kScript
                                      : "1\n00:00:01,000 --> 00:00:02,000\nfrom SubRip\n");
    }
}

// The player record with its subtitle commands, on a media framework that
// plays any path.
class PlayerSubtitlesTest : public testing::Test, public test::ScriptedPlayer {
  protected:
    std::string FirstText() const {
        const SubtitleTrack::Snapshot entries = record.Track.Current();
        return entries->empty() ? "<empty>" : entries->front().text;
    }

    TestDir dir;
};

TEST_F(PlayerSubtitlesTest, LoadFromDialogOrPath) {
    const struct {
        const char* name;
        const char* given;  // SubtitlePath before the call ("": ask the dialog)
        int answer;         // the dialog's result, choosing `chosen` in the scratch folder
        const char* chosen;
        const char* firstText;  // of the track afterwards; "kept": not loaded
        bool folderSet;         // LastSubtitlesDir became the scratch folder
        bool scriptBefore;      // a script was drawn before the call
        bool shown;             // the file is now the one shown
        bool scriptAfter;       // the script is loaded and drawn afterwards
        const char* box;        // how the error box's text begins; "": no box
    } rows[] = {
        {"upper-case SRT read as SubRip", "", 1, "x.SRT", "from SubRip", true, true, true, false,
         ""},
        {"cancel keeps track and folder", "", 0, "", "kept", false, true, false, true, ""},
        {"failing dialog: an error box", "", -3, "", "kept", false, false, false, false,
         "GetSubtitlesFileName Failed! Error=0xfffffffd\r\n\n"},
        {"missing file keeps the track and says so", "", 1, "gone.srt", "kept", true, true, false,
         true, "The subtitle file \"DIR/gone.srt\" cannot be read.\n\nTavimo reads SubRip"},
        {"extension without a reader", "", 1, "subs.idx", "kept", true, false, false, false,
         "The subtitle file \"DIR/subs.idx\" cannot be read."},
        {"given path needs no dialog", "x.SRT", 0, "", "from SubRip", true, false, true, false, ""},
        {"script drawn by libass", "", 1, "s.Ass", "kept", true, false, true, true, ""},
        {"broken script refused as unreadable", "", 1, "broken.ssa", "kept", true, false, false,
         false, "The subtitle file \"DIR/broken.ssa\" cannot be read."},
        {"given path too large to read", "huge.srt", 0, "", "kept", true, false, false, false,
         "The subtitle file \"DIR/huge.srt\" cannot be read."},
    };
    Put(dir, "x.SRT subs.idx s.Ass broken.ssa");
    // One byte over what a subtitle file may be; a hole, so nothing is written.
    std::filesystem::resize_file(dir.Write("huge.srt", "1\n"), (size_t{64} << 20) + 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        record.SubtitlePath = *row.given != 0 ? dir.path + "/" + row.given : "";
        record.SubtitleFile.clear();
        record.LastSubtitlesDir = "/start/here";
        dialogs.openFileAnswers = {{row.answer, dir.path + "/" + row.chosen}};
        record.Track.Fill({{.text = "kept"}});
        record.Mixer.Ass.Clear();
        if (row.scriptBefore) {
            ASSERT_TRUE(record.Mixer.Ass.LoadFile(kScript));
        }
        record.Mixer.SubtitleSource = row.scriptBefore ? 1 : 0;
        const size_t boxesBefore = dialogs.CallsOf(Kind::MessageBox).size();
        record.LoadSubtitles();
        const auto boxes = dialogs.CallsOf(Kind::MessageBox);
        if (*row.box == 0) {
            EXPECT_EQ(boxes.size(), boxesBefore);
        } else {
            ASSERT_EQ(boxes.size(), boxesBefore + 1);
            std::string begins = row.box;
            if (const size_t at = begins.find("DIR"); at != begins.npos) {
                begins.replace(at, 3, dir.path);
            }
            EXPECT_EQ(boxes.back().text.rfind(begins, 0), 0u) << boxes.back().text;
            EXPECT_EQ(boxes.back().caption, "Tavimo");
            EXPECT_EQ(boxes.back().flags, platform::MB_OK | platform::MB_ICONHAND);
        }
        EXPECT_EQ(FirstText(), row.firstText);
        EXPECT_EQ(!record.SubtitleFile.empty(), row.shown) << "the file now shown";
        EXPECT_EQ(record.LastSubtitlesDir, row.folderSet ? dir.path : "/start/here");
        EXPECT_EQ(record.Mixer.Ass.Loaded(), row.scriptAfter);
        EXPECT_EQ(record.Mixer.SubtitleSource.load(), row.scriptAfter ? 1 : 0);
    }
    const auto asked = dialogs.CallsOf(Kind::OpenFile);
    ASSERT_EQ(asked.size(), 7u) << "a given path needs no dialog";
    const platform::OpenFileRequest& r = asked[0].request;
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.title + "|" + r.initialDir + "|" + r.filters[0].description + "|" +
                  r.filters[0].patterns + "|" + r.filters[1].description + "|" +
                  r.filters[1].patterns,
              "Open Subtitles File...|/start/here|Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)|"
              "*.srt;*.txt;*.sub;*.ass;*.ssa|All Files (*.*)|*.*;");
}

// Opening a clip drops the previous clip's subtitles, script, delay and
// notice, and loads the first file named like the clip.
TEST_F(PlayerSubtitlesTest, OpeningAClipLoadsTheFirstOfSrtTxtSubAssSsaBesideIt) {
    const struct {
        const char* name;
        const char* files;      // in a scratch folder
        const char* clip;       // below it
        const char* lastTried;  // SubtitlePath afterwards, below it
        const char* firstText;
        bool script;  // a script is loaded and drawn
    } rows[] = {
        {"srt first", "movie.srt movie.txt movie.sub movie.ass", "movie.avi", "movie.srt",
         "from SubRip", false},
        {"txt before sub", "movie.sub movie.txt", "movie.avi", "movie.txt", "from SubRip", false},
        {"only sub, read as MicroDVD", "movie.sub movie.ass", "movie.avi", "movie.sub",
         "from MicroDVD", false},
        {"ass after the text files", "movie.ass movie.ssa", "movie.avi", "movie.ass", "<empty>",
         true},
        {"ssa last", "movie.ssa", "movie.avi", "movie.ssa", "<empty>", true},
        {"another clip's file only", "other.srt other.ass", "movie.avi", "movie.ssa", "<empty>",
         false},
        {"only the last extension goes", "m.1.srt", "m.1.avi", "m.1.srt", "from SubRip", false},
        {"no extension, dotted folder", "v.1/clip.srt", "v.1/clip", "v.1/clip.srt", "from SubRip",
         false},
        {"hidden clip without extension", ".clip.txt", ".clip", ".clip.txt", "from SubRip", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestDir scratch;
        Put(scratch, row.files);
        record.Track.Fill({{.text = "previous clip"}});
        ASSERT_TRUE(record.Mixer.Ass.LoadFile(kScript));
        record.Mixer.SubtitleSource = 1;
        record.Delay.Step(100);
        ASSERT_TRUE(Open(scratch.path + "/" + row.clip));
        EXPECT_EQ(FirstText(), row.firstText);
        EXPECT_EQ(record.Mixer.Ass.Loaded(), row.script);
        EXPECT_EQ(record.Mixer.SubtitleSource.load(), row.script ? 1 : 0);
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
