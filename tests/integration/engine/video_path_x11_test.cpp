// The video path as a person sees it through ximagesink (the sink that
// cannot scale) on a real X server, with clips made at test time: an extreme
// pixel aspect holds a bounded size, interlaced video is deinterlaced as the
// setting says while progressive video passes untouched, each matrix and
// range shows its colour, and the first frame keeps the clip's size, as does
// the decoder's pool through a picture resized over and over while playing,
// a frame made late by a new size is shown and none after it skipped, and a
// clip whose own picture grows midway is shown whole. Non-square
// pixels and picture subtitles through ximagesink are media_matrix_e2e_test's.
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/deinterlace.h"
#include "support/gst_player.h"
#include "support/gst_tools.h"
#include "x_session.h"

namespace tavimo {
namespace {

using test::Ffmpeg;

// `frames` of videotestsrc's `pattern` in raw `caps` at 25/s, as H.264 in `mux`,
// made into `name` in `dir`; its path, empty when it could not be made.
std::string H264Clip(const QTemporaryDir& dir, const char* name, int frames, const char* caps,
                     const char* mux, const char* pattern = "smpte") {
    const std::string clip = dir.filePath(name).toStdString();
    const bool made =
        e2e::MakeClip("videotestsrc num-buffers=" + std::to_string(frames) + " pattern=" + pattern +
                          " ! video/x-raw,framerate=25/1," + caps +
                          " ! x264enc speed-preset=ultrafast ! h264parse ! " + mux,
                      clip);
    return made ? clip : std::string();
}

// A native top-level window for the picture, as the view's surface: Qt
// never paints over the sink's picture.
class Surface : public test::ScriptedHost, public VideoWindow {
  public:
    Surface() {
        for (auto attribute :
             {Qt::WA_NativeWindow, Qt::WA_NoSystemBackground, Qt::WA_OpaquePaintEvent})
            surface.setAttribute(attribute);
    }
    VideoWindow* VideoSurface() override { return this; }
    uintptr_t NativeSurface() override { return surface.winId(); }
    void PlaceSurface(const RECT& rect) override {
        surface.setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    }
    double DevicePixelRatio() override { return 1.0; }

    QWidget surface;
};

// Counts the allocation queries at a pad (each makes a pool of pictures anew).
GstPadProbeReturn CountAllocation(GstPad*, GstPadProbeInfo* info, gpointer count) {
    if (GST_QUERY_TYPE(GST_PAD_PROBE_INFO_QUERY(info)) == GST_QUERY_ALLOCATION)
        ++*static_cast<std::atomic<int>*>(count);
    return GST_PAD_PROBE_OK;
}

// Counts, at the deinterlacer, the frames that leave it as the very buffers
// that came in, and those it made anew.
struct PassCount {
    std::atomic<GstBuffer*> last{nullptr};
    std::atomic<int> same{0}, made{0};

    static GstPadProbeReturn In(GstPad*, GstPadProbeInfo* info, gpointer data) {
        static_cast<PassCount*>(data)->last = GST_PAD_PROBE_INFO_BUFFER(info);
        return GST_PAD_PROBE_OK;
    }
    static GstPadProbeReturn Out(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<PassCount*>(data);
        ++(GST_PAD_PROBE_INFO_BUFFER(info) == self->last ? self->same : self->made);
        return GST_PAD_PROBE_OK;
    }
    void Watch(GstElement* pipeline) {
        for (GstElement* element : test::ElementsOfClass(pipeline, "Video/Deinterlace")) {
            test::ProbePad(element, "sink", GST_PAD_PROBE_TYPE_BUFFER, In, this);
            test::ProbePad(element, "src", GST_PAD_PROBE_TYPE_BUFFER, Out, this);
        }
    }
};

// Frames the decoder made, by time stamp, against those reaching the
// display's converter: a frame whose memory is not the decoder's any more
// was copied on the way.
struct CopyCount {
    std::mutex lock;
    std::map<GstClockTime, GstMemory*> decoded;
    int frames = 0, copies = 0;

    static GstPadProbeReturn Decoded(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<CopyCount*>(data);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        std::lock_guard hold(self->lock);
        self->decoded[GST_BUFFER_PTS(buffer)] = gst_buffer_peek_memory(buffer, 0);
        return GST_PAD_PROBE_OK;
    }
    static GstPadProbeReturn Shown(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<CopyCount*>(data);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        std::lock_guard hold(self->lock);
        const auto made = self->decoded.find(GST_BUFFER_PTS(buffer));
        if (made != self->decoded.end()) {  // frames decoded before counting began are not
            ++self->frames;
            self->copies += made->second != gst_buffer_peek_memory(buffer, 0);
            self->decoded.erase(made);
        }
        return GST_PAD_PROBE_OK;
    }
};

// The stamps of the frames that reach the sink, and once armed, a pause of
// 150 ms before the first frame of the next new caps (its index in `stamps`
// is `stalled`): what a new pool of shared-memory images costs a slow
// machine at a new size.
struct ResizeStall {
    std::mutex lock;
    std::vector<GstClockTime> stamps;
    int stalled = -1;
    std::atomic<bool> armed{false}, newCaps{false};

    static GstPadProbeReturn Caps(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<ResizeStall*>(data);
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_CAPS && self->armed)
            self->newCaps = true;
        return GST_PAD_PROBE_OK;
    }
    static GstPadProbeReturn Frame(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<ResizeStall*>(data);
        const bool stall = self->newCaps.exchange(false);
        if (stall)
            g_usleep(150'000);
        std::lock_guard hold(self->lock);
        if (stall)
            self->stalled = int(self->stamps.size());
        self->stamps.push_back(GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info)));
        return GST_PAD_PROBE_OK;
    }
    int Count() {
        std::lock_guard hold(lock);
        return int(stamps.size());
    }
    // The stamps from the frame before the stalled one to `after` frames
    // after it; empty until they have all come.
    std::vector<GstClockTime> Around(int after) {
        std::lock_guard hold(lock);
        if (stalled < 1 || int(stamps.size()) <= stalled + after)
            return {};
        return {stamps.begin() + stalled - 1, stamps.begin() + stalled + after + 1};
    }
};

// The record playing into the surface through ximagesink, with sound into
// fakesink; what the probes of a test count outlives the clip.
class VideoPathX11 : public test::GstRecordTest<Surface> {
  protected:
    VideoPathX11() : GstRecordTest(Sinks()) {}
    ~VideoPathX11() override { record.CloseClip(); }
    static GstMediaOptions Sinks() {
        GstMediaOptions options = test::FakeSinks();
        options.videoSink = "ximagesink";
        return options;
    }

    // Opens `clip` on a surface of `size`, failing the test when it does not
    // play. With `place`, lays the picture out over the whole surface, as the
    // view does.
    void Play(const std::string& clip, QSize size, bool place = true) {
        host.surface.setGeometry(0, 0, size.width(), size.height());
        host.surface.show();
        ASSERT_TRUE(Open(clip)) << ::testing::PrintToString(host.Boxes());
        RECT whole{0, 0, size.width(), size.height()};
        if (place)
            record.pWC->SetVideoPosition(nullptr, &whole);
    }
    // Whether playback moves `ms` further within a few seconds: frames shown
    // since, whatever the machine's load.
    bool PlaysOn(int ms) {
        const REFERENCE_TIME start = Position();
        return QTest::qWaitFor([&] { return Position() > start + ms * 10'000; }, 5000);
    }
    // What the surface shows now, as the X server holds it.
    QImage Shot() {
        return QGuiApplication::primaryScreen()
            ->grabWindow(host.surface.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // The caps now at the sink pad of `element` (owned by the caller), null before any.
    static GstCaps* CapsIn(GstElement* element) {
        g_autoptr(GstPad) pad = gst_element_get_static_pad(element, "sink");
        return gst_pad_get_current_caps(pad);
    }
    GstElement* Sink() { return SinkOf("Video Mixing Renderer 9"); }
    // The size of the frames the sink takes now; empty before any.
    QSize SinkSize() {
        g_autoptr(GstCaps) caps = CapsIn(Sink());
        GstVideoInfo info;
        return caps && gst_video_info_from_caps(&info, caps) ? QSize(info.width, info.height)
                                                             : QSize();
    }
    // The raw format reaching the sink pad of the pipeline's element `name`.
    std::string PadFormat(const char* name) {
        g_autoptr(GstElement) element = gst_bin_get_by_name(GST_BIN(Pipeline()), name);
        g_autoptr(GstCaps) caps = CapsIn(element);
        GstVideoInfo info;
        return caps && gst_video_info_from_caps(&info, caps) ? GST_VIDEO_INFO_NAME(&info) : "";
    }
    // How many times the frames' allocation was asked of the sink so far
    // (each makes its pool of shared-memory images again).
    int SinkAllocations() {
        if (!counting_)
            test::ProbePad(Sink(), "sink", GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, CountAllocation,
                           &allocations_);
        counting_ = true;
        return allocations_.load();
    }

    QTemporaryDir dir;
    std::atomic<int> allocations_{0};
    bool counting_ = false;
    // What a test's probes count: the deinterlacers' frames, the frames the
    // decoder made against those shown, the decoder's allocation queries.
    PassCount passes;
    CopyCount copies;
    std::atomic<int> decoderPools{0};
    ResizeStall stall;
};

// A crafted pixel aspect of 20:1 would have the first frame scaled to 14400
// pixels' width before the view is laid out: it is held at most 8192 wide,
// at its display aspect, and plays.
TEST_F(VideoPathX11, AnExtremePixelAspectHoldsABoundedSize) {
    const std::string clip =
        H264Clip(dir, "wide.mkv", 50, "format=I420,width=720,height=576,pixel-aspect-ratio=20/1",
                 "matroskamux");
    ASSERT_FALSE(clip.empty());
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(320, 240), false));
    EXPECT_EQ(SinkSize(), QSize(8192, 327));
    EXPECT_NEAR(record.VideoAspect, 25.0, 0.01);
}

// Combing: the count of pixels, between 10 and 500 rows down, that differ by
// more than 100 from the pixel below them while matching (within 40) the one
// two rows below: the alternate lines of a moving edge woven from two fields.
int CombedPixels(const QImage& shot) {
    auto luma = [&](int x, int y) { return qGray(shot.pixel(x, y)); };
    int count = 0;
    for (int y = 10; y < std::min(500, shot.height() - 2); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const int here = luma(x, y);
            count += std::abs(here - luma(x, y + 1)) > 100 && std::abs(here - luma(x, y + 2)) < 40;
        }
    return count;
}

// An MPEG-2 TS, 720 x 576 at 25 frames of two fields, top field first, of a
// white bar moving 8 pixels a field: each frame holds the bar at two places,
// one in its even lines and one in its odd lines.
std::string MakeInterlacedClip(const QTemporaryDir& dir) {
    const std::string clip = dir.filePath("interlaced.ts").toStdString();
    EXPECT_TRUE(
        Ffmpeg("-f lavfi -i \"color=c=black:s=720x576:r=50 [bg]; "
               "color=c=white:s=100x576:r=50 [bar]; "
               "[bg][bar] overlay=x='mod(t*400\\,600)':y=0 [out0]\" "
               "-t 10 -vf interlace=scan=tff,setsar=1 "
               "-c:v mpeg2video -flags +ilme+ildct -top 1 -b:v 8M -f mpegts " +
               clip));
    return clip;
}

// Deinterlacing as the setting says, switched while a clip plays: Auto (the
// setting a clip opens with) and On leave no combing on the moving bar's
// edges, Off shows the fields woven. At the deinterlacer, frames pass as the
// very buffers that came (progressive video in Auto costs nothing more, and
// interlaced video Off) or are made anew (so the count can tell). A 10-bit
// clip, whose format deinterlace cannot process, plays with no deinterlacer
// even when On. Mended: with On it did not play at all.
TEST_F(VideoPathX11, VideoIsDeinterlacedAsTheSettingSaysAndProgressivePassesUntouched) {
    const std::string interlaced = MakeInterlacedClip(dir);
    const std::string progressive = H264Clip(
        dir, "progressive.mkv", 150, "format=I420,width=720,height=576", "matroskamux", "ball");
    ASSERT_FALSE(progressive.empty());
    const std::string deep = dir.filePath("deep.mkv").toStdString();
    ASSERT_TRUE(
        Ffmpeg("-f lavfi -i testsrc2=s=320x240:r=25:d=6 -c:v ffv1 -pix_fmt yuv420p10le " + deep));
    const struct {
        const char* name;
        const std::string& clip;
        int setting;
        int combed;  // 1 combed, 0 not, -1 not looked at
        int passed;  // frames that leave untouched: 1 all, -1 none, 0 no deinterlacer
    } rows[] = {
        {"interlaced, Auto as opened", interlaced, kDeinterlaceAuto, 0, -1},
        {"interlaced, Off", interlaced, kDeinterlaceOff, 1, 1},
        {"interlaced, On", interlaced, kDeinterlaceOn, 0, -1},
        {"interlaced, Auto again", interlaced, kDeinterlaceAuto, 0, -1},
        {"progressive, Auto", progressive, kDeinterlaceAuto, -1, 1},
        {"10-bit, On", deep, kDeinterlaceOn, -1, 0},
    };
    PassCount& count = passes;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (record.ClipPath == row.clip) {
            record.SetDeinterlace(row.setting);
        } else {
            record.CloseClip();
            record.Deinterlace = row.setting;
            ASSERT_NO_FATAL_FAILURE(Play(row.clip, QSize(720, 576)));
            count.Watch(Pipeline());
        }
        record.Mixer.Note.Set({});  // the note would count as edges
        // A switch reaches the deinterlacer with the next frames, late on a
        // loaded machine: look once a few have left it the new way.
        if (row.passed != 0) {
            count.same = 0;
            count.made = 0;
            const std::atomic<int>& newWay = row.passed > 0 ? count.same : count.made;
            EXPECT_TRUE(QTest::qWaitFor([&] { return newWay >= 5; }, 8000));
        }
        ASSERT_TRUE(PlaysOn(400));
        count.same = 0;
        count.made = 0;
        // Three moments of play; every one of them combed, or none.
        for (int i = 0; row.combed >= 0 && i < 3; ++i) {
            const int combed = CombedPixels(Shot());
            if (row.combed)
                EXPECT_GT(combed, 2000);
            else
                EXPECT_LT(combed, 200);
            ASSERT_TRUE(PlaysOn(120));
        }
        // deinterlace drops frames it would deliver late: on a loaded machine
        // a second of play may bring only a few through it.
        if (row.passed != 0) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return count.same + count.made > 20; }, 8000));
        }
        EXPECT_TRUE(PlaysOn(500)) << "the clip plays";
        const int same = count.same, made = count.made;
        if (row.passed > 0)
            EXPECT_TRUE(same > 20 && made == 0) << same << " " << made;
        else if (row.passed < 0)
            EXPECT_TRUE(same == 0 && made > 20) << same << " " << made;
        else
            EXPECT_TRUE(same == 0 && made == 0) << same << " " << made;
    }
}

// One colour, 0xC08040, written in Y'CbCr by hand for each matrix, range and
// depth into a lossless clip that says which it is: on screen each is that
// colour. The mixer draws in the decoder's 8-bit format, before the
// display's conversion to RGB.
TEST_F(VideoPathX11, EachMatrixAndRangeShowsTheClipsColourOnScreen) {
    const struct {
        const char* name;
        const char* colorspace;  // ffmpeg's names
        const char* range;
        const char* format;
        int y, cb, cr;
    } clips[] = {{"BT.601 limited", "smpte170m", "tv", "yuv420p", 136, 90, 161},
                 {"BT.709 full", "bt709", "pc", "yuv420p", 137, 89, 163},
                 {"BT.2020 limited 10-bit", "bt2020nc", "tv", "yuv420p10le", 548, 368, 633}};
    for (const auto& row : clips) {
        const std::string clip = dir.filePath(QString(row.colorspace) + ".mkv").toStdString();
        ASSERT_TRUE(
            Ffmpeg("-f lavfi -i nullsrc=s=320x240:r=25:d=8,format=" + std::string(row.format) +
                   ",geq=lum=" + std::to_string(row.y) + ":cb=" + std::to_string(row.cb) +
                   ":cr=" + std::to_string(row.cr) + " -c:v libx264 -qp 0 -colorspace " +
                   row.colorspace + " -color_range " + row.range + " " + clip))
            << row.name;
        ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(640, 360), false));
        QTest::qWait(600);
        const QImage shot = Shot();
        const QColor centre = shot.pixelColor(shot.width() / 2, shot.height() / 2);
        EXPECT_NEAR(centre.red(), 0xC0, 3) << row.name;
        EXPECT_NEAR(centre.green(), 0x80, 3) << row.name;
        EXPECT_NEAR(centre.blue(), 0x40, 3) << row.name;
        EXPECT_EQ(PadFormat("Tavimo Subtitle Mixer"), "I420") << row.name;
    }
}

// 1080p H.264 under two lines of subtitle all along, shown at its size: the
// decoder still refers to each frame it hands on, so drawing the text into
// it took a copy of the whole picture per frame. The text now reaches the
// screen, and into a screenshot, with no frame copied.
TEST_F(VideoPathX11, A1080pFrameUnderItsSubtitleReachesTheSinkUncopied) {
    const std::string clip = dir.filePath("clip.mkv").toStdString();
    ASSERT_TRUE(
        e2e::MakeClip("videotestsrc num-buffers=90 pattern=solid-color foreground-color=0xff404040 "
                      "! video/x-raw,format=I420,width=1920,height=1080,framerate=30/1 ! "
                      "x264enc speed-preset=ultrafast key-int-max=30 ! h264parse ! matroskamux",
                      clip));
    std::ofstream(dir.filePath("clip.srt").toStdString())
        << "1\n00:00:00,000 --> 00:00:10,000\nHHHH MMMM WWWW\nSecond line of text\n";
    CopyCount& count = copies;
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(1920, 1080)));
    for (GstElement* decoder : test::ElementsOfClass(Pipeline(), "Decoder/Video"))
        test::ProbePad(decoder, "src", GST_PAD_PROBE_TYPE_BUFFER, CopyCount::Decoded, &count);
    // At the renderer's input: what the display's converter is given.
    test::ProbePad(GST_ELEMENT(GST_OBJECT_PARENT(Sink())), "sink", GST_PAD_PROBE_TYPE_BUFFER,
                   CopyCount::Shown, &count);
    // Twenty frames to judge, not 1.5 s of the clock: under load many are dropped.
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::lock_guard(count.lock), count.frames >= 20; }))
        << count.frames << " frames";
    std::lock_guard hold(count.lock);
    EXPECT_EQ(count.copies, 0) << "of " << count.frames << " frames";
    g_autoptr(GstSample) sample = test::LastSample(Sink());
    const std::vector<guint8> sunk = test::Rgbx(sample, 1920, 1080);
    EXPECT_GT(test::CountPixels(sunk, 1920, 0, 810, 1920, 1080, test::White), 500)
        << "no subtitle reached the sink";
    std::shared_ptr<ICurrentImage> image;
    VideoImage shot;
    ASSERT_TRUE(SUCCEEDED(record.pWC->GetCurrentImage(&image)) && image &&
                SUCCEEDED(image->GetBitmap(&shot)));
    EXPECT_GT(test::CountPixels(shot.rgbx, shot.width, 0, shot.height * 3 / 4, shot.width,
                                shot.height, test::White),
              500)
        << "the screenshot lost the subtitle";
}

// Before the view is laid out its surface has a placeholder's size, which
// ximagesink prefers: the first frames of a 10-bit clip still reach the sink
// at the clip's own size (the converters, the one taking the depth off in
// front of the mixer too, keep it), and the view placing the picture at that
// size changes nothing, so nothing is negotiated again as playback starts.
// Then resized over and over while playing, the clip keeps playing, and only
// the scaler's output changes size: the decoder keeps its pool.
TEST_F(VideoPathX11, TheViewsSizeLeavesTheClipsSizeAndTheDecodersPoolAlone) {
    const std::string clip =
        H264Clip(dir, "clip.mp4", 500, "format=I420_10LE,width=640,height=360", "mp4mux");
    ASSERT_FALSE(clip.empty());
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(100, 30), false));
    EXPECT_EQ(SinkSize(), QSize(640, 360));
    for (GstElement* decoder : test::ElementsOfClass(Pipeline(), "Decoder/Video"))
        test::ProbePad(decoder, "src", GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, CountAllocation,
                       &decoderPools);
    // The view laid out: its surface grows to the picture's size, which the
    // sink takes as a reason to negotiate again.
    const int before = SinkAllocations();
    host.surface.resize(640, 360);
    QTest::qWait(100);
    RECT view{0, 0, 640, 360};
    record.pWC->SetVideoPosition(nullptr, &view);
    QTest::qWait(300);
    EXPECT_EQ(SinkSize(), QSize(640, 360));
    EXPECT_EQ(SinkAllocations(), before) << "the pools were made again";
    // Moved at the same size, or given no room at all: the size and the pools stay.
    for (RECT same : {RECT{10, 20, 650, 380}, RECT{0, 0, 0, 0}}) {
        record.pWC->SetVideoPosition(nullptr, &same);
        QTest::qWait(300);
        EXPECT_EQ(SinkSize(), QSize(640, 360)) << same.left << "," << same.right;
        EXPECT_EQ(SinkAllocations(), before) << same.left << "," << same.right;
    }
    // Ten steps narrower and lower, then back, over and over, faster than
    // keys repeat: each step has its chance to fall between two elements.
    RECT last{};
    for (int i = 0; i < 200; ++i) {
        const int step = i % 20 < 10 ? i % 10 : 10 - i % 10;
        last = RECT{0, 0, 640 - 20 * step, 360 - 10 * step};
        record.pWC->SetVideoPosition(nullptr, &last);
        QTest::qWait(5);
    }
    const int64_t moved = Position();
    QTest::qWait(1000);
    EXPECT_GT(Position(), moved + 5'000'000) << "the clip stopped moving";
    // The last view, 620 x 350, letterboxes the 16:9 picture 349 rows high.
    EXPECT_EQ(SinkSize(), QSize(620, 349));
    // One more negotiation at most, the one a decoder asks for by itself
    // right after its first.
    EXPECT_LE(decoderPools.load(), 1) << "the decoder allocated its pictures anew";
}

// The picture made larger while it plays, as going full screen does, with
// the first frame of the new size 150 ms late: that frame and every one after
// it are shown. Dropped as late, it was followed by four more, the sink's
// lateness reports making the converter and the decoder skip theirs: a
// stutter of 150 ms each time full screen was entered or left.
TEST_F(VideoPathX11, AFrameMadeLateByANewSizeIsShownAndNoneAfterItIsSkipped) {
    const std::string clip = H264Clip(dir, "clip.mp4", 100, "width=320,height=180", "mp4mux");
    ASSERT_FALSE(clip.empty());
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(320, 180)));
    ASSERT_TRUE(PlaysOn(400));
    GstElement* sink = Sink();
    auto dropped = [&] {
        g_autoptr(GstStructure) stats = nullptr;
        g_object_get(sink, "stats", &stats, nullptr);
        guint64 count = 0;
        EXPECT_TRUE(stats && gst_structure_get_uint64(stats, "dropped", &count));
        return count;
    };
    test::ProbePad(sink, "sink", GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, ResizeStall::Caps, &stall);
    test::ProbePad(sink, "sink", GST_PAD_PROBE_TYPE_BUFFER, ResizeStall::Frame, &stall);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stall.Count() >= 2; }, 2000));
    const guint64 droppedBefore = dropped();
    stall.armed = true;
    host.surface.resize(640, 360);
    RECT larger{0, 0, 640, 360};
    record.pWC->SetVideoPosition(nullptr, &larger);
    // The stalled frame and the ten after it, each 40 ms after the one before.
    std::vector<GstClockTime> around;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(around = stall.Around(10)).empty(); }, 6000))
        << "no frame of the new size, or too few after it";
    EXPECT_EQ(dropped(), droppedBefore);
    EXPECT_EQ(SinkSize(), QSize(640, 360));
    for (size_t i = 1; i < around.size(); ++i)
        EXPECT_EQ(around[i] - around[i - 1], 40 * GST_MSECOND)
            << "frames skipped after " << GST_TIME_AS_MSECONDS(around[i - 1]) << " ms";
}

// An MPEG-TS whose picture grows midway, as a recording joined from two
// channels does: 320 x 180 of red for a second, then 640 x 360 of colour
// bars. The decoder's pictures change size while it renders into the
// converter's pool: the bars reach the screen whole, each where it belongs
// on every row. (A decoder that kept the smaller pictures' pool overran its
// buffers and stopped.)
TEST_F(VideoPathX11, APictureThatGrowsMidwayIsShownWholeAtItsNewSize) {
    const std::string clip = dir.filePath("grows.ts").toStdString();
    const std::string small = dir.filePath("small.ts").toStdString();
    const std::string large = dir.filePath("large.ts").toStdString();
    const std::string h264 = " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -f mpegts ";
    ASSERT_TRUE(Ffmpeg("-f lavfi -i color=c=red:s=320x180:r=25:d=1" + h264 + small));
    ASSERT_TRUE(
        Ffmpeg("-f lavfi -i smptebars=s=640x360:r=25:d=4 -output_ts_offset 1" + h264 + large));
    {
        std::ofstream joined(clip, std::ios::binary);
        joined << std::ifstream(small, std::ios::binary).rdbuf()
               << std::ifstream(large, std::ios::binary).rdbuf();
    }
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(640, 360)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Position() > 25'000'000; }, 10000))
        << "the clip did not play past its change of size";
    const QImage shot = Shot();
    // The bars from the left: grey, yellow, cyan, green, magenta, red, blue.
    struct Bar {
        int x;
        QRgb colour;
    };
    for (const Bar& bar : {Bar{40, qRgb(191, 191, 191)}, Bar{130, qRgb(191, 191, 0)},
                           Bar{320, qRgb(0, 191, 0)}, Bar{600, qRgb(0, 0, 191)}})
        for (int y : {10, 120, 230}) {
            const QRgb seen = shot.pixel(bar.x, y);
            EXPECT_NEAR(qRed(seen), qRed(bar.colour), 24) << bar.x << "," << y;
            EXPECT_NEAR(qGreen(seen), qGreen(bar.colour), 24) << bar.x << "," << y;
            EXPECT_NEAR(qBlue(seen), qBlue(bar.colour), 24) << bar.x << "," << y;
        }
    EXPECT_TRUE(PlaysOn(500));
}

// A phone's clip is stored lying on its side, with a tag saying how to turn
// it: colour bars of 320 x 180 that want a quarter turn anticlockwise are
// shown 180 wide and 320 high, the bars running from blue at the top to grey
// at the bottom.
TEST_F(VideoPathX11, AClipStoredOnItsSideIsShownUpright) {
    const std::string stored = dir.filePath("stored.mp4").toStdString();
    const std::string clip = dir.filePath("side.mp4").toStdString();
    ASSERT_TRUE(
        Ffmpeg("-f lavfi -i smptebars=s=320x180:r=25:d=3 -c:v libx264 -preset ultrafast "
               "-pix_fmt yuv420p " +
               stored));
    ASSERT_TRUE(Ffmpeg("-i " + stored + " -c copy -metadata:s:v:0 rotate=90 " + clip));
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(180, 320)));
    ASSERT_TRUE(PlaysOn(400));
    EXPECT_EQ(SinkSize(), QSize(180, 320));
    const QImage shot = Shot();
    struct Bar {
        int y;
        QRgb colour;
    };
    for (const Bar& bar :
         {Bar{20, qRgb(0, 0, 191)}, Bar{160, qRgb(0, 191, 0)}, Bar{300, qRgb(191, 191, 191)}})
        for (int x : {20, 60, 100}) {
            const QRgb seen = shot.pixel(x, bar.y);
            EXPECT_NEAR(qRed(seen), qRed(bar.colour), 24) << x << "," << bar.y;
            EXPECT_NEAR(qGreen(seen), qGreen(bar.colour), 24) << x << "," << bar.y;
            EXPECT_NEAR(qBlue(seen), qBlue(bar.colour), 24) << x << "," << bar.y;
        }
}

// A slideshow, a picture every two seconds coded with B-frames in Matroska, shows
// its first picture at once and plays on. Matroska's demuxer takes pictures
// reordered by more than half a second for a lagging stream and sends a gap
// ahead of them: the sink waited for the clock to reach that gap before it
// showed anything, seconds here, ten at a picture every five seconds.
TEST_F(VideoPathX11, ASlideshowWithBFramesShowsItsFirstPictureAtOnce) {
    const std::string clip = dir.filePath("slides.mkv").toStdString();
    ASSERT_TRUE(
        Ffmpeg("-f lavfi -i testsrc2=s=320x240:r=1/2:d=16 -c:v libx264 -preset ultrafast -bf 3 "
               "-x264-params b-adapt=0 " +
               clip));
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(320, 240)));
    GstElement* sink = Sink();
    g_autoptr(GstSample) first = nullptr;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (first = test::LastSample(sink)) != nullptr; }, 1500))
        << "no picture within 1.5 s";
    if (first) {
        EXPECT_EQ(GST_BUFFER_PTS(gst_sample_get_buffer(first)), 0u);
    }
    EXPECT_TRUE(PlaysOn(800));
}

// An animated GIF plays its pictures at their delays, and at its end starts
// again. GStreamer's libav GIF decoder stamps them all 0, and by those stamps
// all but the first were late and dropped: the first picture stayed and the
// time stood at 0. Its demuxer never ends: the last picture stayed, a core
// busy.
TEST_F(VideoPathX11, AnAnimatedGifPlaysItsPicturesAtTheirTimesAndStartsAgain) {
    const std::string clip = dir.filePath("spin.gif").toStdString();
    ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=160x120:r=10:d=2 " + clip));
    ASSERT_NO_FATAL_FAILURE(Play(clip, QSize(160, 120)));
    EXPECT_TRUE(PlaysOn(800));
    g_autoptr(GstSample) last = test::LastSample(Sink());
    ASSERT_NE(last, nullptr);
    EXPECT_GE(GST_BUFFER_PTS(gst_sample_get_buffer(last)), 500 * GST_MSECOND);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position() >= 15'000'000; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Position() < 5'000'000; }, 5000))
        << "not started again";
}

// Lossless and studio clips whose pictures come in a format GStreamer has no
// name for end in the box that says so, and the program goes on: rendering
// directly into a pool sized by that format, GStreamer's libav decoder read
// past a missing caps and ended the process. An 8-bit 4:2:0 HEVC, whose
// parser says its format, still renders into the converter's pool; 12-bit
// 4:4:4 HEVC plays (its depth taken off before the converter), and so does a
// 10-bit FFV1, whose codec could give a format without a name, by a copy.
// MS Video 1 and QuickTime Animation render directly into any pool: decoded
// into libav's memory, each picture, drawn over the last, was taken for the
// first and stamped 0, and the clip ended at once and started again, over
// and over.
TEST_F(VideoPathX11, PicturesOfAFormatWithoutANameEndInABoxAndTheProgramGoesOn) {
    const struct {
        const char* name;
        const char* file;
        const char* coding;  // ffmpeg's options for the picture
        bool plays;
        bool direct;  // the decoder renders directly, not into libav's own memory
    } rows[] = {
        {"FFV1, 16-bit 4:4:4", "deep.mkv", "-pix_fmt yuv444p16le -c:v ffv1", false, false},
        {"FFV1, 8-bit 4:4:4 with alpha", "alpha.mkv", "-pix_fmt yuva444p -c:v ffv1", false, false},
        {"HEVC, 10-bit grey", "grey.mkv",
         "-pix_fmt gray10le -c:v libx265 -preset ultrafast -x265-params log-level=0", false, false},
        {"HEVC, 12-bit 4:4:4", "studio.mkv",
         "-pix_fmt yuv444p12le -c:v libx265 -preset ultrafast -x265-params log-level=0", true,
         false},
        {"HEVC, 8-bit 4:2:0", "plain.mkv",
         "-pix_fmt yuv420p -c:v libx265 -preset ultrafast -x265-params log-level=0", true, true},
        {"FFV1, 10-bit 4:2:0", "ten.mkv", "-pix_fmt yuv420p10le -c:v ffv1", true, false},
        {"MS Video 1 in AVI", "old.avi", "-c:v msvideo1", true, true},
        {"QuickTime Animation", "anim.mov", "-c:v qtrle", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string clip = dir.filePath(row.file).toStdString();
        ASSERT_TRUE(Ffmpeg("-f lavfi -i testsrc2=s=320x240:r=25:d=2 " + std::string(row.coding) +
                           " " + clip));
        record.CloseClip();
        const size_t boxes = host.Boxes().size();
        host.surface.setGeometry(0, 0, 320, 240);
        host.surface.show();
        EXPECT_EQ(Open(clip), row.plays);
        if (!row.plays) {
            ASSERT_EQ(host.Boxes().size(), boxes + 1);
            EXPECT_NE(host.Boxes().back().find("its format is not supported"), std::string::npos)
                << host.Boxes().back();
            continue;
        }
        EXPECT_EQ(host.Boxes().size(), boxes);
        EXPECT_TRUE(PlaysOn(400));
        for (GstElement* decoder : test::ElementsOfClass(Pipeline(), "Decoder/Video")) {
            gboolean direct = !row.direct;
            g_object_get(decoder, "direct-rendering", &direct, nullptr);
            EXPECT_EQ(bool(direct), row.direct);
        }
    }
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
    gst_init(&argc, &argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
