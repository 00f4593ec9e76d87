// Loading subtitles from the dialog and beside a clip, the font dialog, the
// drag that moves the text, and the player record's subtitle commands, against
// real files in a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../subtitles/subtitle_test_util.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "subtitles/file_names.h"
#include "subtitles/log_font.h"
#include "subtitles/subtitle_loading.h"
#include "support/fake_dialogs.h"
#include "support/fake_media.h"

namespace tavimo {
namespace {

using Kind = platform::ScriptedDialogs::Kind;
using Lines = std::vector<std::string>;

// Writes the space-separated `names` below `dir`: ".sub" files in MicroDVD,
// the others in SubRip, a name ending in "/" as a folder.
void Put(const ScratchDir& dir, const std::string& names) {
    std::istringstream in(names);
    for (std::string name; in >> name;) {
        const std::filesystem::path file = dir.path() + "/" + name;
        std::filesystem::create_directories(name.back() == '/' ? file : file.parent_path());
        if (name.back() != '/') {
            dir.Write(name, file.extension() == ".sub"
                                ? "{25}{50}from MicroDVD\n"
                                : "1\n00:00:01,000 --> 00:00:02,000\nfrom SubRip\n");
        }
    }
}

class SubtitleLoadingTest : public testing::Test {
  protected:
    std::string FirstText() const { return track.Count() > 0 ? track.At(0).text : "<empty>"; }

    std::string path, folder;
    uint32_t color = 0x00112233;
    SubtitleTrack track;
    MixerShared mixer;
    platform::ScriptedDialogs dialogs;
    SubtitleContext context{path, folder, color, track, mixer, dialogs, nullptr};
    ScratchDir dir;
};

TEST_F(SubtitleLoadingTest, LoadFromDialogOrPath) {
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
        {"missing file keeps the track", "", 1, "gone.srt", "kept", true},
        {"extension without a reader", "", 1, "subs.idx", "kept", true},
        {"given path needs no dialog", "x.SRT", 0, "", "from SubRip", true},
    };
    Put(dir, "x.SRT subs.idx");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        path = *row.given != 0 ? dir.path() + "/" + row.given : "";
        folder = "/start/here";
        dialogs.calls.clear();
        dialogs.openFileAnswers = {{row.answer, dir.path() + "/" + row.chosen}};
        track.Fill({{.text = "kept"}});
        const bool loaded = LoadSubtitles(context);
        EXPECT_EQ(loaded, FirstText() != "kept");
        EXPECT_EQ(FirstText(), row.firstText);
        EXPECT_EQ(folder, row.folderSet ? dir.path() : "/start/here");
        ASSERT_EQ(dialogs.calls.size(), *row.given != 0 ? 0u : 1u);
        for (const auto& call : dialogs.calls) {
            const platform::OpenFileRequest& r = call.request;
            std::string asked = r.title + "|" + r.initialDir;
            for (const auto& filter : r.filters) {
                asked += "|" + filter.description + "|" + filter.patterns;
            }
            EXPECT_EQ(asked,
                      "Open Subtitles File...|/start/here|Supported Files (*.srt;*.txt;*.sub)|"
                      "*.srt;*.txt;*.sub|All Files (*.*)|*.*;");
        }
    }
}

TEST_F(SubtitleLoadingTest, DiscoveryLoadsTheFirstOfSrtTxtSub) {
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
        ScratchDir scratch;
        Put(scratch, row.files);
        track.Fill({{.text = "previous clip"}});
        DiscoverSubtitles(context, scratch.path() + "/" + row.clip);
        EXPECT_EQ(FirstText(), row.firstText);
        EXPECT_EQ(path, scratch.path() + "/" + row.lastTried);
        EXPECT_EQ(folder, DirectoryOf(path));
        EXPECT_TRUE(dialogs.calls.empty()) << "discovery never asks";
    }
}

TEST_F(SubtitleLoadingTest, FontDialogStoresFontAndColourAsTheyReadBack) {
    QFont chosen(QStringLiteral("DejaVu Sans")), nameless;
    chosen.setPointSize(12);  // 16 px at 96 dpi
    chosen.setBold(true);
    nameless.setFamily(QString());
    dialogs.fontAnswers = {{true, chosen, 0x000080FF}, {false, chosen, 0}, {true, nameless, 0}};
    ASSERT_TRUE(SetSubtitleFont(context));
    EXPECT_EQ(dialogs.calls.at(0).colorRef, 0x00112233u) << "starts from the stored colour";
    const std::optional<QFont> font = mixer.SubtitleFont.Get();
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->pixelSize(), 16) << "held as it will be stored and read back";
    EXPECT_EQ(LogFontFromFont(*font), LogFontFromFont(chosen));
    EXPECT_FALSE(SetSubtitleFont(context)) << "cancelled: nothing changes";
    EXPECT_EQ(dialogs.calls.at(1).font, *font) << "starts from that font";
    EXPECT_TRUE(mixer.SubtitleFont.Get() == font && color == 0x000080FFu);
    EXPECT_TRUE(SetSubtitleFont(context));  // no face name to store: the default font
    EXPECT_FALSE(mixer.SubtitleFont.Get().has_value());
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

class PlayerSubtitlesTest : public testing::Test, public PlayerHost {
  protected:
    PlayerSubtitlesTest() { record.UseMediaFramework(&media); }
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    bool Open(const std::string& name) {
        record.ClipPath = dir.path() + "/" + name;
        record.OpenClip();
        return record.ClipState == ClipState::Running;
    }

    ScratchDir dir;
    FakeMediaFramework media;
    platform::ScriptedDialogs dialogs;
    PlayerRecord record{*this};
};

TEST_F(PlayerSubtitlesTest, OpeningAClipLoadsTheFileBesideItAndDropsTheOld) {
    Put(dir, "movie.srt");
    ASSERT_TRUE(Open("movie.mp4"));
    EXPECT_EQ(record.Track.Count(), 1u);
    EXPECT_EQ(record.LastSubtitlesDir, dir.path());
    ASSERT_TRUE(Open("other.mp4"));
    EXPECT_EQ(record.Track.Count(), 0u) << "a clip without subtitles plays without";
}

TEST_F(PlayerSubtitlesTest, FailingDialogShowsTheErrorBox) {
    dialogs.openFileAnswers = {{0, ""}, {-3, ""}};
    record.LoadSubtitles();  // cancelled: no box
    record.LoadSubtitles();
    const auto boxes = dialogs.CallsOf(Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("GetSubtitlesFileName Failed! Error=0xfffffffd\r\n\n", 0), 0u);
    EXPECT_EQ(boxes[0].caption, "Tavimo");
    EXPECT_EQ(boxes[0].flags, platform::MB_OK | platform::MB_ICONHAND);
}

// A change shows at once on a still picture: it is sought again where it
// stands. A moving picture shows it at the next frame.
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
    ASSERT_TRUE(Open("clip.mp4"));
    record.SeekTo(30000000);
    EXPECT_EQ(Seeks(toggle), none) << "running";
    record.TogglePause();
    EXPECT_EQ(Seeks(toggle), here) << "toggle while paused";
    EXPECT_EQ(Seeks(font), none) << "font dialog cancelled";
    dialogs.fontAnswers = {{true, QFont(QStringLiteral("DejaVu Sans")), 0xFF}};
    EXPECT_EQ(Seeks(font), here) << "font chosen";
    record.SubtitlePath = dir.path() + "/missing.srt";
    EXPECT_EQ(Seeks(load), none) << "missing file";
    record.SubtitlePath = dir.path() + "/other.srt";
    EXPECT_EQ(Seeks(load), here) << "subtitles loaded";
    record.StopClip();
    EXPECT_EQ(Seeks(toggle), Lines{"SetPositions 0 1 - 0"}) << "stopped";
    record.CloseClip();
    EXPECT_EQ(Seeks(toggle), none) << "closed";
}

}  // namespace
}  // namespace tavimo
