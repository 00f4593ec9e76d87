// The main frame offscreen, with an in-memory registry and scripted dialogs:
// its menu, toolbar and keys, the command table and the window-state
// commands, View > Deinterlace and its key, the tracks' menus and keys. The
// view places the picture, fits the frame to the video, runs the position
// timer, seeks from the seek bar and goes full screen, driven by the player
// record on the scripted framework, with fakes of the display and the screen
// saver.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

#include <fstream>
#include <tuple>

#include "app/main_frame.h"
#include "frame_test_util.h"
#include "platform/qt_dialogs.h"
#include "resources/command_ids.h"
#include "resources/resources.h"
#include "support/fake_media.h"
#include "support/fake_screen_saver.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

using frame_test::Note;
using frame_test::Press;

// The items of a menu as shown: greyed ones marked, the checked one starred.
QStringList Items(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << a->text() + (a->isEnabled() ? "" : " (inactive)") + (a->isChecked() ? " *" : "");
    return out;
}

class MainFrameTest : public ::testing::Test, protected frame_test::TestFrame {
  protected:
    // The Deinterlace items as shown, the checked one starred.
    std::string DeinterlaceItems() {
        QStringList items;
        for (int id : {ID_DEINTERLACE_AUTO, ID_DEINTERLACE_ON, ID_DEINTERLACE_OFF})
            items << frame->Action(id)->text() + (frame->Action(id)->isChecked() ? " *" : "");
        return items.join(", ").toStdString();
    }
};

// While a menu or a modal box has the keyboard no key of the table reaches
// the frame's commands; closed again, keys reach their commands: the keypad's
// Enter and Alt with Enter or an arrow as other keys. Ctrl+S, shown in the
// menu, has no key. A toolbar button issues its command. (Plain and Shift keys are pressed through
// the real program by the e2e tests.)
TEST_F(MainFrameTest, KeysReachTheirCommandsUnlessAMenuOrABoxHasTheKeyboard) {
    CMainFrame& f = Start();
    QSignalSpy issued(&f, &CMainFrame::commandIssued);
    QMenu* view = f.menuBar()->actions().at(3)->menu();
    QMessageBox box(QMessageBox::Information, "Tavimo", "text", QMessageBox::Ok, &f);
    const std::pair<const char*, std::function<void()>> holders[] = {
        {"View menu", [&] { view->popup(f.mapToGlobal(QPoint(10, 10))); }},
        {"modal box", [&] { box.open(); }},
    };
    for (const auto& [name, open] : holders) {
        open();
        QCoreApplication::processEvents();
        for (const res::Accelerator& a : res::AcceleratorTable())
            Press(f.View(), a.key, a.modifiers);
        EXPECT_TRUE(issued.isEmpty()) << name << ": " << issued.size() << " commands";
        view->hide();
        box.hide();
        QCoreApplication::processEvents();
    }
    // Name, key, modifiers, the command (0: none).
    const std::tuple<const char*, int, Qt::KeyboardModifiers, int> cases[] = {
        {"keypad Enter", Qt::Key_Enter, Qt::NoModifier, ID_PLAY},
        {"Alt+Enter", Qt::Key_Return, Qt::AltModifier, ID_FULLSCREEN},
        {"Alt+Down", Qt::Key_Down, Qt::AltModifier, ID_SUBTITLES_DOWN},
        {"Ctrl+S", Qt::Key_S, Qt::ControlModifier, 0}};
    for (const auto& [name, key, modifiers, command] : cases) {
        issued.clear();
        Press(f.View(), key, modifiers);
        EXPECT_EQ(issued.isEmpty() ? 0 : issued.at(0).at(0).toInt(), command) << name;
    }
    issued.clear();
    f.ToolBar()->actions().at(5)->trigger();
    EXPECT_EQ(issued.isEmpty() ? 0 : issued.at(0).at(0).toInt(), ID_STOP) << "a toolbar button";
}

TEST_F(MainFrameTest, TogglesFlipTheirFieldAndMark) {
    CMainFrame& f = Start();
    PlayerRecord& r = f.Record();
    const std::pair<int, std::function<int()>> toggles[] = {
        {ID_AUTO_NEXT, [&] { return r.AutoNext; }},
        {ID_KEEP_WINDOW_SIZE, [&] { return r.KeepWindowSize; }},
        {ID_ALLOW_MULTIPLE, [&] { return f.Stored().AllowMultipleInstances; }},
        {ID_VIEW_SUBTITLES, [&] { return r.Mixer.ViewSubtitles.load(); }},
        {ID_VIEW_TOOLBAR, [&] { return f.Stored().ToolBarVisible; }},
        {ID_VIEW_SEEKBAR, [&] { return f.Stored().SeekBarVisible; }},
        {ID_ALWAYS_ON_TOP, [&] { return r.AlwaysOnTop; }},
        {ID_MAINTAIN_ASPECT, [&] { return f.MaintainAspect() ? 1 : 0; }},
        {ID_NIGHT_MODE, [&] { return r.NightMode; }},
    };
    for (const auto& [command, field] : toggles) {
        const int before = field();
        f.OnCommand(command);
        EXPECT_EQ(field(), 1 - before) << command;
        EXPECT_EQ(f.Action(command)->isChecked(), before == 0) << command;
    }
    EXPECT_FALSE(f.ToolBar()->isVisibleTo(&f));
    EXPECT_FALSE(f.SeekBand()->isVisibleTo(&f));
    EXPECT_TRUE(f.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.frameGeometry().size(), QSize(400, 300)) << "on top keeps the geometry";
}

// Volume steps stop at the scale's ends; the stretch keys need a picture, a
// display mode is only marked outside full screen, an empty recent list beeps.
TEST_F(MainFrameTest, CommandsDoOnlyWhatTheirStateAllows) {
    CMainFrame& f = Start();
    QSlider* volume = f.Sliders()->VolumeBar();
    f.Sliders()->SetVolumePosition(98);
    f.OnCommand(ID_VOLUME_UP);
    EXPECT_EQ(volume->value(), 100);
    f.Sliders()->SetVolumePosition(3);
    f.OnCommand(ID_VOLUME_DOWN);
    EXPECT_EQ(volume->value(), 0);
    EXPECT_EQ(f.Record().Volume, 0);
    volume->setValue(40);  // the user drags the trackbar
    EXPECT_EQ(f.Record().Volume, 40);

    const QRect before = f.geometry();
    for (int id : {ID_STRETCH_NARROWER, ID_STRETCH_WIDER, ID_STRETCH_LOWER, ID_STRETCH_TALLER})
        f.OnCommand(id);
    EXPECT_EQ(f.geometry(), before) << "no picture: the stretch keys do nothing";
    EXPECT_TRUE(f.MaintainAspect());
    f.OnCommand(ID_RESOLUTION_DEFAULT + 2);
    EXPECT_EQ(f.Record().ResolutionIndex, 2);
    EXPECT_TRUE(f.Action(ID_RESOLUTION_DEFAULT + 2)->isChecked());
    EXPECT_EQ(modes.current, 0) << "the mode changes only in full screen";
    f.OnCommand(ID_FILE_MRU_FIRST);
    EXPECT_EQ(dialogs->CallsOf(platform::ScriptedDialogs::Kind::Beep).size(), 1u);
}

// A box shows its text as written: a path that looks like markup ("<b>",
// "&lt;") is a name. Read back from the box's label as a person selects it.
TEST_F(MainFrameTest, ABoxShowsAPathThatLooksLikeMarkupAsWritten) {
    CMainFrame& f = Start();
    const std::unique_ptr<platform::Dialogs> boxes = platform::MakeQtDialogs(&f);
    const QString text = QStringLiteral("Move \"/v/<b>bold &lt;1&gt;.mp4\" to the trash?");
    QString shown = QStringLiteral("(no box)");
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        auto* label = box ? box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")) : nullptr;
        if (label) {
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setSelection(0, static_cast<int>(text.size()));
            shown = label->selectedText();
        }
        if (box)
            box->reject();
    });
    EXPECT_EQ(boxes->MessageBox(text.toStdString(), "Tavimo", platform::MB_YESNO), platform::IDNO);
    EXPECT_EQ(shown, text);
}

// Drops: the first file only; subtitle extensions in any case go to the
// subtitles, and names longer than 259 characters arrive whole.
TEST_F(MainFrameTest, DroppedFilesGoToClipOrSubtitles) {
    CMainFrame& f = Start();
    f.DropFiles({QUrl::fromLocalFile("/tmp/Movie.SRT"), QUrl::fromLocalFile("/tmp/o.mp4")});
    EXPECT_EQ(f.Record().SubtitlePath, "/tmp/Movie.SRT");
    EXPECT_EQ(f.Record().ClipPath, "");
    f.DropFiles({QUrl::fromLocalFile("/tmp/Show.SSA")});
    EXPECT_EQ(f.Record().SubtitlePath, "/tmp/Show.SSA");
    EXPECT_EQ(f.Record().ClipPath, "");
    const QString longName = "/tmp/" + QString(300, 'x') + ".mkv";
    f.DropFiles({QUrl::fromLocalFile(longName), QUrl::fromLocalFile("/tmp/second.srt")});
    EXPECT_EQ(f.Record().ClipPath, longName.toStdString());
    EXPECT_NE(f.Record().SubtitlePath, "/tmp/second.srt");
}

// View > Subtitle Encoding reads the shown file again at once, and the choice
// is kept for the next start.
TEST_F(MainFrameTest, SubtitleEncodingReloadsAndIsKept) {
    const std::string path = testing::TempDir() + "encoding.srt";
    std::ofstream(path) << "1\n00:00:01,000 --> 00:00:02,000\n\xC0\xEB\xE8\xF1\xE0\n";
    registry.Seed(kSettingsKey, "Volume", platform::REG_DWORD, {100, 0, 0, 0});
    CMainFrame& f = Start();
    f.DropFiles({QUrl::fromLocalFile(QString::fromStdString(path))});
    QAction* cp1251 = f.Action(ID_SUBTITLE_ENCODING_FIRST + 3);
    QAction* latin1 = f.Action(ID_SUBTITLE_ENCODING_FIRST + 11);
    ASSERT_EQ(cp1251->text() + " " + latin1->text(), "Windows-1251 ISO-8859-1");
    cp1251->trigger();
    EXPECT_TRUE(cp1251->isChecked());
    EXPECT_EQ(f.Record().Track.Current()->at(0).text, "Алиса");
    latin1->trigger();
    EXPECT_TRUE(latin1->isChecked() && !cp1251->isChecked());
    EXPECT_EQ(f.Record().Track.Current()->at(0).text, "Àëèñà");
    f.close();
    EXPECT_TRUE(Start().Action(ID_SUBTITLE_ENCODING_FIRST + 11)->isChecked()) << "kept";
}

// D goes round Auto, On, Off with its note; an item chosen in the menu sets
// its own; the mark follows both, and the choice is there at the next start.
TEST_F(MainFrameTest, DeinterlaceKeyAndMenuGoRoundTheSettingsWithANoteAndAreKept) {
    // The settings key exists once anything was stored in it.
    registry.Seed(kSettingsKey, "Volume", platform::REG_DWORD, {100, 0, 0, 0});
    Start();
    EXPECT_EQ(DeinterlaceItems(), "Auto *, On, Off") << "Auto by default";
    const struct {
        const char* step;
        int item;  // 0: press D
        const char* note;
        const char* items;
        int stored;
    } rows[] = {
        {"D from Auto", 0, "Deinterlace: On", "Auto, On *, Off", 1},
        {"D from On", 0, "Deinterlace: Off", "Auto, On, Off *", 2},
        {"D from Off", 0, "Deinterlace: Auto", "Auto *, On, Off", 0},
        {"the Off item", ID_DEINTERLACE_OFF, "Deinterlace: Off", "Auto, On, Off *", 2},
        {"the On item", ID_DEINTERLACE_ON, "Deinterlace: On", "Auto, On *, Off", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        if (row.item == 0)
            Press(frame->View(), Qt::Key_D);
        else
            frame->Action(row.item)->trigger();
        EXPECT_EQ(Note(frame->Record()), row.note);
        EXPECT_EQ(DeinterlaceItems(), row.items);
        EXPECT_EQ(frame->Record().Deinterlace, row.stored);
    }
    frame->close();
    Start();
    EXPECT_EQ(DeinterlaceItems(), "Auto, On *, Off") << "kept in the settings";
}

// The columns of the seek bar's bottom row painted in `color`, the bar being
// 402 x 20 pixels (400 inside its border).
std::vector<int> BottomColumns(CSlider* bar, QColor color) {
    bar->setGeometry(0, 0, 402, 20);
    const QImage picture = bar->grab().toImage();
    std::vector<int> columns;
    for (int x = 0; x < picture.width(); ++x) {
        if (picture.pixelColor(x, 18) == color)
            columns.push_back(x);
    }
    return columns;
}

// A clip's chapters in Play > Chapters, the one playing checked; Shift+Page
// Down to the next. The painted seek bar's chapter ticks and loop points.
// The next clip, without chapters: no ticks, a disabled popup, no loop.
TEST_F(MainFrameTest, ChaptersAndLoopInTheMenuAndOnTheSeekBar) {
    CMainFrame& f = Start();
    FakeMediaFramework media;  // a 60 s clip
    constexpr REFERENCE_TIME kSecond = 10'000'000;
    media.script.chapters = {{0, "Opening"},
                             {15 * kSecond, "Middle part"},
                             {375 * kSecond / 10, ""},
                             {45 * kSecond, "Q&A"}};
    f.Record().UseMediaFramework(&media);
    f.Record().ClipPath = "/clips/a [*].mkv";
    f.Record().OpenClip();
    EXPECT_EQ(f.windowHandle()->title().toStdString(), "Tavimo - /clips/a [*].mkv")
        << "Qt's [*] mark as written";
    QMenu* chapters = f.ChaptersMenu();
    ASSERT_NE(chapters, nullptr);
    EXPECT_TRUE(chapters->menuAction()->isEnabled());
    Press(f.View(), Qt::Key_PageDown, Qt::ShiftModifier);
    emit chapters->aboutToShow();
    EXPECT_EQ(Items(chapters), QStringList({"Opening\t0:00:00", "Middle part\t0:00:15 *",
                                            "Chapter 3\t0:00:37", "Q&&A\t0:00:45"}))
        << "Shift+PgDn from the start: the second chapter; an '&' shown as itself";

    // A at 6 s, B at 54 s: x = 40 and 360 inside the border, two pixels wide.
    const QColor tick(60, 60, 60), loop(0, 90, 200);
    f.Record().SeekTo(6 * kSecond);
    Press(f.View(), Qt::Key_L);
    f.Record().SeekTo(54 * kSecond);
    Press(f.View(), Qt::Key_L);
    CSlider* bar = f.Sliders()->SeekBar();
    EXPECT_EQ(BottomColumns(bar, tick), (std::vector<int>{1, 101, 251, 301}));
    EXPECT_EQ(BottomColumns(bar, loop), (std::vector<int>{41, 42, 361, 362}));

    media.script.chapters.clear();
    f.Record().ClipPath = "/clips/b.mp4";
    f.Record().OpenClip();
    EXPECT_FALSE(chapters->menuAction()->isEnabled());
    EXPECT_TRUE(chapters->actions().isEmpty());
    EXPECT_EQ(BottomColumns(bar, tick), std::vector<int>{});
    EXPECT_EQ(BottomColumns(bar, loop), std::vector<int>{}) << "the loop went with its clip";
    f.close();
}

constexpr auto kAudio = StreamInfo::Kind::Audio;
constexpr auto kSubtitle = StreamInfo::Kind::Subtitle;

// The subtitle text the mixer draws now.
std::string Drawn(PlayerRecord& r) {
    const auto entries = r.Track.Current();
    return entries->empty() ? "" : entries->front().text;
}

// A clip with two audio and three subtitle tracks and a file beside it.
class TrackFrameTest : public MainFrameTest {
  protected:
    ~TrackFrameTest() override { frame.reset(); }  // its graph before the framework
    CMainFrame& StartWithClip(const std::string& name, std::vector<StreamInfo> streams) {
        CMainFrame& f = Start();
        media.script.streams = std::move(streams);
        f.Record().UseMediaFramework(&media);
        f.Record().ClipPath = testing::TempDir() + name;
        f.Record().OpenClip();
        return f;
    }
    const std::vector<StreamInfo> kFive = {
        FakeTrack(kAudio, "eng", "AAC", 2, kTrackOn), FakeTrack(kAudio, "ger", "AC-3", 6),
        FakeTrack(kSubtitle, "en", "ASS"), FakeTrack(kSubtitle, "de", "SubRip"),
        FakeTrack(kSubtitle, "fr", "PGS", 0, kTrackNoDecoder)};
    FakeMediaFramework media;
};

// The menus list every track on every open, written out by hand; a menu
// choice switches what plays and moves the radio mark.
TEST_F(TrackFrameTest, MenusListEveryTrackOfEachClip) {
    std::ofstream(testing::TempDir() + "five.srt") << "1\n00:00:00,000 --> 00:01:00,000\nfile\n";
    CMainFrame& f = StartWithClip("five.mkv", kFive);
    QMenu* view = f.menuBar()->actions().at(3)->menu();
    emit view->aboutToShow();
    EXPECT_EQ(
        Items(f.SubtitleTrackMenu()),
        QStringList({"Off", "five.srt *", "Track 1: English (ASS)", "Track 2: Deutsch (SubRip)",
                     "Track 3: Français (PGS) (no decoder) (inactive)"}));
    EXPECT_EQ(Items(f.AudioTrackMenu()),
              QStringList({"Track 1: English (AAC, stereo) *", "Track 2: Deutsch (AC-3, 5.1)"}));
    f.AudioTrackMenu()->actions().at(1)->trigger();
    f.SubtitleTrackMenu()->actions().at(3)->trigger();
    StreamInfo second;
    f.Record().pSS->Info(1, &second);
    EXPECT_TRUE(second.enabled) << "the German audio plays";
    EXPECT_EQ(Drawn(f.Record()), "cue of track 3");
    EXPECT_EQ(Items(f.AudioTrackMenu()).join('|'),
              "Track 1: English (AAC, stereo)|Track 2: Deutsch (AC-3, 5.1) *");
    EXPECT_EQ(Note(f.Record()), "Subtitles: 3/4 Deutsch (SubRip)");

    // The next clip: 30 subtitle tracks, no audio, no file.
    std::vector<StreamInfo> thirty(30, FakeTrack(kSubtitle, "pol", "SubRip"));
    media.script.streams = thirty;
    f.Record().ClipPath = testing::TempDir() + "thirty.mkv";
    f.Record().OpenClip();
    emit view->aboutToShow();
    const QStringList items = Items(f.SubtitleTrackMenu());
    ASSERT_EQ(items.size(), 31);
    EXPECT_EQ(items.front() + "|" + items.back(), "Off *|Track 30: Polski (SubRip)");
    EXPECT_TRUE(f.AudioTrackMenu()->isEmpty());
    EXPECT_FALSE(f.AudioTrackMenu()->menuAction()->isEnabled());
    f.Action(ID_SUBTITLE_TRACK_FIRST + 30)->trigger();
    EXPECT_EQ(Drawn(f.Record()), "cue of track 29");
}

// V and B step through what can be chosen, each with its note; a track
// without a decoder is passed over.
// The languages chosen are kept and preferred on the next start's clip.
TEST_F(TrackFrameTest, KeysCycleWithANoteAndTheLanguagesAreKept) {
    std::ofstream(testing::TempDir() + "keys.srt") << "1\n00:00:00,000 --> 00:01:00,000\nfile\n";
    registry.Seed(kSettingsKey, "Volume", platform::REG_DWORD, {100, 0, 0, 0});
    CMainFrame& f = StartWithClip("keys.mkv", kFive);
    PlayerRecord& r = f.Record();
    // Key, the note, the subtitle text drawn.
    const std::tuple<int, std::string, std::string> steps[] = {
        {Qt::Key_V, "Subtitles: 2/4 English (ASS)", "cue of track 2"},
        {Qt::Key_V, "Subtitles: 3/4 Deutsch (SubRip)", "cue of track 3"},
        {Qt::Key_V, "Subtitles: Off", ""},
        {Qt::Key_V, "Subtitles: 1/4 keys.srt", "file"},
        {Qt::Key_V, "Subtitles: 2/4 English (ASS)", "cue of track 2"},
        {Qt::Key_B, "Audio: 2/2 Deutsch (AC-3, 5.1)", "cue of track 2"},
        {Qt::Key_B, "Audio: 1/2 English (AAC, stereo)", "cue of track 2"},
        {Qt::Key_B, "Audio: 2/2 Deutsch (AC-3, 5.1)", "cue of track 2"},
        {Qt::Key_V, "Subtitles: 3/4 Deutsch (SubRip)", "cue of track 3"},
    };
    for (const auto& [key, note, drawn] : steps) {
        Press(f.View(), key);
        EXPECT_EQ(Note(r), note);
        EXPECT_EQ(Drawn(r), drawn) << note;
    }
    EXPECT_EQ(r.ClipPath, testing::TempDir() + "keys.mkv") << "never reopened";
    // (The keys on a paused clip, their note drawn into the still picture, are
    // media_matrix_e2e_test's.)
    f.close();
    for (const char* name : {"AudioLanguage", "SubtitleLanguage"}) {
        const auto stored = registry.Value(kSettingsKey, name);
        ASSERT_TRUE(stored) << name;
        EXPECT_EQ(stored->type, platform::REG_SZ) << name;
        EXPECT_EQ(std::string(stored->data.begin(), stored->data.end()), std::string("de", 3))
            << name;
    }
    CMainFrame& next = StartWithClip("other.mkv", kFive);
    EXPECT_EQ(Drawn(next.Record()), "cue of track 3");
    StreamInfo german;
    next.Record().pSS->Info(1, &german);
    EXPECT_TRUE(german.enabled) << "the German audio plays";
}

// "Off" hides a script file beside the clip as it hides a text file; V
// brings it back.
TEST_F(TrackFrameTest, OffHidesAScriptFile) {
    std::ofstream(testing::TempDir() + "styled.ass")
        << "[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, Start, End, Style, "
           "Text\nDialogue: 0,0:00:01.00,0:00:02.00,Default,styled\n";
    CMainFrame& f = StartWithClip("styled.mkv", {FakeTrack(kSubtitle, "en", "SubRip")});
    MixerShared& m = f.Record().Mixer;
    // Key, the note, then whether the script is drawn.
    const std::tuple<int, std::string, bool> steps[] = {
        {0, "", true},
        {Qt::Key_V, "Subtitles: 2/2 English (SubRip)", false},
        {Qt::Key_V, "Subtitles: Off", false},
        {Qt::Key_V, "Subtitles: 1/2 styled.ass", true},
        {Qt::Key_V, "Subtitles: 2/2 English (SubRip)", false},
    };
    for (const auto& [key, note, drawn] : steps) {
        if (key != 0)
            Press(f.View(), key);
        EXPECT_EQ(Note(f.Record()), note);
        EXPECT_EQ(m.SubtitleSource == 1 && m.Ass.Loaded(), drawn) << note;
    }
    f.OnCommand(ID_SUBTITLE_TRACK_FIRST);
    EXPECT_EQ(Note(f.Record()) + Drawn(f.Record()), "Subtitles: Off");
    EXPECT_FALSE(m.SubtitleSource == 1 && m.Ass.Loaded()) << "after the clip's track, Off";
}

// The main frame as start-up makes it, then playing a 60 s clip of the given
// size.
class Frame : public frame_test::TestFrame {
  public:
    Frame(long width, long height, int keepWindowSize = 0) : f(&Start()) {
        auto fake = std::make_unique<platform::FakeScreenSaver>();
        saver = fake.get();
        view->UseScreenSaver(std::move(fake));
        record.UseMediaFramework(&media);
        QTest::qWait(30);
        before = view->size();
        media.script.nativeWidth = width;
        media.script.nativeHeight = height;
        record.KeepWindowSize = keepWindowSize;
        record.ClipPath = "/clips/a.mp4";
        record.OpenClip();
        QTest::qWait(30);
    }
    ~Frame() {
        record.CloseClip();
        frame.reset();  // before the framework
    }
    // Full screen on or off, with the window system's answer.
    void ToggleFullScreen() {
        view->ToggleFullScreen();
        QTest::qWait(30);
    }

    CMainFrame* f;
    FakeMediaFramework media;
    PlayerRecord& record = f->Record();
    CTavimoView* view = f->View();
    CSliders* sliders = f->Sliders();
    platform::FakeScreenSaver* saver = nullptr;
    QSize before;
};

QRect PictureOf(const Frame& frame) {
    return frame.view->Surface()->isVisible() ? frame.view->Surface()->geometry() : QRect();
}

// The frame keeps its size when asked to (fitting it to the clip is
// view_e2e_test's); the picture fills the view as it changes, the position
// timer runs while the clip does; no picture, nothing shows through: after
// closing, and for an audio-only clip after a video clip.
TEST(TavimoViewTest, PictureFollowsTheViewAndTheTimerTheClip) {
    Frame frame(320, 240), kept(640, 480, 1);
    ASSERT_EQ(frame.record.ClipState, ClipState::Running);
    EXPECT_EQ(kept.view->size(), kept.before);
    ASSERT_TRUE(frame.view->PositionTimerActive());
    frame.record.SeekTo(123000000);
    frame.f->resize(700, 500);
    QTest::qWait(250);
    EXPECT_EQ(frame.sliders->SeekBar()->CurrentSeconds(), 12);
    const int tallest = frame.f->screen()->virtualSize().height();
    for (int i = 0; i < 100; ++i)  // the taller key held down
        frame.f->OnCommand(ID_STRETCH_TALLER);
    EXPECT_LE(frame.f->height(), tallest) << "no taller than the desktop";
    EXPECT_GT(frame.f->height(), tallest - 20);
    frame.f->resize(700, 500);
    QTest::qWait(30);
    QWidget* surface = frame.view->Surface();
    const QRect full = frame.view->rect();
    EXPECT_TRUE(surface->isVisible());
    EXPECT_EQ(surface->geometry(), full);
    frame.view->StretchVideo(-10, -5);
    EXPECT_EQ(surface->geometry(), full.adjusted(10, 5, -10, -5));
    frame.view->StretchVideo(-1000, -1000);  // no picture left: refused
    EXPECT_TRUE(surface->isVisible());
    EXPECT_EQ(surface->geometry(), full.adjusted(10, 5, -10, -5));
    frame.view->StretchVideo(full.width(), 0);  // past twice the view's width: refused
    EXPECT_EQ(surface->geometry(), full.adjusted(10, 5, -10, -5));
    frame.view->StretchVideo(full.width() / 2, full.height() / 2);  // twice, about: taken
    EXPECT_EQ(surface->geometry(), full.adjusted(10 - full.width() / 2, 5 - full.height() / 2,
                                                 full.width() / 2 - 10, full.height() / 2 - 5));
    frame.record.FullScreen = true;
    frame.view->ResetVideoSize();
    EXPECT_EQ(surface->geometry(), full);
    frame.record.StopClip();
    EXPECT_FALSE(frame.view->PositionTimerActive());
    frame.record.CloseClip();
    EXPECT_FALSE(surface->isVisible()) << "closed";
    frame.f->resize(600, 400);
    QTest::qWait(30);
    EXPECT_NE(surface->geometry(), frame.view->rect());  // no graph: left alone
    frame.record.FullScreen = false;
    frame.record.OpenClip();
    QTest::qWait(30);
    ASSERT_TRUE(surface->isVisible());
    frame.media.script.hasVideo = false;
    frame.record.OpenClip();
    QTest::qWait(30);
    EXPECT_EQ(frame.record.ClipState, ClipState::Running);
    EXPECT_FALSE(surface->isVisible()) << "audio only";
}

// Full screen holds the screen saver off and hides the bands; leaving gives
// all of it back, zoom included, and so does closing the window in full
// screen. (The chosen mode, the picture filling the screen and a maximised
// frame given back are view_e2e_test's, through the real program.)
TEST(TavimoViewTest, FullScreenAndBack) {
    Frame frame(320, 240);
    frame.f->showMaximized();
    QTest::qWait(30);
    const QRect screen = frame.f->screen()->geometry();
    frame.record.ResolutionIndex = 2;
    frame.ToggleFullScreen();
    EXPECT_TRUE(frame.record.FullScreen);
    EXPECT_TRUE(frame.f->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frame.view->HoldsScreenAwake());
    EXPECT_TRUE(frame.saver->suspended);
    frame.view->StretchVideo(-100, -50);  // the wheel zooms out
    frame.record.ResolutionIndex = 0;     // "Default" chosen meanwhile
    frame.ToggleFullScreen();
    EXPECT_FALSE(frame.record.FullScreen);
    EXPECT_FALSE(frame.f->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(frame.view->HoldsScreenAwake());
    EXPECT_FALSE(frame.saver->suspended);
    EXPECT_TRUE(frame.sliders->isVisible()) << "the bands are back";

    frame.ToggleFullScreen();  // in the current mode, with the last zoom
    EXPECT_EQ(frame.f->geometry(), screen);
    EXPECT_EQ(PictureOf(frame), QRect(QPoint(0, 0), screen.size()).adjusted(100, 50, -100, -50));
    frame.record.CloseClip();  // as a failed open does
    frame.view->ToggleFullScreen();
    EXPECT_FALSE(frame.record.FullScreen) << "closed in full screen: leaving still works";
    frame.view->ToggleFullScreen();
    EXPECT_FALSE(frame.record.FullScreen) << "no clip: no full screen";
    frame.record.OpenClip();
    frame.f->OnCommand(ID_RESOLUTION_DEFAULT + 1);
    frame.ToggleFullScreen();
    EXPECT_EQ(PictureOf(frame), QRect(QPoint(0, 0), screen.size())) << "a new clip fills again";
    EXPECT_EQ(frame.modes.current, 1);
    // A band toggled in full screen stays hidden there; closing the window
    // leaves full screen first, giving the mode and the screen saver back.
    frame.f->OnCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(frame.f->ToolBar()->isVisible());
    EXPECT_FALSE(frame.f->menuBar()->isVisible());
    frame.f->close();
    EXPECT_FALSE(frame.record.FullScreen);
    EXPECT_EQ(frame.modes.current, 0) << "the start's mode is back";
    EXPECT_FALSE(frame.saver->suspended);
}

// In full screen a movement lends the seek bar to the view (where it shows is
// view_e2e_test's), and leaving takes it back; a context menu keeps it. A click at three quarters
// of the bar seeks there; Shift or no clip does not.
TEST(TavimoViewTest, SeekBarAndContextMenu) {
    Frame frame(320, 240);
    frame.view->MouseMoved(QPoint(5, 5));
    EXPECT_EQ(frame.sliders->BorrowedBy(), nullptr) << "in a window the bar stays in its band";
    EXPECT_FALSE(frame.view->HideTimerActive());
    frame.ToggleFullScreen();
    frame.view->MouseMoved(QPoint(30, 40));
    ASSERT_EQ(frame.sliders->BorrowedBy(), frame.view);
    frame.view->ToggleFullScreen();
    EXPECT_EQ(frame.sliders->BorrowedBy(), nullptr) << "leaving takes the bar back";
    // The context menu keeps the full-screen bar and cursor while it is up;
    // once it has gone they hide again on their own.
    frame.ToggleFullScreen();
    frame.view->MouseMoved(QPoint(40, 50));
    ASSERT_EQ(frame.sliders->BorrowedBy(), frame.view);
    bool menuUp = false, timerWhileUp = true;
    QTimer::singleShot(300, [&] {
        timerWhileUp = frame.view->HideTimerActive();
        if (QWidget* menu = QApplication::activePopupWidget()) {
            menuUp = true;
            menu->close();
        }
    });
    frame.view->ShowContextMenu(frame.view->mapToGlobal(QPoint(50, 50)));
    ASSERT_TRUE(menuUp);
    EXPECT_FALSE(timerWhileUp) << "the bar stays while the menu is up";
    EXPECT_EQ(frame.sliders->BorrowedBy(), frame.view);
    QTest::qWait(3400);
    EXPECT_EQ(frame.sliders->BorrowedBy(), nullptr) << "the bar hid after the menu";
    EXPECT_EQ(frame.view->cursor().shape(), Qt::BlankCursor);
    frame.view->ToggleFullScreen();

    CSlider* bar = frame.sliders->SeekBar();
    const QRect client = bar->ClientRect();
    const QPoint threeQuarters(client.left() + client.width() * 3 / 4, 5);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::ShiftModifier, threeQuarters);
    EXPECT_EQ(frame_test::Position(frame.record), 0) << "Shift held";
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, threeQuarters);
    ASSERT_NEAR(bar->CurrentSeconds(), 45, 1);
    frame.record.CloseClip();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(client.left() + 10, 5));
    EXPECT_NEAR(bar->CurrentSeconds(), 45, 1) << "no clip: the bar does not move";
}

}  // namespace
}  // namespace tavimo
