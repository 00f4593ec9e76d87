// The engine's picture on a real X server: the probed sink draws the clip into
// the view's native surface, and nothing else appears on the screen. Starts
// its own Xvfb on display :72 (or TAVIMO_XVFB_DISPLAY) and ends it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QScreen>
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

namespace tavimo {
namespace {

class Frame : public QMainWindow, public PlayerHost {
  public:
    Frame() {
        view = new CTavimoView(this);
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
    CTavimoView* view;
};

void Spin(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(EngineX11Test, ClipIsDrawnIntoTheView) {
    const std::string clip = std::filesystem::temp_directory_path() / "tavimo-x11-test.mp4";
    const std::string make =
        "gst-launch-1.0 -q videotestsrc num-buffers=75 pattern=smpte ! "
        "video/x-raw,width=320,height=240,framerate=25/1 ! x264enc speed-preset=ultrafast ! "
        "h264parse ! mp4mux ! filesink location=" +
        clip + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    Frame frame;
    Spin(200);
    frame.record.ClipPath = clip;
    frame.record.OpenClip();
    ASSERT_EQ(frame.record.ClipState, ClipState::Running)
        << testing::PrintToString(frame.dialogs.calls.size());
    Spin(800);
    EXPECT_EQ(frame.view->size(), QSize(320, 240));
    // Xvfb has no XVideo and draws OpenGL in software: the plain X sink, with
    // the scaler in front of it.
    GstElement* vmr = gst_bin_get_by_name(GST_BIN(GstPipelineOf(frame.record.pGB.get())),
                                          "Video Mixing Renderer 9");
    ASSERT_NE(vmr, nullptr);
    std::vector<std::string> factories;
    GstIterator* it = gst_bin_iterate_elements(GST_BIN(vmr));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        factories.push_back(
            GST_OBJECT_NAME(gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)))));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    gst_object_unref(vmr);
    std::sort(factories.begin(), factories.end());
    EXPECT_EQ(factories, (std::vector<std::string>{"capsfilter", "videoscale", "ximagesink"}));
    QImage shot = QApplication::primaryScreen()
                      ->grabWindow(frame.view->Surface()->winId())
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    // SMPTE bars: the top-left bar is light grey, the second yellow.
    QColor first = shot.pixelColor(shot.width() / 14, shot.height() / 4);
    QColor second = shot.pixelColor(3 * shot.width() / 14, shot.height() / 4);
    EXPECT_GT(first.value(), 150) << first.name().toStdString();
    EXPECT_GT(second.red(), 150) << second.name().toStdString();
    EXPECT_LT(second.blue(), 100) << second.name().toStdString();
    std::filesystem::remove(clip);
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // TAVIMO_XVFB_DISPLAY moves the server off :72 when that one is taken.
    const char* number = std::getenv("TAVIMO_XVFB_DISPLAY");
    const std::string display = std::string(":") + (number ? number : "72");
    const std::string socket = "/tmp/.X11-unix/X" + display.substr(1);
    pid_t xvfb = fork();
    if (xvfb == 0) {
        execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    for (int i = 0; i < 50 && !std::filesystem::exists(socket); ++i)
        usleep(100000);
    int rc;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    return rc;
}
