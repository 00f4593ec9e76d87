// The engine's picture on a real X server: the probed sink draws the clip into
// the view's native surface, and nothing else appears on the screen. Starts
// its own Xvfb on a free display and ends it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "view/tavimo_view.h"
#include "x_session.h"

namespace tavimo {
namespace {

class Frame : public QMainWindow, public PlayerHost {
  public:
    Frame() {
        setCentralWidget(view);
        view->SetRecord(&record);
        record.UseMediaFramework(media.get());
        resize(400, 300);
        show();
    }
    ~Frame() override { record.CloseClip(); }
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    VideoWindow* VideoSurface() override { return view; }
    void FitFrameToVideo() override { view->FitFrameToVideo(); }
    void PostViewSize() override { view->PlaceVideo(); }

    platform::ScriptedDialogs dialogs;
    std::unique_ptr<MediaFramework> media = NewGstMediaFramework();
    PlayerRecord record{*this};
    CTavimoView* view = new CTavimoView(this);
};

TEST(EngineX11Test, ClipIsDrawnIntoTheView) {
    const std::string clip = std::filesystem::temp_directory_path() / "tavimo-x11-test.mp4";
    const std::string make =
        "gst-launch-1.0 -q videotestsrc num-buffers=75 pattern=smpte ! "
        "video/x-raw,width=320,height=240,framerate=25/1 ! x264enc speed-preset=ultrafast ! "
        "h264parse ! mp4mux ! filesink location=" +
        clip + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    Frame frame;
    QTest::qWait(200);
    frame.record.ClipPath = clip;
    frame.record.OpenClip();
    ASSERT_EQ(frame.record.ClipState, ClipState::Running);
    QTest::qWait(800);
    EXPECT_EQ(frame.view->size(), QSize(320, 240));
    // Xvfb has no XVideo and draws OpenGL in software: the plain X sink, with
    // the scaler in front of it.
    GstElement* vmr = gst_bin_get_by_name(GST_BIN(GstPipelineOf(frame.record.pGB.get())),
                                          "Video Mixing Renderer 9");
    ASSERT_NE(vmr, nullptr);
    std::vector<std::string> factories;
    for (GList* child = GST_BIN_CHILDREN(vmr); child; child = child->next)
        factories.push_back(GST_OBJECT_NAME(gst_element_get_factory(GST_ELEMENT(child->data))));
    gst_object_unref(vmr);
    std::sort(factories.begin(), factories.end());
    EXPECT_EQ(factories, (std::vector<std::string>{"capsfilter", "videoscale", "ximagesink"}));
    QImage shot =
        QApplication::primaryScreen()->grabWindow(frame.view->Surface()->winId()).toImage();
    ASSERT_FALSE(shot.isNull());
    // SMPTE bars: the top-left bar is light grey, the second yellow.
    EXPECT_GT(shot.pixelColor(shot.width() / 14, shot.height() / 4).value(), 150);
    const QColor yellow = shot.pixelColor(3 * shot.width() / 14, shot.height() / 4);
    EXPECT_GT(yellow.red(), 150);
    EXPECT_LT(yellow.blue(), 100);
    std::filesystem::remove(clip);
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    tavimo::e2e::XServer server;
    setenv("DISPLAY", server.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
