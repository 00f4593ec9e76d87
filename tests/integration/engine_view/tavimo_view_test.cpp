// The view places the picture, fits the frame to the video and runs the
// position timer; driven by the player record on the scripted framework.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QToolBar>

#include "engine/media/fake_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "platform/fake_dialogs.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

class Frame : public QMainWindow, public PlayerHost {
  public:
    Frame() {
        addToolBar("band")->addAction("x");
        view = new CTavimoView(this);
        setCentralWidget(view);
        view->SetRecord(&record);
        record.UseMediaFramework(&media);
        resize(400, 300);
        show();
        Settle();
    }
    ~Frame() override { record.CloseClip(); }

    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    VideoWindow* VideoSurface() override { return view; }
    void FitFrameToVideo() override { view->FitFrameToVideo(); }
    void StartPositionTimer() override { view->StartPositionTimer(); }
    void StopPositionTimer() override { view->StopPositionTimer(); }
    void SetSeekPosition(int32_t, int64_t seconds) override { currentSeconds = seconds; }

    static void Settle(int ms = 30) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    bool Open(long width, long height) {
        media.script.nativeWidth = width;
        media.script.nativeHeight = height;
        record.ClipPath = "/clips/a.mp4";
        record.OpenClip();
        Settle();
        return record.ClipState == ClipState::Running;
    }

    platform::ScriptedDialogs dialogs;
    FakeMediaFramework media;
    PlayerRecord record{*this};
    CTavimoView* view;
    int64_t currentSeconds = -1;
};

TEST(TavimoViewTest, FitsTheFrameToTheNativeSize) {
    struct Row {
        const char* name;
        int keepWindowSize;
        long width, height;
        QSize view;  // expected; empty: unchanged
    } rows[] = {
        {"vga", 0, 640, 480, QSize(640, 480)},
        {"wide", 0, 854, 360, QSize(854, 360)},
        {"kept", 1, 640, 480, QSize()},
    };
    for (const Row& row : rows) {
        Frame frame;
        const QSize before = frame.view->size();
        frame.record.KeepWindowSize = row.keepWindowSize;
        ASSERT_TRUE(frame.Open(row.width, row.height)) << row.name;
        EXPECT_EQ(frame.view->size(), row.view.isEmpty() ? before : row.view) << row.name;
    }
}

TEST(TavimoViewTest, PictureFollowsTheViewSize) {
    Frame frame;
    ASSERT_TRUE(frame.Open(320, 240));
    frame.resize(700, 500);
    Frame::Settle();
    EXPECT_TRUE(frame.view->Surface()->isVisible());
    EXPECT_EQ(frame.view->Surface()->geometry(), frame.view->rect());
    frame.record.CloseClip();
    frame.resize(600, 400);
    Frame::Settle();
    EXPECT_NE(frame.view->Surface()->geometry(), frame.view->rect());  // no graph: left alone
}

TEST(TavimoViewTest, StretchRefusesAnEmptyPicture) {
    Frame frame;
    ASSERT_TRUE(frame.Open(320, 240));
    const QRect full = frame.view->rect();
    frame.view->StretchVideo(-10, -5);
    EXPECT_EQ(frame.view->Surface()->geometry(), full.adjusted(10, 5, -10, -5));
    frame.view->StretchVideo(-1000, -1000);
    EXPECT_EQ(frame.view->Surface()->geometry(), full.adjusted(10, 5, -10, -5));
    frame.record.FullScreen = true;
    frame.view->ResetVideoSize();
    EXPECT_EQ(frame.view->Surface()->geometry(), full);
}

TEST(TavimoViewTest, PositionTimerFeedsTheSeekBarUntilStop) {
    Frame frame;
    ASSERT_TRUE(frame.Open(320, 240));
    EXPECT_TRUE(frame.view->PositionTimerActive());
    frame.record.SeekTo(123000000);
    Frame::Settle(250);
    EXPECT_EQ(frame.currentSeconds, 12);
    frame.record.StopClip();
    EXPECT_FALSE(frame.view->PositionTimerActive());
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
