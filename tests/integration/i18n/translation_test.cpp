// The program's texts through Qt's translation. Under a pseudo-translation
// that puts a mark before every text the sources offer for translation, no
// text a person sees comes out unmarked: a text that skipped the translation
// shows up here. Each shipped language keeps its menus' accelerators unique,
// and the desktop's list of languages (LANGUAGE) picks the one shown. The
// shipped translations as translators leave them in the .ts files: each file
// is what lupdate makes of the sources now, translates every text the sources
// use, and keeps each text's placeholders, menu accelerator and shortcut
// column.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTranslator>
#include <QXmlStreamReader>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../frame/frame_test_util.h"
#include "app/main_frame.h"
#include "app/translations.h"
#include "engine/chapters_loop.h"
#include "engine/media/hresult.h"
#include "engine/playback_speed.h"
#include "engine/track_choices.h"
#include "integration/about_dialog.h"
#include "integration/help_update.h"
#include "integration/open_url_dialog.h"
#include "platform/desktop.h"
#include "resources/command_ids.h"
#include "resources/translate.h"
#include "subtitles/subtitle_delay.h"
#include "support/fake_media.h"
#include "view/view_geometry.h"

namespace tavimo {
namespace {

const QString kMark = QStringLiteral("\u203c");  // the pseudo-translation's mark
constexpr int64_t kSecond = 10000000;            // 100 ns units

// The frame as start-up makes it, on fakes.
struct TestFrame : frame_test::TestFrame {
    TestFrame() { Start(); }
};

// The translators installed on the application go (they are its children).
void RemoveTranslators() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>())
        delete translator;
}

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

// The entries of the menu bar, then of every popup of the frame, the bar's
// and those inside them, depth first, with the titles of the popups above it
// and its own.
std::vector<std::pair<QString, QList<QAction*>>> Menus(CMainFrame& frame) {
    std::vector<std::pair<QString, QList<QAction*>>> out = {
        {"menu bar", frame.menuBar()->actions()}};
    const std::function<void(const QMenu*, const QString&)> walk = [&](const QMenu* menu,
                                                                       const QString& where) {
        out.emplace_back(where, menu->actions());
        for (const QAction* action : menu->actions())
            if (action->menu() != nullptr)
                walk(action->menu(), where + " > " + action->text());
    };
    for (const QAction* popup : frame.menuBar()->actions())
        walk(popup->menu(), popup->text());
    return out;
}

TEST_F(PseudoTranslation, EveryMenuEntryAndToolbarTipIsTranslated) {
    TestFrame f;
    QStringList unmarked;
    int walked = 0;
    int data = 0;
    // The submenus that list data rather than words: every entry after the
    // first ("Default", "Automatic") is a display mode or an encoding's name.
    const auto check = [&](const QString& where, const QString& text) {
        if (text.startsWith(kMark))
            ++walked;
        else if (where.endsWith(kMark + "Fullscreen Resolution") ||
                 where.endsWith(kMark + "Subtitle Encoding"))
            ++data;
        else
            ++walked, unmarked << where + ": " + text;
    };
    for (const auto& [where, actions] : Menus(*f.frame))
        for (const QAction* action : actions)
            if (!action->isSeparator())
                check(where, action->text());
    for (QToolBar* bar : f.frame->findChildren<QToolBar*>())
        for (const QAction* action : bar->actions())
            if (!action->toolTip().isEmpty() && action->data().toInt() != ID_DELETE_FILE)
                check("toolbar", action->toolTip());
    EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join('\n').toStdString();
    EXPECT_GE(walked, 60);    // the whole menu, not a part of it
    EXPECT_EQ(data, 2 + 21);  // two display modes, the encodings after "Automatic"
    const QList<QAction*> bar = f.frame->menuBar()->actions();
    EXPECT_EQ(bar.at(0)->menu()->actions().at(0)->text(), kMark + "&Open Video...\tCtrl+O");
}

// The texts met outside the menus, each written out: the tips, the dialogs'
// own, the boxes (the failure box keeps its code line as it is and
// translates the sentence under it), the burnt-in notes and the entries made
// per clip.
TEST_F(PseudoTranslation, TipsDialogsBoxesNotesAndClipEntriesAreTranslated) {
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
    const auto boxes = f.dialogs->CallsOf(platform::ScriptedDialogs::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 5u);
    const auto opened = f.dialogs->CallsOf(platform::ScriptedDialogs::Kind::OpenFile);
    ASSERT_EQ(opened.size(), 1u);
    const QSlider* volume = f.frame->findChild<QSlider*>(QString("control%1").arg(IDC_VOLUME));
    ASSERT_NE(volume, nullptr);
    NoLauncher launcher;
    const std::vector<Chapter> chapters = {{0, "Intro"}, {70 * kSecond, ""}};
    AbLoop loop{AbLoop::Stage::Looping, 70 * kSecond, 85 * kSecond};
    TrackChoices off(1);
    const StreamInfo audio = FakeTrack(StreamInfo::Kind::Audio, "de", "AAC", 2, kTrackNoDecoder);
    const std::string about = AboutText();
    const struct {
        const char* name;
        std::string shown;
        std::string expected;
    } rows[] = {
        {"volume tip", volume->toolTip().toStdString(), "\u203cVolume"},
        {"seek bar", SeekBarText(61, 3600), "\u203c0:01:01 / 1:00:00"},
        {"Enter URL", COpenURL(nullptr).windowTitle().toStdString(), "\u203cEnter URL"},
        {"About", CAboutDlg(launcher, nullptr).windowTitle().toStdString(), "\u203cAbout Tavimo"},
        {"About text", about.substr(0, about.find("--")),
         "\u203cTavimo build " + std::to_string(kBuildNumber) +
             "\r\n\u203cA small video player that draws its own subtitles.\r\n"
             "\u203cBuilt with Qt 6 and GStreamer for Linux.\r\n\r\n\u203cThanks to (a-z):\r\n"},
        {"known failure", boxes[0].text,
         "FAILED(hr=0x80004005) in pMC->Run()\n\n\u203cThe operation failed."},
        {"unknown failure", boxes[1].text,
         "FAILED(hr=0x80041234) in pMC->Run()\n\n\u203cUnknown Error: 0x80041234"},
        {"trash", boxes[2].text, "\u203cMove \"/nonexistent/clip.mkv\" to the trash?"},
        {"no extension", boxes[3].text,
         "\u203c\"clip\" has no file extension, so no file type was registered."},
        {"playlist", boxes[4].text,
         "\u203cASX Playlists are not supported by this application.\n\nPlease select a "
         "valid media file."},
        {"open dialog", opened[0].request.title, "\u203cOpen Media File..."},
        {"open filter", opened[0].request.filters.at(0).description, "\u203cAll Files (*.*)"},
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

// An unknown language leaves English. Each shipped language: its
// translation loads with Qt's, and no menu (nor the menu bar) offers one
// accelerator letter twice; a translated error text cut to a short buffer
// ends on a whole character.
TEST(ShippedLanguages, LoadWithQtsOwnAndKeepAcceleratorsUnique) {
    EXPECT_FALSE(InstallTranslations(*qApp, "xx"));
    EXPECT_FALSE(InstallTranslations(*qApp, ""));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>().isEmpty());
    EXPECT_EQ(TrText("Notes", "Loop off"), "Loop off");
    for (const char* language : {"de", "fr", "es", "pl", "pt_BR", "ru", "it", "cs"}) {
        ASSERT_TRUE(InstallTranslations(*qApp, QString::fromLatin1(language))) << language;
        EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel") << language;
        TestFrame f;
        for (const auto& [title, actions] : Menus(*f.frame)) {
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
        if (std::string(language) == "ru") {  // an error text cut short ends on a whole letter
            char buffer[4];
            EXPECT_EQ(GetErrorText(E_FAIL, buffer, sizeof buffer), 2u);
            EXPECT_STREQ(buffer, "\u041e");  // "О", the first letter of "Операция не удалась."
        }
        RemoveTranslators();
    }
}

// The first line of `tavimo --help` with LANGUAGE set to `languages`.
QString HelpFirstLine(const QString& languages) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LANGUAGE", languages);
    env.insert("LC_ALL", "C.UTF-8");  // a locale of its own: LANGUAGE alone picks the texts
    env.insert("G_DEBUG", "fatal-criticals");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TAVIMO_BUILD_DIR "/tavimo"), {"--help"});
    if (!program.waitForFinished(10000))  // a hang detector, not a time limit
        return "(no answer)";
    return QString::fromUtf8(program.readAllStandardOutput()).section('\n', 0, 0);
}

TEST(DesktopLanguage, HelpFollowsTheLanguage) {
    const struct {
        const char* name;
        QString languages;
        QString expected;
    } rows[] = {
        {"German", "de", "Aufruf: tavimo [DATEI-ODER-URL]"},
        {"Austrian German takes German", "de_AT", "Aufruf: tavimo [DATEI-ODER-URL]"},
        {"unshipped language, then French", "ja_JP:fr_CA", "Utilisation : tavimo [FICHIER-OU-URL]"},
        {"Brazilian Portuguese", "pt_BR", "Uso: tavimo [ARQUIVO-OU-URL]"},
        {"Portuguese of Portugal takes Brazilian", "pt_PT", "Uso: tavimo [ARQUIVO-OU-URL]"},
        {"Czech", "cs_CZ", "Pou\u017eit\u00ed: tavimo [SOUBOR-NEBO-URL]"},
        {"Russian", "ru_RU",
         "\u0418\u0441\u043f\u043e\u043b\u044c\u0437\u043e\u0432\u0430\u043d"
         "\u0438\u0435: tavimo [\u0424\u0410\u0419\u041b-\u0418\u041b\u0418-URL]"},
        {"English before German", "en_GB:de", "Usage: tavimo [FILE-OR-URL]"},
        {"no language shipped", "ja", "Usage: tavimo [FILE-OR-URL]"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HelpFirstLine(row.languages), row.expected) << row.name;
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

const QString kTsDir = QStringLiteral(TAVIMO_SOURCE_DIR "/src/resources/translations");
const char kUpdate[] = "cmake --build build --target update_translations";

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;  // "", "unfinished", or "vanished"/"obsolete" for a text the sources dropped
    bool InUse() const { return type != "vanished" && type != "obsolete"; }
};

// The messages of the .ts file at `path`, in file order; `error` says why
// when the file cannot be read. Any thread.
std::vector<Message> ReadTs(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    std::vector<Message> messages;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.push_back({context, {}, {}, {}});
        } else if (xml.name() == u"source" && !messages.empty()) {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.empty()) {
            messages.back().type = xml.attributes().value("type").toString();
            messages.back().translation =
                xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    if (xml.hasError())
        *error = xml.errorString() + " at line " + QString::number(xml.lineNumber());
    return messages;
}

// The placeholders of `text`: Qt's %1..%99 sorted (a translation may reorder
// them), then printf's %s, %d, %x... in order (it may not).
QStringList Placeholders(const QString& text) {
    static const QRegularExpression marker(
        R"(%%|%L?[1-9]\d?|%[-+#0]*\d*(?:\.\d+)?(?:hh|h|ll|l|z|j|t|L)?[diouxXeEfgGcsp])");
    QStringList numbered;
    QStringList printf;
    for (const QRegularExpressionMatch& m : marker.globalMatch(text)) {
        const QString found = m.captured();
        if (found == "%%")
            continue;
        (found.back().isDigit() ? numbered : printf) << found;
    }
    numbered.sort();
    return numbered + printf;
}

qsizetype Accelerators(const QString& text) {
    return QString(text).remove("&&").count(u'&');
}

// What is wrong with the translation of a text still in use, empty if nothing.
QString Problem(const Message& m) {
    if (m.type == "unfinished" || m.translation.isEmpty())
        return "not translated";
    const QStringList kept = Placeholders(m.translation);
    if (Placeholders(m.source) != kept)
        return "placeholders " + Placeholders(m.source).join(' ') + " became " +
               (kept.isEmpty() ? "none" : kept.join(' '));
    if (Accelerators(m.source) != Accelerators(m.translation))
        return QString("%1 accelerator(s) (&) where the source has %2")
            .arg(Accelerators(m.translation))
            .arg(Accelerators(m.source));
    if (m.source.contains('\t') != m.translation.contains('\t'))
        return "the shortcut after the tab is lost or added";
    return {};
}

QString Quoted(const Message& m) {
    return m.context + " \"" + QString(m.source).replace('\n', "\\n").replace('\t', "\\t") + '"';
}

// The names of the shipped .ts files, in kTsDir.
QStringList ShippedTsFiles() {
    return QDir(kTsDir).entryList({"tavimo_*.ts"}, QDir::Files);
}

// The checker itself, one row for each way it can find a text broken.
TEST(TranslationProblem, CatchesWhatATranslatorCanBreak) {
    const struct {
        const char* name;
        Message message;
        bool broken;
    } rows[] = {
        {"fine", {"Menu", "&Open Video...\tCtrl+O", "&Video öffnen …\tStrg+O", ""}, false},
        {"not yet translated", {"Notes", "Loop off", "", "unfinished"}, true},
        {"marked unfinished", {"Notes", "Loop off", "Schleife aus", "unfinished"}, true},
        {"placeholders reordered", {"Notes", "Chapter %1/%2", "%2 : %1", ""}, false},
        {"placeholder lost", {"Boxes", "cannot write %1: %2", "Schreibfehler: %2", ""}, true},
        {"percent sign after a placeholder",
         {"Notes", "Sync %1%", "%1 % des Abgleichs", ""},
         false},
        {"printf placeholders swapped", {"Boxes", "%s: %d", "%d: %s", ""}, true},
        {"literal percent", {"Notes", "100%% done", "fertig", ""}, false},
        {"accelerator dropped", {"Menu", "&File", "Datei", ""}, true},
        {"escaped ampersand is no accelerator",
         {"Menu", "Q && A", "Fragen und Antworten", ""},
         false},
        {"shortcut column dropped", {"Menu", "Pause\tSPACE", "Pause", ""}, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(!Problem(row.message).isEmpty(), row.broken)
            << row.name << ": " << Problem(row.message).toStdString();
}

TEST(ShippedTsFiles, EveryTextTranslatedKeepingItsMarkers) {
    const QStringList names = ShippedTsFiles();
    ASSERT_GE(names.size(), 8);
    for (const QString& name : names) {
        QString error;
        const std::vector<Message> messages = ReadTs(kTsDir + '/' + name, &error);
        ASSERT_TRUE(error.isEmpty()) << name.toStdString() << ": " << error.toStdString();
        QStringList problems;
        for (const Message& m : messages) {
            const QString problem = m.InUse() ? Problem(m) : QString();
            if (!problem.isEmpty())
                problems << Quoted(m) + ": " + problem;
        }
        if (!problems.isEmpty())
            ADD_FAILURE() << name.toStdString() << " (open it in Qt Linguist):\n"
                          << problems.join('\n').toStdString();
        EXPECT_GE(messages.size(), 150u) << name.toStdString();  // read whole
    }
}

TEST(ShippedTsFiles, AreWhatLupdateMakesOfTheSources) {
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QStringList args = QString(TAVIMO_LUPDATE_OPTIONS).split(' ', Qt::SkipEmptyParts);
    args << "@" TAVIMO_TR_LIST << "-ts";
    const QStringList names = ShippedTsFiles();
    for (const QString& name : names) {
        const QString copy = work.filePath(name);
        ASSERT_TRUE(QFile::copy(kTsDir + '/' + name, copy)) << copy.toStdString();
        args << copy;
    }
    QProcess lupdate;
    lupdate.start(TAVIMO_LUPDATE, args);
    ASSERT_TRUE(lupdate.waitForFinished(120000));  // a hang detector, not a time limit
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    QStringList behind;
    for (const QString& name : names) {
        QFile shipped(kTsDir + '/' + name), updated(work.filePath(name));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly) && updated.open(QIODevice::ReadOnly));
        if (shipped.readAll() != updated.readAll())
            behind << name;
    }
    EXPECT_TRUE(behind.isEmpty()) << behind.join(' ').toStdString() << " behind the sources; run `"
                                  << kUpdate
                                  << "` (lupdate), then translate the new texts in Qt Linguist";
}

}  // namespace
}  // namespace tavimo
