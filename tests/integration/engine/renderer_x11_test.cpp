// The video renderer on a real X server with ximagesink, the sink that cannot
// scale: its picture resized again and again while the clip plays, as the
// stretch keys and a resized window do, keeps playing and ends at the last
// size asked for.
#include <gst/gst.h>
#include <gst/video/videooverlay.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "support/ximage_player.h"
#include "x_session.h"

namespace tavimo {
namespace {

// A native window for the picture, and the record playing into it.
class Player : public test::XImagePlayer {
  public:
    Player() : XImagePlayer(QSize(640, 360)) {}

    int64_t Position() {
        REFERENCE_TIME at = -1;
        record.pMS->GetCurrentPosition(&at);
        return at;
    }
    // The raw format reaching the sink pad of the pipeline's element `name`.
    std::string PadFormat(const char* name) {
        GstElement* element = gst_bin_get_by_name(GST_BIN(GstPipelineOf(record.pGB.get())), name);
        GstPad* pad = element ? gst_element_get_static_pad(element, "sink") : nullptr;
        GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
        const char* format =
            caps ? gst_structure_get_string(gst_caps_get_structure(caps, 0), "format") : nullptr;
        std::string result = format ? format : "";
        if (caps)
            gst_caps_unref(caps);
        if (pad)
            gst_object_unref(pad);
        if (element)
            gst_object_unref(element);
        return result;
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

    std::atomic<int> allocations_{0};
    bool counting_ = false;
};

TEST(RendererX11, ResizedOverAndOverWhilePlayingItKeepsPlaying) {
    QTemporaryDir dir;
    const std::string clip = dir.filePath("clip.mp4").toStdString();
    ASSERT_TRUE(
        e2e::MakeClip("videotestsrc num-buffers=500 ! "
                      "video/x-raw,format=I420_10LE,width=640,height=360,framerate=25/1 ! "
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

// One colour, 0xC08040, written in Y'CbCr by hand for each matrix, range and
// depth into a lossless clip that says which it is: on screen each is that
// colour. The mixer draws in the decoder's 8-bit format, before the
// display's conversion to RGB.
TEST(RendererX11, EachMatrixAndRangeShowsTheClipsColourOnScreen) {
    const struct {
        const char* name;
        const char* colorspace;  // ffmpeg's names
        const char* range;
        const char* format;
        int y, cb, cr;
    } clips[] = {{"BT.601 limited", "smpte170m", "tv", "yuv420p", 136, 90, 161},
                 {"BT.709 full", "bt709", "pc", "yuv420p", 137, 89, 163},
                 {"BT.2020 limited 10-bit", "bt2020nc", "tv", "yuv420p10le", 548, 368, 633}};
    QTemporaryDir dir;
    for (const auto& row : clips) {
        const std::string raw = dir.filePath("frame.yuv").toStdString();
        const std::string clip = dir.filePath(QString(row.colorspace) + ".mkv").toStdString();
        const bool deep = std::string(row.format).find("10") != std::string::npos;
        std::vector<uint16_t> frame;
        frame.insert(frame.end(), 320 * 240, uint16_t(row.y));
        frame.insert(frame.end(), 160 * 120, uint16_t(row.cb));
        frame.insert(frame.end(), 160 * 120, uint16_t(row.cr));
        {
            std::ofstream out(raw, std::ios::binary);
            for (uint16_t v : frame) {
                out.put(char(v & 0xff));
                if (deep)
                    out.put(char(v >> 8));
            }
        }
        const std::string make = std::string("ffmpeg -loglevel error -y -f rawvideo -pix_fmt ") +
                                 row.format + " -s 320x240 -r 25 -stream_loop 199 -i " + raw +
                                 " -frames:v 200 -c:v libx264 -qp 0 " + "-colorspace " +
                                 row.colorspace + " -color_range " + row.range + " " + clip;
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        Player player;
        player.record.ClipPath = clip;
        player.record.OpenClip();
        ASSERT_EQ(player.record.ClipState, ClipState::Running) << row.name;
        QTest::qWait(600);
        const QImage shot =
            QGuiApplication::primaryScreen()->grabWindow(player.surface.winId()).toImage();
        const QColor centre = shot.pixelColor(shot.width() / 2, shot.height() / 2);
        EXPECT_NEAR(centre.red(), 0xC0, 3) << row.name;
        EXPECT_NEAR(centre.green(), 0x80, 3) << row.name;
        EXPECT_NEAR(centre.blue(), 0x40, 3) << row.name;
        EXPECT_EQ(player.PadFormat("Tavimo Subtitle Mixer"), "I420") << row.name;
    }
}

// Before the view is laid out its surface has a placeholder's size, which
// ximagesink prefers: the first frames of a 10-bit clip still reach the sink
// at the clip's own size (the converters, the one taking the depth off in
// front of the mixer too, keep it), and the view placing the picture at that
// size changes nothing, so nothing is negotiated again as playback starts.
TEST(RendererX11, TheFirstFrameKeepsTheClipsSizeBeforeTheViewIsLaidOut) {
    QTemporaryDir dir;
    const std::string clip = dir.filePath("clip.mp4").toStdString();
    ASSERT_TRUE(
        e2e::MakeClip("videotestsrc num-buffers=100 ! "
                      "video/x-raw,format=I420_10LE,width=640,height=360,framerate=25/1 ! "
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
