// The program's texts through Qt's translation. Under a pseudo-translation
// that puts a mark before every text the sources offer for translation, no
// text a person sees comes out unmarked: a text that skipped the translation
// shows up here. Each shipped language keeps its menus' accelerators unique,
// German reads as German, and the desktop's list of languages picks the one
// shown.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include <QSlider>

#include "app/translations.h"
#include "engine/chapters_loop.h"
#include "engine/media/hresult.h"
#include "engine/playback_speed.h"
#include "engine/track_choices.h"
#include "frame_texts.h"
#include "integration/about_dialog.h"
#include "integration/help_update.h"
#include "integration/open_url_dialog.h"
#include "platform/desktop.h"
#include "resources/command_ids.h"
#include "resources/translate.h"
#include "subtitles/subtitle_delay.h"
#include "view/view_geometry.h"

namespace tavimo {
namespace {

const QString kMark = QStringLiteral("\u203c");  // the pseudo-translation's mark
constexpr int64_t kSecond = 10000000;            // 100 ns units

class NoLauncher : public platform::Launcher {
  public:
    void OpenWithDefault(const std::string&) override {}
};

class PseudoTranslation : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* pseudo = new QTranslator(qApp);
        ASSERT_TRUE(pseudo->load(QStringLiteral(TAVIMO_PSEUDO_QM)));
        QCoreApplication::installTranslator(pseudo);
    }
    void TearDown() override { RemoveTranslators(); }
};

// The submenus that list data rather than words: every entry after the
// first ("Default", "Automatic") is a display mode or an encoding's name.
bool IsDataEntry(const ShownText& shown) {
    const bool dataMenu = shown.where.endsWith(kMark + "Fullscreen Resolution") ||
                          shown.where.endsWith(kMark + "Subtitle Encoding");
    return dataMenu && !shown.text.startsWith(kMark);
}

TEST_F(PseudoTranslation, EveryMenuEntryAndToolbarTipIsTranslated) {
    TestFrame f;
    QStringList unmarked;
    int walked = 0;
    int data = 0;
    for (const ShownText& shown : MenuTexts(*f.frame)) {
        if (IsDataEntry(shown)) {
            ++data;
            continue;
        }
        ++walked;
        if (!shown.text.startsWith(kMark))
            unmarked << shown.where + ": " + shown.text;
    }
    for (QToolBar* bar : f.frame->findChildren<QToolBar*>()) {
        for (const QAction* action : bar->actions()) {
            if (!action->toolTip().isEmpty() && action->data().toInt() != ID_DELETE_FILE) {
                ++walked;
                if (!action->toolTip().startsWith(kMark))
                    unmarked << "toolbar: " + action->toolTip();
            }
        }
    }
    EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join('\n').toStdString();
    EXPECT_GE(walked, 60);    // the whole menu, not a part of it
    EXPECT_EQ(data, 2 + 21);  // two display modes, the encodings after "Automatic"
    const QList<QAction*> bar = f.frame->menuBar()->actions();
    EXPECT_EQ(bar.at(0)->menu()->actions().at(0)->text(), kMark + "&Open Video...\tCtrl+O");
}

// The volume slider's tip, the seek bar's tip, and the dialogs' own texts.
TEST_F(PseudoTranslation, TipsAndDialogsAreTranslated) {
    TestFrame f;
    const QSlider* volume = f.frame->findChild<QSlider*>(QString("control%1").arg(IDC_VOLUME));
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->toolTip(), kMark + "Volume");
    EXPECT_EQ(SeekBarText(61, 3600), "\u203c0:01:01 / 1:00:00");
    EXPECT_EQ(COpenURL(nullptr).windowTitle(), kMark + "Enter URL");
    NoLauncher launcher;
    EXPECT_EQ(CAboutDlg(launcher, nullptr).windowTitle(), kMark + "About Tavimo");
    const std::string build = std::to_string(kBuildNumber);
    EXPECT_EQ(
        AboutText().substr(0, AboutText().find("--")),
        "\u203cTavimo build " + build +
            "\r\n\u203cA small video player that draws its own subtitles.\r\n"
            "\u203cBuilt with Qt 6 and GStreamer for Linux.\r\n\r\n\u203cThanks to (a-z):\r\n");
}

// The boxes a person meets: the failure box keeps its code line as it is
// and translates the sentence under it.
TEST_F(PseudoTranslation, BoxesAreTranslated) {
    using Kind = platform::ScriptedDialogs::Kind;
    TestFrame f;
    PlayerRecord& record = f.frame->Record();
    record.ShowError("FAILED(hr=0x%x) in pMC->Run()\n", E_FAIL);
    record.ShowError("FAILED(hr=0x%x) in pMC->Run()\n", static_cast<HRESULT>(0x80041234));
    record.ClipPath = "/nonexistent/clip.mkv";
    f.frame->OnCommand(ID_DELETE_FILE);
    record.ClipPath = "/nonexistent/clip";
    f.frame->OnCommand(ID_REGISTER_FILETYPE);
    record.ClipPath.clear();
    f.dialogs->openFileAnswers.push_back({1, "/nonexistent/list.asx"});
    record.OpenClip();
    const auto boxes = f.dialogs->CallsOf(Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].text, "FAILED(hr=0x80004005) in pMC->Run()\n\n\u203cThe operation failed.");
    EXPECT_EQ(boxes[1].text,
              "FAILED(hr=0x80041234) in pMC->Run()\n\n\u203cUnknown Error: 0x80041234");
    EXPECT_EQ(boxes[2].text, "\u203cMove \"/nonexistent/clip.mkv\" to the trash?");
    EXPECT_EQ(boxes[3].text,
              "\u203c\"clip\" has no file extension, so no file type was registered.");
    EXPECT_EQ(boxes[4].text,
              "\u203cASX Playlists are not supported by this application.\n\nPlease select a "
              "valid media file.");
    const auto opened = f.dialogs->CallsOf(Kind::OpenFile);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].request.title, "\u203cOpen Media File...");
    EXPECT_EQ(opened[0].request.filters.at(0).description, "\u203cAll Files (*.*)");
}

// The burnt-in notes and the entries made per clip, each written out.
TEST_F(PseudoTranslation, NotesAndClipEntriesAreTranslated) {
    const std::vector<Chapter> chapters = {{0, "Intro"}, {70 * kSecond, ""}};
    AbLoop loop{AbLoop::Stage::Looping, 70 * kSecond, 85 * kSecond};
    TrackChoices off(1);
    StreamInfo audio;
    audio.format = "AAC";
    audio.language = "de";
    audio.channels = 2;
    audio.decodable = false;
    const struct {
        const char* name;
        std::string shown;
        std::string expected;
    } rows[] = {
        {"speed", SpeedNoteText(1.5), "\u203cSpeed: 1.5\u00d7"},
        {"subtitle delay", DelayNoticeText(-300), "\u203cSubtitle delay: -0.3 s"},
        {"titled chapter", ChapterNoteText(chapters, 0), "\u203cChapter 1/2: Intro"},
        {"untitled chapter", ChapterNoteText(chapters, 1), "\u203cChapter 2/2"},
        {"loop", loop.NoteText(), "\u203cLoop: 0:01:10 \u2013 0:01:25"},
        {"loop off", AbLoop{}.NoteText(), "\u203cLoop off"},
        {"subtitles off", TrackNoteText("Subtitles", off, 0), "\u203cSubtitles: \u203cOff"},
        {"no audio", TrackNoteText("Audio", {}, 0), "\u203cAudio: \u203cnone"},
        {"untitled chapter entry", ChapterMenuText(chapters, 1), "\u203cChapter 2\t0:01:10"},
        {"audio track entry", TrackMenuText(2, audio),
         "\u203c\u203cTrack 2: Deutsch (AAC, \u203cstereo) (no decoder)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.shown, row.expected) << row.name;
}

// Each shipped language: its translation loads with Qt's, and no menu (nor
// the menu bar) offers one accelerator letter twice.
TEST(ShippedLanguages, LoadWithQtsOwnAndKeepAcceleratorsUnique) {
    for (const char* language : {"de", "fr", "es", "pl", "pt_BR", "ru", "it", "cs"}) {
        ASSERT_TRUE(InstallTranslations(*qApp, QString::fromLatin1(language))) << language;
        EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel") << language;
        TestFrame f;
        std::vector<std::pair<QString, QList<QAction*>>> groups = {
            {"menu bar", f.frame->menuBar()->actions()}};
        for (const QMenu* menu : Menus(*f.frame))
            groups.push_back({menu->title(), menu->actions()});
        for (const auto& [title, actions] : groups) {
            std::set<QChar> letters;
            for (const QAction* action : actions) {
                const QString text = QString(action->text()).remove("&&");
                const qsizetype at = text.indexOf(u'&');
                if (at < 0 || at + 1 >= text.size())
                    continue;
                EXPECT_TRUE(letters.insert(text.at(at + 1).toLower()).second)
                    << language << ": " << title.toStdString() << " has '"
                    << QString(text.at(at + 1)).toStdString() << "' twice";
            }
        }
        RemoveTranslators();
    }
}

// A translated error text cut to a short buffer ends on a whole character.
TEST(ShippedLanguages, ErrorTextCutOnlyBetweenCharacters) {
    ASSERT_TRUE(InstallTranslations(*qApp, "ru"));
    char buffer[4];
    EXPECT_EQ(GetErrorText(E_FAIL, buffer, sizeof buffer), 2u);
    EXPECT_STREQ(buffer, "\u041e");  // "О", the first letter of "Операция не удалась."
    RemoveTranslators();
}

TEST(ChooseLanguage, FollowsTheDesktopsList) {
    const struct {
        const char* name;
        QStringList languages;
        QString expected;
    } rows[] = {
        {"German desktop", {"de-DE", "de"}, "de"},
        {"English first wins", {"en-US", "de-DE"}, ""},
        {"unshipped language, then French", {"ja-JP", "fr-CA"}, "fr"},
        {"Austrian German takes German", {"de-AT"}, "de"},
        {"Brazilian Portuguese", {"pt-BR"}, "pt_BR"},
        {"Portuguese of Portugal takes Brazilian", {"pt-PT"}, "pt_BR"},
        {"Czech with underscore", {"cs_CZ"}, "cs"},
        {"nothing shipped", {"ja-JP", "zh-CN"}, ""},
        {"C locale", {"C"}, ""},
        {"empty list", {}, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ChooseLanguage(row.languages), row.expected) << row.name;
}

TEST(InstallTranslations, UnknownLanguageLeavesEnglish) {
    EXPECT_FALSE(InstallTranslations(*qApp, "xx"));
    EXPECT_FALSE(InstallTranslations(*qApp, ""));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>().isEmpty());
    EXPECT_EQ(TrText("Notes", "Loop off"), "Loop off");
}

// Arguments go in once, in one pass: an argument holding "%2" stays as it is.
TEST(TrArg, PutsEachArgumentInOnce) {
    const struct {
        const char* name;
        std::string pattern;
        std::vector<std::string> args;
        std::string expected;
    } rows[] = {
        {"two in order", "%1 / %2", {"a", "b"}, "a / b"},
        {"argument holding a marker", "%1 / %2", {"%2", "x"}, "%2 / x"},
        {"reordered by a translation", "%2 then %1", {"a", "b"}, "b then a"},
        {"marker without argument stays", "%1 and %2", {"a"}, "a and %2"},
        {"percent sign after a marker", "%1%", {"50"}, "50%"},
        {"text without markers", "Loop off", {"a"}, "Loop off"},
    };
    for (const auto& row : rows) {
        const std::string shown = row.args.size() == 1
                                      ? TrArg(row.pattern, {row.args[0]})
                                      : TrArg(row.pattern, {row.args[0], row.args[1]});
        EXPECT_EQ(shown, row.expected) << row.name;
    }
}

}  // namespace
}  // namespace tavimo
