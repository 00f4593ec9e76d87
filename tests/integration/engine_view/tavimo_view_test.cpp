// The view places the picture, fits the frame to the video and runs the
// position timer; driven by the player record on the scripted framework.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QTest>
#include <QToolBar>

#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "support/fake_media.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

// A main window with a tool bar around the view, playing a 640 x 480 clip.
class Frame : public QMainWindow, public PlayerHost {
  public:
    explicit Frame(int keepWindowSize = 0) {
        addToolBar("band")->addAction("x");
        setCentralWidget(view);
        view->SetRecord(&record);
        record.UseMediaFramework(&media);
        resize(400, 300);
        show();
        QTest::qWait(30);
        before = view->size();
        record.KeepWindowSize = keepWindowSize;
        record.ClipPath = "/clips/a.mp4";
        record.OpenClip();
        QTest::qWait(30);
    }
    ~Frame() override { record.CloseClip(); }

    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    VideoWindow* VideoSurface() override { return view; }
    void FitFrameToVideo() override { view->FitFrameToVideo(); }
    void StartPositionTimer() override { view->StartPositionTimer(); }
    void StopPositionTimer() override { view->StopPositionTimer(); }
    void SetSeekPosition(int32_t, int64_t seconds) override { currentSeconds = seconds; }

    platform::ScriptedDialogs dialogs;
    FakeMediaFramework media;
    PlayerRecord record{*this};
    CTavimoView* view = new CTavimoView(this);
    QSize before;
    int64_t currentSeconds = -1;
};

// The frame fits the clip unless told to keep its size; the picture fills the
// view as it changes; the position timer runs while the clip does.
TEST(TavimoViewTest, FrameFitsAndPictureFollowsTheView) {
    Frame frame, kept(1);
    EXPECT_EQ(frame.view->size(), QSize(640, 480));  // the tool bar is not the picture's
    EXPECT_EQ(kept.view->size(), kept.before);
    ASSERT_TRUE(frame.view->PositionTimerActive());
    frame.record.SeekTo(123000000);
    frame.resize(700, 500);
    QTest::qWait(250);
    EXPECT_EQ(frame.currentSeconds, 12);
    QWidget* surface = frame.view->Surface();
    const QRect full = frame.view->rect();
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
    frame.resize(600, 400);
    QTest::qWait(30);
    EXPECT_NE(surface->geometry(), frame.view->rect());  // no graph: left alone
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
