// Our H.264 and AAC decoders against GStreamer's libav plugin on the same
// streams: the same caps and pictures (odd sizes, 4:4:4, 10 bits, B-frames,
// frame threads, copied or decoded straight into the converter's pool) with
// every timestamp in order, the same sound in the same channels; and a
// damaged stream or a flush in the middle handled without a crash. Sound
// in batches: the same sound in fewer buffers, each in its own format, and
// nothing held across a flush.
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "engine/media/avcodec_decoders.h"
#include "engine/media/swscale_convert.h"
#include "support/gst_tools.h"

namespace tavimo {
namespace {

struct Decoded {
    std::string caps;
    std::vector<std::string> formats;  // each buffer's caps
    std::vector<GstClockTime> pts;
    std::vector<std::string> data;  // each buffer's visible bytes, plane after plane
    bool ended = false;
};

// The visible bytes of a picture or the bytes of a sound buffer.
std::string BytesOf(GstPad* pad, GstBuffer* buffer) {
    g_autoptr(GstCaps) caps = gst_pad_get_current_caps(pad);
    GstVideoInfo info;
    GstVideoFrame frame;
    std::string bytes;
    if (!gst_video_info_from_caps(&info, caps)) {
        bytes.resize(gst_buffer_get_size(buffer));
        gst_buffer_extract(buffer, 0, bytes.data(), bytes.size());
        return bytes;
    }
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return bytes;
    for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(&frame); ++p) {
        const auto* rows = static_cast<const char*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, p));
        const size_t width = size_t(GST_VIDEO_FRAME_COMP_WIDTH(&frame, p)) *
                             size_t(GST_VIDEO_FRAME_COMP_PSTRIDE(&frame, p));
        for (int y = 0; y < GST_VIDEO_FRAME_COMP_HEIGHT(&frame, p); ++y)
            bytes.append(rows + size_t(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, p)) * size_t(y), width);
    }
    gst_video_frame_unmap(&frame);
    return bytes;
}

void Collect(GstElement* pipeline, const char* name, Decoded* run) {
    g_autoptr(GstElement) sink = gst_bin_get_by_name(GST_BIN(pipeline), name);
    test::ProbePad(
        sink, "sink", GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
            auto* run = static_cast<Decoded*>(data);
            GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
            g_autoptr(GstCaps) caps = gst_pad_get_current_caps(pad);
            g_autofree gchar* text = gst_caps_to_string(caps);
            run->caps = text;
            run->formats.push_back(text);
            run->pts.push_back(GST_BUFFER_PTS(buffer));
            run->data.push_back(BytesOf(pad, buffer));
            return GST_PAD_PROBE_OK;
        },
        run);
}

// Plays `source`, decoded by `ours` and by `theirs` (a pair of element
// names), each followed by `after`; what each gave.
std::pair<Decoded, Decoded> Play(const std::string& source, const char* ours, const char* theirs,
                                 const std::string& after) {
    std::pair<Decoded, Decoded> runs;
    const std::string launch = source + " ! tee name=t t. ! queue ! " + ours + " " + after +
                               " ! fakesink name=ours sync=false t. ! queue ! " + theirs + " " +
                               after + " ! fakesink name=theirs sync=false";
    g_autoptr(GstElement) pipeline = gst_parse_launch(launch.c_str(), nullptr);
    if (!pipeline)
        return runs;
    Collect(pipeline, "ours", &runs.first);
    Collect(pipeline, "theirs", &runs.second);
    runs.first.ended = runs.second.ended = test::PlayToEnd(pipeline, 60);
    return runs;
}

bool SameCaps(const std::string& a, const std::string& b) {
    g_autoptr(GstCaps) first = gst_caps_from_string(a.c_str());
    g_autoptr(GstCaps) second = gst_caps_from_string(b.c_str());
    return first && second && gst_caps_is_equal(first, second);
}

class AvcodecDecoders : public ::testing::Test {
  protected:
    void SetUp() override {
        gst_init(nullptr, nullptr);
        ASSERT_TRUE(RegisterAvcodecDecoders() && RegisterSwscaleConvert());
        for (const char* needed : {"x264enc", "avdec_h264", "avenc_aac", "avdec_aac"})
            if (!gst_registry_check_feature_version(gst_registry_get(), needed, 1, 0, 0))
                GTEST_SKIP() << needed << " is not installed";
    }
};

struct VideoCase {
    const char* name;
    const char* raw;     // the pictures encoded, 20 of them
    const char* x264;    // encoder settings
    const char* stream;  // the parser's stream-format
    const char* after;   // between the decoder and the sink
    int fps;
};

const VideoCase kVideoCases[] = {
    {"4:2:0 322x242, B-frames, avc, copied", "format=I420,width=322,height=242", "bframes=2", "avc",
     "", 30},
    {"the same into the converter's pool", "format=I420,width=322,height=242", "bframes=2", "avc",
     "! tavimoswscale ! video/x-raw,format=BGRx", 30},
    {"4:4:4 321x241, byte-stream", "format=Y444,width=321,height=241", "bframes=0", "byte-stream",
     "", 30},
    {"10-bit 4:2:0, B-frames", "format=I420_10LE,width=160,height=90", "bframes=1", "avc", "", 30},
    {"frame threads into the pool", "format=I420,width=640,height=360", "bframes=2", "avc",
     "! tavimoswscale ! video/x-raw,format=BGRx", 600},
};

TEST_F(AvcodecDecoders, PicturesAreTheLibavPluginsInOrder) {
    for (const VideoCase& c : kVideoCases) {
        SCOPED_TRACE(c.name);
        const auto [ours, theirs] =
            Play(std::string("videotestsrc num-buffers=20 pattern=ball ! video/x-raw,") + c.raw +
                     ",framerate=" + std::to_string(c.fps) +
                     "/1 ! x264enc threads=1 speed-preset=ultrafast key-int-max=8 " + c.x264 +
                     " ! h264parse ! video/x-h264,stream-format=" + c.stream,
                 kH264DecoderName, "avdec_h264", c.after);
        ASSERT_TRUE(ours.ended);
        ASSERT_EQ(ours.data.size(), 20u);
        EXPECT_TRUE(SameCaps(ours.caps, theirs.caps)) << ours.caps << "\n" << theirs.caps;
        EXPECT_TRUE(ours.data == theirs.data) << "the pictures differ";
        for (size_t i = 0; i < ours.pts.size(); ++i)
            EXPECT_EQ(ours.pts[i] - ours.pts[0],
                      gst_util_uint64_scale(i, GST_SECOND, guint64(c.fps)))
                << "picture " << i;
    }
}

TEST_F(AvcodecDecoders, SoundIsTheLibavPluginsInTheSameChannels) {
    for (const char* stream : {"raw", "adts"}) {
        for (const char* layout : {"channels=2", "channels=6,channel-mask=(bitmask)0x3f"}) {
            SCOPED_TRACE(std::string(stream) + " " + layout);
            const auto [ours, theirs] =
                Play(std::string("audiotestsrc wave=white-noise num-buffers=20 ! "
                                 "audio/x-raw,format=F32LE,rate=48000,") +
                         layout + " ! avenc_aac ! aacparse ! audio/mpeg,stream-format=" + stream,
                     kAacDecoderName, "avdec_aac",
                     "! audioconvert ! audio/x-raw,format=F32LE,layout=interleaved");
            ASSERT_TRUE(ours.ended);
            EXPECT_GE(ours.data.size(), 20u);
            EXPECT_TRUE(SameCaps(ours.caps, theirs.caps)) << ours.caps << "\n" << theirs.caps;
            EXPECT_TRUE(ours.data == theirs.data) << "the sound differs";
            EXPECT_EQ(ours.pts, theirs.pts);
        }
    }
}

// The bytes of consecutive buffers of the same caps joined: one entry a
// stretch of one format.
std::vector<std::pair<std::string, std::string>> Stretches(const Decoded& run) {
    std::vector<std::pair<std::string, std::string>> stretches;
    for (size_t i = 0; i < run.data.size(); ++i) {
        if (stretches.empty() || !SameCaps(stretches.back().first, run.formats[i]))
            stretches.emplace_back(run.formats[i], "");
        stretches.back().second += run.data[i];
    }
    return stretches;
}

// An ADTS file of `frames` AAC frames of noise in `layout`, made by the libav
// encoder; its bytes.
std::string AdtsBytes(const std::string& dir, const char* layout, int frames) {
    const std::string path = dir + "/part.aac";
    const std::string launch =
        "audiotestsrc wave=white-noise num-buffers=" + std::to_string(frames) +
        " ! audio/x-raw,format=F32LE,rate=48000," + layout +
        " ! avenc_aac ! aacparse ! audio/mpeg,stream-format=adts ! "
        "filesink location=" +
        path;
    g_autoptr(GstElement) pipeline = gst_parse_launch(launch.c_str(), nullptr);
    if (!pipeline || !test::PlayToEnd(pipeline, 60))
        return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether two runs gave the same sound, stretch by stretch, in equal caps.
bool SameSound(const Decoded& a, const Decoded& b) {
    const auto first = Stretches(a), second = Stretches(b);
    bool same = first.size() == second.size();
    for (size_t i = 0; same && i < first.size(); ++i)
        same = SameCaps(first[i].first, second[i].first) && first[i].second == second[i].second;
    return same;
}

TEST_F(AvcodecDecoders, SoundInBatchesIsTheSameSoundInFewerBuffers) {
    const std::string batch = std::string(kAacDecoderName) + " " + kBatchProperty + "=100000000";
    const char* after = "! audioconvert ! audio/x-raw,format=F32LE,layout=interleaved";
    // 21 frames of 1024 samples at 48 kHz (21.3 ms): five to a batch of
    // 100 ms, the last one alone, stamped as the first of its frames.
    const auto [ours, theirs] = Play(
        "audiotestsrc wave=white-noise num-buffers=20 ! "
        "audio/x-raw,format=F32LE,rate=48000,channels=2 ! avenc_aac ! aacparse",
        batch.c_str(), "avdec_aac", after);
    ASSERT_TRUE(ours.ended);
    EXPECT_EQ(ours.pts, (std::vector<GstClockTime>{0, 106666666, 213333333, 320000000, 426666666}));
    EXPECT_EQ(theirs.data.size(), 21u);
    EXPECT_TRUE(SameSound(ours, theirs)) << "the sound differs";

    // Stereo, then 5.1 in the same ADTS stream (as a broadcast going from a
    // programme to an advertisement): the stereo held back goes out as
    // stereo, before the caps change.
    g_autofree gchar* dir = g_dir_make_tmp("tavimo-aac-XXXXXX", nullptr);
    ASSERT_NE(dir, nullptr);
    const std::string stereo = AdtsBytes(dir, "channels=2", 7);
    const std::string surround = AdtsBytes(dir, "channels=6,channel-mask=(bitmask)0x3f", 7);
    ASSERT_FALSE(stereo.empty() || surround.empty());
    const std::string joined = std::string(dir) + "/joined.aac";
    std::ofstream(joined, std::ios::binary) << stereo << surround;
    const auto [mixedOurs, mixedTheirs] =
        Play("filesrc location=" + joined + " ! aacparse", batch.c_str(), "avdec_aac", after);
    g_remove(joined.c_str());
    g_remove((std::string(dir) + "/part.aac").c_str());
    g_rmdir(dir);
    ASSERT_TRUE(mixedOurs.ended);
    ASSERT_EQ(Stretches(mixedOurs).size(), 2u) << "stereo, then 5.1";
    EXPECT_TRUE(SameSound(mixedOurs, mixedTheirs)) << "the sound differs";
    EXPECT_LT(mixedOurs.data.size(), mixedTheirs.data.size());
}

struct Encoded {
    std::vector<GstBuffer*> frames;
    GstCaps* caps = nullptr;
};

// The parsed frames of 20 pictures with B-frames, a key frame every 8.
constexpr char kPictureFrames[] =
    "videotestsrc num-buffers=20 pattern=ball ! video/x-raw,width=96,height=64,framerate=30/1 "
    "! x264enc threads=1 speed-preset=ultrafast bframes=2 key-int-max=8 ! h264parse ! "
    "video/x-h264,stream-format=avc,alignment=au";
// The frames of 0.43 s of stereo noise in AAC.
constexpr char kSoundFrames[] =
    "audiotestsrc wave=white-noise num-buffers=20 ! audio/x-raw,format=F32LE,rate=48000,"
    "channels=2 ! avenc_aac ! aacparse";

// The frames `launch` encodes, and their caps.
Encoded EncodedFrames(const char* launch) {
    Encoded encoded;
    g_autoptr(GstElement) pipeline =
        gst_parse_launch((std::string(launch) + " ! fakesink name=out").c_str(), nullptr);
    g_autoptr(GstElement) out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    test::ProbePad(
        out, "sink", GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
            auto* encoded = static_cast<Encoded*>(data);
            if (!encoded->caps)
                encoded->caps = gst_pad_get_current_caps(pad);
            encoded->frames.push_back(gst_buffer_ref(GST_PAD_PROBE_INFO_BUFFER(info)));
            return GST_PAD_PROBE_OK;
        },
        &encoded);
    test::PlayToEnd(pipeline, 60);
    return encoded;
}

// Pushes `frames` into `h` from the one at `from` (a truncated copy of the
// one at `cut`, and random bytes in place of the one after) and ends the
// stream; the timestamps of the pictures that came out.
std::vector<GstClockTime> Feed(GstHarness* h, const std::vector<GstBuffer*>& frames, size_t cut,
                               size_t from = 0) {
    for (size_t i = from; i < frames.size(); ++i) {
        GstBuffer* buffer = gst_buffer_copy_deep(frames[i]);
        if (i == cut)
            gst_buffer_resize(buffer, 0, gsize(gst_buffer_get_size(buffer) / 2));
        if (i == cut + 1) {
            GstMapInfo map;
            gst_buffer_map(buffer, &map, GST_MAP_WRITE);
            for (gsize b = 4; b < map.size; ++b)
                map.data[b] = guint8(g_random_int());
            gst_buffer_unmap(buffer, &map);
        }
        gst_harness_push(h, buffer);
    }
    gst_harness_push_event(h, gst_event_new_eos());
    std::vector<GstClockTime> shown;
    while (GstBuffer* out = gst_harness_try_pull(h)) {
        shown.push_back(GST_BUFFER_PTS(out));
        gst_buffer_unref(out);
    }
    return shown;
}

TEST_F(AvcodecDecoders, DamageAndAFlushLeaveTheRestInOrder) {
    auto [frames, caps] = EncodedFrames(kPictureFrames);
    ASSERT_EQ(frames.size(), 20u);
    GstHarness* h = gst_harness_new(kH264DecoderName);
    gst_harness_set_src_caps(h, gst_caps_ref(caps));
    // Six frames in, then a seek's flush, then the frames from the one after
    // the second key frame (decode order 0K 3 1 2 6 4 5 7 8K 11 9 10 14 12
    // 13 15 16K 19 17 18): libav forgot the pictures it held, so nothing
    // comes until the third key frame (without the flush, pictures made
    // from the old references would).
    for (size_t i = 0; i < 6; ++i)
        gst_harness_push(h, gst_buffer_ref(frames[i]));
    gst_harness_push_event(h, gst_event_new_flush_start());
    gst_harness_push_event(h, gst_event_new_flush_stop(TRUE));
    GstSegment segment;
    gst_segment_init(&segment, GST_FORMAT_TIME);
    gst_harness_push_event(h, gst_event_new_segment(&segment));
    while (GstBuffer* before = gst_harness_try_pull(h))
        gst_buffer_unref(before);
    std::vector<GstClockTime> expected;  // x264enc starts at 1000 hours
    for (guint64 i : {16, 17, 18, 19})
        expected.push_back(1000 * 3600 * GST_SECOND + gst_util_uint64_scale(i, GST_SECOND, 30));
    EXPECT_EQ(Feed(h, frames, frames.size(), 9), expected) << "after a flush";
    gst_harness_teardown(h);
    // A frame cut short and one of noise: the pictures after the next key
    // frame (8) come out, in order, and nothing crashes.
    h = gst_harness_new(kH264DecoderName);
    gst_harness_set_src_caps(h, caps);
    const std::vector<GstClockTime> shown = Feed(h, frames, 5);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GE(shown.size(), 12u);
    gst_harness_teardown(h);
    for (GstBuffer* frame : frames)
        gst_buffer_unref(frame);
}

// A seek's flush while sound is held back: none of it comes out after.
TEST_F(AvcodecDecoders, NoSoundHeldInBatchesOutlivesAFlush) {
    auto [frames, caps] = EncodedFrames(kSoundFrames);
    ASSERT_GE(frames.size(), 20u);
    GstHarness* h = gst_harness_new(kAacDecoderName);
    g_object_set(h->element, kBatchProperty, guint64(100 * GST_MSECOND), nullptr);
    gst_harness_set_src_caps(h, caps);
    for (size_t i = 0; i < 3; ++i)  // 64 ms: held
        gst_harness_push(h, gst_buffer_ref(frames[i]));
    EXPECT_EQ(gst_harness_buffers_received(h), 0u);
    gst_harness_push_event(h, gst_event_new_flush_start());
    gst_harness_push_event(h, gst_event_new_flush_stop(TRUE));
    GstSegment segment;
    gst_segment_init(&segment, GST_FORMAT_TIME);
    gst_harness_push_event(h, gst_event_new_segment(&segment));
    for (size_t i = 10; i < 13; ++i)
        gst_harness_push(h, gst_buffer_ref(frames[i]));
    gst_harness_push_event(h, gst_event_new_eos());
    GstBuffer* out = gst_harness_try_pull(h);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(GST_BUFFER_PTS(out), GST_BUFFER_PTS(frames[10]));
    EXPECT_EQ(gst_buffer_get_size(out), 3u * 1024u * 2u * sizeof(float)) << "three frames, stereo";
    gst_buffer_unref(out);
    EXPECT_EQ(gst_harness_try_pull(h), nullptr);
    gst_harness_teardown(h);
    for (GstBuffer* frame : frames)
        gst_buffer_unref(frame);
}

}  // namespace
}  // namespace tavimo
