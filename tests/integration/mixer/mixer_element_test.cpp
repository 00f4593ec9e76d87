// The "Tavimo Subtitle Mixer" element in a GstHarness: buffers with time
// stamps and segments are drawn or passed through as the track says, and the
// drawing matches the core's for every offered format.
#include "../../unit/mixer/mixer_test_support.h"

#include "subtitles/subtitle_mixer.h"
#include "subtitles/subtitle_mixer_element.h"

#include <gst/check/gstharness.h>
#include <gst/video/video.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace tavimo {
namespace {

using test::Timed;

constexpr GstClockTime kMs = GST_MSECOND;

// One mixer element in a harness, with the core it calls.
class MixerHarness {
  public:
    MixerHarness(const SubtitleTrack& track, MixerShared& shared, const std::string& caps)
        : core_(track, shared) {
        gst_init(nullptr, nullptr);
        GstElement* element = NewSubtitleMixer(&core_);
        gst_object_ref_sink(element);
        harness_ = gst_harness_new_with_element(element, "sink", "src");
        gst_object_unref(element);
        gst_harness_set_src_caps_str(harness_, caps.c_str());
        GstCaps* parsed = gst_caps_from_string(caps.c_str());
        gst_video_info_from_caps(&info_, parsed);
        gst_caps_unref(parsed);
    }
    ~MixerHarness() { gst_harness_teardown(harness_); }

    void Segment(GstClockTime start, GstClockTime time, double rate, double appliedRate) {
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        segment.start = start;
        segment.time = time;
        segment.rate = rate;
        segment.applied_rate = appliedRate;
        gst_harness_push_event(harness_, gst_event_new_segment(&segment));
    }

    // A buffer of the negotiated size filled with a fixed pattern.
    GstBuffer* Buffer(GstClockTime pts, GstClockTime duration) const {
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&info_), nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        for (gsize i = 0; i < map.size; ++i) {
            map.data[i] = static_cast<uint8_t>(i * 131 + (i >> 9) * 7 + 5);
        }
        gst_buffer_unmap(buffer, &map);
        GST_BUFFER_PTS(buffer) = pts;
        GST_BUFFER_DURATION(buffer) = duration;
        return buffer;
    }

    // Pushes `in` (keeping the caller's reference) and returns the output.
    GstBuffer* Push(GstBuffer* in) {
        EXPECT_EQ(gst_harness_push(harness_, gst_buffer_ref(in)), GST_FLOW_OK);
        return gst_harness_pull(harness_);
    }

    const GstVideoInfo& Info() const { return info_; }

  private:
    CSubtitles core_;
    GstHarness* harness_ = nullptr;
    GstVideoInfo info_;
};

std::vector<uint8_t> Bytes(GstBuffer* buffer) {
    std::vector<uint8_t> bytes(gst_buffer_get_size(buffer));
    gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
    return bytes;
}

// What the core alone makes of `in` at stream time `ms`, given the format
// description the element is expected to pass for these caps.
std::vector<uint8_t> CoreResult(const SubtitleTrack& track, MixerShared& shared, GstBuffer* in,
                                const GstVideoInfo& info, const VideoFormat& format, int64_t ms) {
    std::vector<uint8_t> bytes = Bytes(in);
    VideoPlanes planes;
    for (guint i = 0; i < GST_VIDEO_INFO_N_PLANES(&info); ++i) {
        planes.data[i] = bytes.data() + GST_VIDEO_INFO_PLANE_OFFSET(&info, i);
        planes.stride[i] = GST_VIDEO_INFO_PLANE_STRIDE(&info, i);
    }
    CSubtitles core(track, shared);
    core.CheckInputType(format);
    core.Transform(planes, test::At(ms));
    return bytes;
}

class MixerElementTest : public testing::Test {
  protected:
    void SetUp() override {
        shared.SubtitleFont.Set(test::FontWithLineHeight(20));
        track.Fill(
            {Timed(1000, 2000, "First subtitle\nsecond line", 2), Timed(3000, 4000, "Later", 1)});
    }
    SubtitleTrack track;
    MixerShared shared;
};

TEST_F(MixerElementTest, SegmentTimeDecidesBetweenDrawingAndPassingThrough) {
    struct Case {
        const char* name;
        GstClockTime segStart, segTime;
        double rate, appliedRate;
        GstClockTime pts;
        int view;
        bool drawn;
    };
    const Case cases[] = {
        {"inside an entry", 0, 0, 1.0, 1.0, 1500 * kMs, 1, true},
        {"between entries", 0, 0, 1.0, 1.0, 2500 * kMs, 1, false},
        {"end is exclusive", 0, 0, 1.0, 1.0, 2000 * kMs, 1, false},
        {"after a seek: stream time from segment", 10 * GST_SECOND, 3 * GST_SECOND, 1.0, 1.0,
         10'500 * kMs, 1, true},
        {"after a seek: outside", 10 * GST_SECOND, 5 * GST_SECOND, 1.0, 1.0, 10'500 * kMs, 1,
         false},
        {"before the segment start", 2 * GST_SECOND, 1 * GST_SECOND, 1.0, 1.0, 1500 * kMs, 1,
         false},
        {"fast playback keeps media times", 0, 0, 2.0, 1.0, 1500 * kMs, 1, true},
        {"applied rate scales stream time", 0, 0, 1.0, 2.0, 750 * kMs, 1, true},
        {"subtitles switched off", 0, 0, 1.0, 1.0, 1500 * kMs, 0, false},
        {"no time stamp", 0, 0, 1.0, 1.0, GST_CLOCK_TIME_NONE, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shared.ViewSubtitles = c.view;
        MixerHarness h(track, shared,
                       "video/x-raw,format=YUY2,width=320,height=240,framerate=25/1");
        h.Segment(c.segStart, c.segTime, c.rate, c.appliedRate);
        GstBuffer* in = h.Buffer(c.pts, 40 * kMs);
        const std::vector<uint8_t> before = Bytes(in);
        GstBuffer* out = h.Push(in);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(Bytes(out) != before, c.drawn);
        // Passing through hands on the very buffer; drawing writes a copy,
        // since the upstream buffer is still referenced and not writable.
        EXPECT_EQ(out == in, !c.drawn);
        EXPECT_TRUE(Bytes(in) == before);
        gst_buffer_unref(out);
        gst_buffer_unref(in);
    }
}

TEST_F(MixerElementTest, EachOfferedFormatIsDrawnAsTheCoreDrawsIt) {
    struct Case {
        const char* format;
        VideoFormat expected;  // what the core must be told for it
    };
    const Case cases[] = {
        {"YUY2", {VideoSubtype::YUY2, 320, 240, 16}},
        {"I420", {VideoSubtype::I420, 320, 240, 12}},
        {"YV12", {VideoSubtype::YV12, 320, 240, 12}},
        {"NV12", {VideoSubtype::NV12, 320, 240, 12}},
        {"BGRx", {VideoSubtype::RGB32, 320, -240, 32}},
        {"BGRA", {VideoSubtype::RGB32, 320, -240, 32}},
        {"BGR", {VideoSubtype::RGB24, 320, -240, 24}},
        {"RGB", {VideoSubtype::RGB24, 320, -240, 24}},
        {"RGB16", {VideoSubtype::RGB565, 320, -240, 16}},
        {"RGB15", {VideoSubtype::RGB555, 320, -240, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        MixerHarness h(
            track, shared,
            std::string("video/x-raw,width=320,height=240,framerate=25/1,format=") + c.format);
        h.Segment(0, 0, 1.0, 1.0);
        GstBuffer* in = h.Buffer(1500 * kMs, 40 * kMs);
        const std::vector<uint8_t> expected =
            CoreResult(track, shared, in, h.Info(), c.expected, 1500);
        GstBuffer* out = h.Push(in);
        ASSERT_NE(out, nullptr);
        EXPECT_TRUE(Bytes(out) == expected);
        EXPECT_FALSE(Bytes(out) == Bytes(in));
        gst_buffer_unref(out);
        gst_buffer_unref(in);
    }
}

TEST_F(MixerElementTest, FrameRateComesFromDurationOrCaps) {
    struct Case {
        const char* name;
        const char* framerate;
        GstClockTime pts, duration;
        bool drawn;
    };
    // {25}{50}: 1000 ms to 2000 ms at 25 fps, 500 to 1000 ms at 50 fps.
    const Case cases[] = {
        {"duration gives 25 fps", "0/1", 1000 * kMs, 40 * kMs, true},
        {"duration gives 50 fps", "25/1", 1000 * kMs, 20 * kMs, false},
        {"caps rate without duration", "25/1", 1000 * kMs, GST_CLOCK_TIME_NONE, true},
        {"caps rate without duration, 50", "50/1", 1000 * kMs, GST_CLOCK_TIME_NONE, false},
        {"no rate at all", "0/1", 1500 * kMs, GST_CLOCK_TIME_NONE, false},
    };
    SubtitleEntry entry;
    entry.text = "Frames";
    entry.lines = 1;
    entry.startFrame = 25;
    entry.endFrame = 50;
    track.Fill({entry});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MixerHarness h(
            track, shared,
            std::string("video/x-raw,format=I420,width=160,height=120,framerate=") + c.framerate);
        h.Segment(0, 0, 1.0, 1.0);
        GstBuffer* in = h.Buffer(c.pts, c.duration);
        GstBuffer* out = h.Push(in);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out != in, c.drawn);
        gst_buffer_unref(out);
        gst_buffer_unref(in);
    }
}

TEST_F(MixerElementTest, TrackAndFontReplacedWhileFramesFlow) {
    // The UI thread reloads subtitles, changes the font and moves the text
    // while 2000 frames stream through the element.
    MixerHarness h(track, shared, "video/x-raw,format=I420,width=320,height=240,framerate=25/1");
    h.Segment(0, 0, 1.0, 1.0);
    auto reload = [&](int i) {
        track.Fill({Timed(0, 40'000, i % 2 ? "Odd track" : "Even\ntrack", int16_t(1 + i % 2)),
                    Timed(40'000, 80'000, "Tail", 1)});
    };
    reload(0);
    std::atomic<bool> done{false};
    std::thread ui([&] {
        for (int i = 0; !done.load(); ++i) {
            reload(i);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(14 + i % 10);
            shared.SubtitleFont.Set(i % 4 == 3 ? std::nullopt : std::optional(font));
            shared.SubtitleOffset = i % 50;
            std::this_thread::yield();
        }
    });
    int drawn = 0;
    for (int i = 0; i < 2000; ++i) {
        GstBuffer* in = h.Buffer(static_cast<GstClockTime>(i) * 40 * kMs, 40 * kMs);
        GstBuffer* out = h.Push(in);
        if (out == nullptr) {
            ADD_FAILURE() << "no output for frame " << i;
            gst_buffer_unref(in);
            break;
        }
        drawn += out != in ? 1 : 0;
        gst_buffer_unref(out);
        gst_buffer_unref(in);
    }
    done = true;
    ui.join();
    EXPECT_EQ(drawn, 2000);
}

}  // namespace
}  // namespace tavimo
