// The video renderer on a real X server with ximagesink, the sink that cannot
// scale: its picture resized again and again while the clip plays, as the
// stretch keys and a resized window do, keeps playing and ends at the last
// size asked for.
#include <gst/gst.h>
#include <gst/video/videooverlay.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <cstdlib>
#include <memory>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "x_session.h"

namespace tavimo {
namespace {

// A native window for the picture, and the record playing into it.
class Player : public PlayerHost, public VideoWindow {
  public:
    Player() {
        surface.setAttribute(Qt::WA_NativeWindow);
        surface.resize(640, 360);
        surface.show();
        GstMediaOptions options;
        options.videoSink = "ximagesink";
        options.audioSink = "fakesink";
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
    }
    ~Player() override { record.CloseClip(); }

    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    VideoWindow* VideoSurface() override { return this; }
    uintptr_t NativeSurface() override { return surface.winId(); }
    void PlaceSurface(const RECT& rect) override {
        surface.setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    }
    double DevicePixelRatio() override { return 1.0; }

    int64_t Position() {
        REFERENCE_TIME at = -1;
        record.pMS->GetCurrentPosition(&at);
        return at;
    }
    // The size of the frames the sink gets now.
    QSize SinkSize() {
        GstElement* bin = gst_bin_get_by_name(GST_BIN(GstPipelineOf(record.pGB.get())),
                                              "Video Mixing Renderer 9");
        GstElement* sink = gst_bin_get_by_interface(GST_BIN(bin), GST_TYPE_VIDEO_OVERLAY);
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        GstCaps* caps = gst_pad_get_current_caps(pad);
        int w = 0, h = 0;
        if (caps) {
            GstStructure* s = gst_caps_get_structure(caps, 0);
            gst_structure_get_int(s, "width", &w);
            gst_structure_get_int(s, "height", &h);
            gst_caps_unref(caps);
        }
        gst_object_unref(pad);
        gst_object_unref(sink);
        gst_object_unref(bin);
        return QSize(w, h);
    }

    // How many times the frames' allocation was asked of the sink so far
    // (each makes its pool of shared-memory images again).
    int SinkAllocations() {
        if (!counting_) {
            GstElement* bin = gst_bin_get_by_name(GST_BIN(GstPipelineOf(record.pGB.get())),
                                                  "Video Mixing Renderer 9");
            GstElement* sink = gst_bin_get_by_interface(GST_BIN(bin), GST_TYPE_VIDEO_OVERLAY);
            GstPad* pad = gst_element_get_static_pad(sink, "sink");
            gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, CountAllocation,
                              &allocations_, nullptr);
            gst_object_unref(pad);
            gst_object_unref(sink);
            gst_object_unref(bin);
            counting_ = true;
        }
        return allocations_.load();
    }
    static GstPadProbeReturn CountAllocation(GstPad*, GstPadProbeInfo* info, gpointer count) {
        if (GST_QUERY_TYPE(GST_PAD_PROBE_INFO_QUERY(info)) == GST_QUERY_ALLOCATION)
            ++*static_cast<std::atomic<int>*>(count);
        return GST_PAD_PROBE_OK;
    }

    QWidget surface;
    std::atomic<int> allocations_{0};
    bool counting_ = false;
    platform::ScriptedDialogs dialogs;
    std::unique_ptr<MediaFramework> media;
    PlayerRecord record{*this};
};

TEST(RendererX11, ResizedOverAndOverWhilePlayingItKeepsPlaying) {
    QTemporaryDir dir;
    const std::string clip = dir.filePath("clip.mp4").toStdString();
    ASSERT_TRUE(
        e2e::MakeClip("videotestsrc num-buffers=500 ! "
                      "video/x-raw,format=I420,width=640,height=360,framerate=25/1 ! "
                      "x264enc speed-preset=ultrafast ! h264parse ! mp4mux",
                      clip));
    Player player;
    player.record.ClipPath = clip;
    player.record.OpenClip();
    ASSERT_EQ(player.record.ClipState, ClipState::Running);
    // Ten steps narrower and lower, then back, over and over, faster than
    // keys repeat: each step has its chance to fall between two elements.
    RECT last{};
    for (int i = 0; i < 200; ++i) {
        const int step = i % 20 < 10 ? i % 10 : 10 - i % 10;
        last = RECT{0, 0, 640 - 20 * step, 360 - 10 * step};
        player.record.pWC->SetVideoPosition(nullptr, &last);
        QTest::qWait(5);
    }
    const int64_t before = player.Position();
    QTest::qWait(1000);
    EXPECT_GT(player.Position(), before + 5'000'000) << "the clip stopped moving";
    EXPECT_EQ(player.SinkSize(), QSize(last.Width(), last.Height()));
}

// Before the view is laid out its surface has a placeholder's size, which
// ximagesink prefers: the first frames still reach the sink at the clip's own
// size, and the view placing the picture at that size changes nothing, so
// nothing is negotiated again as playback starts.
TEST(RendererX11, TheFirstFrameKeepsTheClipsSizeBeforeTheViewIsLaidOut) {
    QTemporaryDir dir;
    const std::string clip = dir.filePath("clip.mp4").toStdString();
    ASSERT_TRUE(
        e2e::MakeClip("videotestsrc num-buffers=100 ! "
                      "video/x-raw,format=I420,width=640,height=360,framerate=25/1 ! "
                      "x264enc speed-preset=ultrafast ! h264parse ! mp4mux",
                      clip));
    Player player;
    player.surface.resize(100, 30);
    QTest::qWait(50);
    player.record.ClipPath = clip;
    player.record.OpenClip();
    ASSERT_EQ(player.record.ClipState, ClipState::Running);
    EXPECT_EQ(player.SinkSize(), QSize(640, 360));
    // The view laid out: its surface grows to the picture's size, which the
    // sink takes as a reason to negotiate again.
    const int before = player.SinkAllocations();
    player.surface.resize(640, 360);
    QTest::qWait(100);
    RECT view{0, 0, 640, 360};
    player.record.pWC->SetVideoPosition(nullptr, &view);
    QTest::qWait(300);
    EXPECT_EQ(player.SinkSize(), QSize(640, 360));
    EXPECT_EQ(player.SinkAllocations(), before) << "the pools were made again";
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    tavimo::e2e::XServer server;
    if (!server.Running())
        return 77;
    ::setenv("DISPLAY", server.Display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
