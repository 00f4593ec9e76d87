// Loading subtitles from the dialog and beside a clip, the font dialog and the
// drag that moves the text, against real files in a scratch folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../subtitles/subtitle_test_util.h"
#include "platform/fake_dialogs.h"
#include "subtitles/file_names.h"
#include "subtitles/log_font.h"
#include "subtitles/subtitle_loading.h"

namespace tavimo {
namespace {

using platform::ScriptedDialogs;
using Kind = ScriptedDialogs::Kind;

constexpr char kSubRip[] = "1\n00:00:01,000 --> 00:00:02,000\nfrom SubRip\n";
constexpr char kSubRipOther[] =
    "1\n00:00:05,000 --> 00:00:06,000\nsecond file\n\n"
    "2\n00:00:07,000 --> 00:00:08,000\nsecond file, two\n";
constexpr char kMicroDvd[] = "{25}{50}from MicroDVD\n";

// A record's subtitle fields and the calls the loader made.
class SubtitleLoadingTest : public testing::Test {
  protected:
    std::string path, folder = "/start/here";
    uint32_t color = 0x00FFFFFF;
    SubtitleTrack track;
    MixerShared mixer;
    ScriptedDialogs dialogs;
    std::vector<std::string> errors;
    SubtitleContext context{path,
                            folder,
                            color,
                            track,
                            mixer,
                            dialogs,
                            [this](const std::string& format, int32_t code) {
                                errors.push_back(format + "|" + std::to_string(code));
                            }};
    ScratchDir dir;

    // Fills the track with one entry of text `text`.
    void Preload(const std::string& text) { track.Fill({{.start = 0, .end = 1, .text = text}}); }
    std::string FirstText() const { return track.Count() > 0 ? track.At(0).text : "<empty>"; }
};

// --- The Open Subtitles dialog and LoadSubtitles ---

TEST_F(SubtitleLoadingTest, DialogAsksWithBothFiltersInTheLastFolder) {
    EXPECT_FALSE(LoadSubtitles(context));
    const auto calls = dialogs.CallsOf(Kind::OpenFile);
    ASSERT_EQ(calls.size(), 1u);
    const platform::OpenFileRequest& request = calls[0].request;
    EXPECT_EQ(request.title, "Open Subtitles File...");
    EXPECT_EQ(request.initialDir, "/start/here");
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "Supported Files (*.srt;*.txt;*.sub)");
    EXPECT_EQ(request.filters[0].patterns, "*.srt;*.txt;*.sub");
    EXPECT_EQ(request.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(request.filters[1].patterns, "*.*;");
}

// Each row answers the dialog once (or gives a path), then checks what the
// track, the folder, the result and the error box became.
TEST_F(SubtitleLoadingTest, LoadFromDialogOrPath) {
    struct Row {
        const char* name;
        const char* given;   // SubtitlePath before the call ("" asks the dialog)
        int answer;          // the dialog's result
        const char* chosen;  // file name in the scratch folder the dialog returns
        bool loaded;
        const char* firstText;  // track afterwards
        bool folderIsScratch;   // LastSubtitlesDir became the scratch folder
        const char* error;      // the box, "" for none
    } rows[] = {
        {"upper-case SRT read as SubRip", "", 1, "x.SRT", true, "from SubRip", true, ""},
        {"txt read as SubRip", "", 1, "notes.txt", true, "from SubRip", true, ""},
        {"sub read as MicroDVD", "", 1, "m.sub", true, "from MicroDVD", true, ""},
        {"cancel keeps track and folder", "", 0, "", false, "kept", false, ""},
        {"failing dialog shows the box", "", -12, "", false, "kept", false,
         "GetSubtitlesFileName Failed! Error=0x%x\r\n|-12"},
        {"missing file keeps the track, sets the folder", "", 1, "gone.srt", false, "kept", true,
         ""},
        {"extension without a reader", "", 1, "subs.idx", false, "kept", true, ""},
        {"folder named like a subtitle file", "", 1, "folder.srt", false, "kept", true, ""},
        {"empty SubRip file loads as an empty track", "", 1, "empty.srt", true, "<empty>", true,
         ""},
        {"given path needs no dialog", "x.SRT", 0, "", true, "from SubRip", true, ""},
    };
    dir.Write("x.SRT", kSubRip);
    dir.Write("notes.txt", kSubRip);
    dir.Write("m.sub", kMicroDvd);
    dir.Write("subs.idx", kSubRip);
    dir.Write("empty.srt", "");
    std::filesystem::create_directory(dir.path() + "/folder.srt");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        path = *row.given != 0 ? dir.path() + "/" + row.given : "";
        folder = "/start/here";
        errors.clear();
        dialogs.calls.clear();
        dialogs.openFileAnswers = {{row.answer, dir.path() + "/" + row.chosen}};
        Preload("kept");
        EXPECT_EQ(LoadSubtitles(context), row.loaded);
        EXPECT_EQ(FirstText(), row.firstText);
        EXPECT_EQ(folder, row.folderIsScratch ? dir.path() : "/start/here");
        EXPECT_EQ(dialogs.CallsOf(Kind::OpenFile).size(), *row.given != 0 ? 0u : 1u);
        EXPECT_EQ(errors, *row.error != 0 ? std::vector<std::string>{row.error}
                                          : std::vector<std::string>{});
        EXPECT_TRUE(dialogs.CallsOf(Kind::MessageBox).empty()) << "boxes go through ShowError";
    }
}

// --- Discovery beside a clip ---

TEST_F(SubtitleLoadingTest, DiscoveryLoadsTheFirstOfSrtTxtSub) {
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, const char*>> files;  // name, contents
        const char* clip;
        const char* firstText;
        bool frameBased;
        const char* lastTried;  // SubtitlePath afterwards, below the scratch folder
    } rows[] = {
        {"srt first",
         {{"movie.srt", kSubRip}, {"movie.txt", kSubRipOther}, {"movie.sub", kMicroDvd}},
         "movie.avi",
         "from SubRip",
         false,
         "movie.srt"},
        {"txt before sub, read as SubRip",
         {{"movie.sub", kMicroDvd}, {"movie.txt", kSubRip}},
         "movie.avi",
         "from SubRip",
         false,
         "movie.txt"},
        {"only sub, read as MicroDVD",
         {{"movie.sub", kMicroDvd}},
         "movie.avi",
         "from MicroDVD",
         true,
         "movie.sub"},
        {"nothing beside: empty track, last name tried",
         {},
         "movie.avi",
         "<empty>",
         false,
         "movie.sub"},
        {"another clip's file is not taken",
         {{"other.srt", kSubRip}},
         "movie.avi",
         "<empty>",
         false,
         "movie.sub"},
        {"an unreadable srt falls through to txt",
         {{"movie.txt", kSubRip}},
         "movie.avi",
         "from SubRip",
         false,
         "movie.txt"},
        {"only the last extension goes",
         {{"movie.part1.srt", kSubRip}},
         "movie.part1.avi",
         "from SubRip",
         false,
         "movie.part1.srt"},
        {"clip without extension in a dotted folder",
         {{"v.1/clip.srt", kSubRip}},
         "v.1/clip",
         "from SubRip",
         false,
         "v.1/clip.srt"},
        {"hidden clip without extension",
         {{".clip.txt", kSubRip}},
         ".clip",
         "from SubRip",
         false,
         ".clip.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchDir scratch;
        std::filesystem::create_directory(scratch.path() + "/v.1");
        if (std::string(row.name).find("unreadable") != std::string::npos) {
            std::filesystem::create_directory(scratch.path() + "/movie.srt");
        }
        for (const auto& [name, contents] : row.files) {
            scratch.Write(name, contents);
        }
        Preload("previous clip");
        const std::string clip = scratch.path() + "/" + row.clip;
        DiscoverSubtitles(context, clip);
        EXPECT_EQ(FirstText(), row.firstText);
        if (track.Count() > 0) {
            EXPECT_EQ(track.At(0).FrameBased(), row.frameBased);
        }
        EXPECT_EQ(path, scratch.path() + "/" + row.lastTried);
        EXPECT_EQ(folder, DirectoryOf(clip));
        EXPECT_TRUE(dialogs.calls.empty()) << "discovery never asks";
    }
}

// --- Font ---

TEST_F(SubtitleLoadingTest, FontDialogStoresFontAndColour) {
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSize(12);  // 16 px at 96 dpi
    chosen.setBold(true);
    chosen.setItalic(true);
    dialogs.fontAnswers = {{true, chosen, 0x000080FF}};
    color = 0x00112233;
    const uint64_t before = mixer.SubtitleFont.Generation();

    ASSERT_TRUE(SetSubtitleFont(context));
    const auto call = dialogs.CallsOf(Kind::ChooseFont).at(0);
    EXPECT_EQ(call.colorRef, 0x00112233u) << "the dialog starts from the stored colour";
    EXPECT_EQ(color, 0x000080FFu);
    EXPECT_NE(mixer.SubtitleFont.Generation(), before);
    const auto font = mixer.SubtitleFont.Get();
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(font->pixelSize(), 16) << "held as it will be stored and read back";
    EXPECT_TRUE(font->bold());
    EXPECT_TRUE(font->italic());
    const LogFontBytes stored = LogFontFromFont(*font);
    EXPECT_EQ(stored, LogFontFromFont(chosen));

    // The next dialog starts from that font.
    dialogs.fontAnswers.clear();
    EXPECT_FALSE(SetSubtitleFont(context));
    EXPECT_EQ(dialogs.CallsOf(Kind::ChooseFont).at(1).font, *font);
}

TEST_F(SubtitleLoadingTest, FontDialogCancelOrNamelessFont) {
    mixer.SubtitleFont.Set(QFont(QStringLiteral("DejaVu Serif")));
    const uint64_t before = mixer.SubtitleFont.Generation();
    EXPECT_FALSE(SetSubtitleFont(context));  // cancelled
    EXPECT_EQ(mixer.SubtitleFont.Generation(), before);
    EXPECT_EQ(mixer.SubtitleFont.Get()->family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(color, 0x00FFFFFFu);

    // A font without a face name cannot be stored: the default font is used.
    QFont nameless;
    nameless.setFamily(QString());
    dialogs.fontAnswers = {{true, nameless, 0x00000000}};
    EXPECT_TRUE(SetSubtitleFont(context));
    EXPECT_FALSE(mixer.SubtitleFont.Get().has_value());
    EXPECT_EQ(color, 0u);
}

// --- Drag ---

TEST(SubtitleDragTest, TextBottomFollowsTheCursor) {
    struct Row {
        const char* name;
        DragGeometry geometry;
        int32_t y, current;
        int32_t expected;
    } rows[] = {
        {"native size, cursor 60 rows above the bottom", {640, 360, 0, 640, 360}, 300, 5, 60},
        {"native size, cursor at the bottom", {640, 360, 0, 640, 360}, 360, 5, 0},
        {"destination lower in the view", {640, 360, 40, 640, 360}, 340, 5, 60},
        {"scaled twice", {640, 360, 60, 1280, 720}, 660, 5, 60},
        {"scaled down, ratio truncated", {640, 480, 0, 480, 360}, 100, 5, 347},
        {"letterboxed: bars of 60 above and below", {640, 360, 0, 640, 480, true}, 360, 5, 60},
        {"letterboxed and scaled", {640, 360, 0, 1280, 1000, true}, 860, 5, 0},
        {"pillarboxed: full height", {640, 360, 0, 800, 360, true}, 300, 5, 60},
        {"stretched: no bars", {640, 360, 0, 640, 480, false}, 400, 5, 60},
        {"above the picture: not clamped here", {640, 360, 60, 1280, 720}, 0, 5, 390},
        {"below the picture: negative", {640, 360, 0, 640, 360}, 400, 5, -40},
        {"no destination height: unchanged", {640, 360, 0, 640, 0}, 100, 7, 7},
        {"no video: unchanged", {0, 0, 0, 640, 360, true}, 100, 7, 7},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SubtitleOffsetForDrag(row.geometry, row.y, row.current), row.expected)
            << row.name;
    }
}

}  // namespace
}  // namespace tavimo
