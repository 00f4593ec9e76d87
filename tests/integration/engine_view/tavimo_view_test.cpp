// The view places the picture, fits the frame to the video, runs the position
// timer, seeks from the seek bar and goes full screen: in the main frame
// offscreen, driven by the player record on the scripted framework, with
// fakes of the display and the screen saver.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "../frame/frame_test_util.h"
#include "resources/command_ids.h"
#include "support/fake_media.h"
#include "support/fake_screen_saver.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

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

// The frame fits the clip's size unless kept; the picture fills the view as
// it changes, the position timer runs while the clip does; no picture, nothing
// shows through: after closing, and for an audio-only clip after a video clip.
TEST(TavimoViewTest, PictureFollowsTheViewAndTheTimerTheClip) {
    Frame frame(320, 240), kept(640, 480, 1);
    ASSERT_EQ(frame.record.ClipState, ClipState::Running);
    EXPECT_EQ(frame.view->size(), QSize(320, 240));  // the tool bar is not the picture's
    EXPECT_EQ(kept.view->size(), kept.before);
    ASSERT_TRUE(frame.view->PositionTimerActive());
    frame.record.SeekTo(123000000);
    frame.f->resize(700, 500);
    QTest::qWait(250);
    EXPECT_EQ(frame.sliders->SeekBar()->CurrentSeconds(), 12);
    QWidget* surface = frame.view->Surface();
    const QRect full = frame.view->rect();
    EXPECT_TRUE(surface->isVisible());
    EXPECT_EQ(surface->geometry(), full);
    frame.view->StretchVideo(-10, -5);
    EXPECT_EQ(surface->geometry(), full.adjusted(10, 5, -10, -5));
    frame.view->StretchVideo(-1000, -1000);  // no picture left: refused
    EXPECT_TRUE(surface->isVisible());
    EXPECT_EQ(surface->geometry(), full.adjusted(10, 5, -10, -5));
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

// Full screen covers the screen in the chosen mode, holds the screen saver
// off and hides the bands; leaving gives all of it back, maximised state and
// zoom included, and so does closing the window in full screen.
TEST(TavimoViewTest, FullScreenAndBack) {
    Frame frame(320, 240);
    frame.f->showMaximized();
    QTest::qWait(30);
    const QRect screen = frame.f->screen()->geometry();
    frame.record.ResolutionIndex = 2;
    frame.view->ToggleFullScreen();
    QTest::qWait(30);
    EXPECT_TRUE(frame.record.FullScreen);
    EXPECT_TRUE(frame.f->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frame.view->HoldsScreenAwake());
    EXPECT_TRUE(frame.saver->suspended);
    EXPECT_EQ(PictureOf(frame), QRect(QPoint(0, 0), screen.size())) << "the picture fills it";
    frame.view->StretchVideo(-100, -50);  // the wheel zooms out
    frame.record.ResolutionIndex = 0;     // "Default" chosen meanwhile
    frame.view->ToggleFullScreen();
    QTest::qWait(30);
    EXPECT_FALSE(frame.record.FullScreen);
    EXPECT_EQ(frame.modes.current, 0) << "the start's mode is back";
    EXPECT_TRUE(frame.f->isMaximized());
    EXPECT_FALSE(frame.f->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(frame.view->HoldsScreenAwake());
    EXPECT_FALSE(frame.saver->suspended);
    EXPECT_TRUE(frame.sliders->isVisible()) << "the bands are back";

    frame.view->ToggleFullScreen();  // in the current mode, with the last zoom
    QTest::qWait(30);
    EXPECT_EQ(frame.f->geometry(), screen);
    EXPECT_EQ(PictureOf(frame), QRect(QPoint(0, 0), screen.size()).adjusted(100, 50, -100, -50));
    frame.record.CloseClip();  // as a failed open does
    frame.view->ToggleFullScreen();
    EXPECT_FALSE(frame.record.FullScreen) << "closed in full screen: leaving still works";
    frame.view->ToggleFullScreen();
    EXPECT_FALSE(frame.record.FullScreen) << "no clip: no full screen";
    frame.record.OpenClip();
    frame.f->OnCommand(ID_RESOLUTION_DEFAULT + 1);
    frame.view->ToggleFullScreen();
    QTest::qWait(30);
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

// In full screen a movement shows the seek bar across the top. A click at
// three quarters of the bar seeks there; Shift or no clip does not.
TEST(TavimoViewTest, SeekBar) {
    Frame frame(320, 240);
    frame.view->MouseMoved(QPoint(5, 5));
    EXPECT_EQ(frame.sliders->BorrowedBy(), nullptr) << "in a window the bar stays in its band";
    EXPECT_FALSE(frame.view->HideTimerActive());
    frame.view->ToggleFullScreen();
    QTest::qWait(30);
    frame.view->MouseMoved(QPoint(30, 40));
    ASSERT_EQ(frame.sliders->BorrowedBy(), frame.view);
    EXPECT_EQ(frame.sliders->Dialog()->geometry(), QRect(0, 0, frame.view->width(), 20));
    frame.view->ToggleFullScreen();
    EXPECT_EQ(frame.sliders->BorrowedBy(), nullptr) << "leaving takes the bar back";

    CSlider* bar = frame.sliders->SeekBar();
    const QRect client = bar->ClientRect();
    const QPoint threeQuarters(client.left() + client.width() * 3 / 4, 5);
    const auto position = [&] {
        REFERENCE_TIME at = -1;
        frame.record.pMS->GetCurrentPosition(&at);
        return at;
    };
    QTest::mouseClick(bar, Qt::LeftButton, Qt::ShiftModifier, threeQuarters);
    EXPECT_EQ(position(), 0) << "Shift held";
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, threeQuarters);
    ASSERT_NEAR(bar->CurrentSeconds(), 45, 1);
    frame.record.CloseClip();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(client.left() + 10, 5));
    EXPECT_NEAR(bar->CurrentSeconds(), 45, 1) << "no clip: the bar does not move";
}

// The context menu keeps the full-screen bar and cursor while it is up; once
// it has gone they hide again on their own.
TEST(TavimoViewTest, ContextMenuInFullScreen) {
    Frame frame(320, 240);
    frame.view->ToggleFullScreen();
    QTest::qWait(30);
    frame.view->MouseMoved(QPoint(30, 40));
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
}

}  // namespace
}  // namespace tavimo
