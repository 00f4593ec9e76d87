// The "Tavimo Subtitle Mixer" element in a GstHarness: buffers with time
// stamps and segments are drawn or passed through as the track says, and
// coloured text has its colour in every offered format. The core's unit tests
// change the track and the font while frames flow, under the sanitizers.
#include "subtitles/drawn_band_meta.h"
#include "subtitles/note_under_meta.h"
#include "subtitles/subtitle_delay.h"
#include "subtitles/subtitle_mixer.h"
#include "subtitles/subtitle_mixer_element.h"

#include <QFont>

#include <gtest/gtest.h>

#include <gst/check/gstharness.h>
#include <gst/video/video.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace tavimo {
namespace {

constexpr GstClockTime kMs = GST_MSECOND, kS = GST_SECOND, kNone = GST_CLOCK_TIME_NONE;

class MixerElementTest : public testing::Test {
  protected:
    void SetUp() override {
        gst_init(nullptr, nullptr);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(17);
        shared.SubtitleFont.Set(font);
        track.Fill({{.start = 1000, .end = 2000, .text = "First subtitle\nsecond line", .lines = 2},
                    {.start = 3000, .end = 4000, .text = "Later", .lines = 1},
                    {.text = "Frames", .lines = 1, .startFrame = 250, .endFrame = 275}});
    }
    void TearDown() override { gst_harness_teardown(harness); }

    // A fresh element with its own core, `caps` and a segment.
    void Start(const std::string& caps, GstClockTime start = 0, GstClockTime time = 0,
               double rate = 1.0, double appliedRate = 1.0) {
        if (harness != nullptr)
            gst_harness_teardown(harness);
        g_autoptr(GstElement) element = static_cast<GstElement*>(
            gst_object_ref_sink(NewSubtitleMixer(std::make_shared<CSubtitles>(track, shared))));
        harness = gst_harness_new_with_element(element, "sink", "src");
        SetCaps(caps);
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        segment.start = start;
        segment.time = time;
        segment.rate = rate;
        segment.applied_rate = appliedRate;
        gst_harness_push_event(harness, gst_event_new_segment(&segment));
    }

    // Gives the element `caps` as a stream does when its format changes.
    void SetCaps(const std::string& caps) {
        GstCaps* parsed = gst_caps_from_string(caps.c_str());
        gst_video_info_from_caps(&info, parsed);
        gst_harness_set_src_caps(harness, parsed);
    }

    // Pushes a frame of 16s (with `varied`, of bytes that vary from one to
    // the next); the buffer that came out (the caller's), and in `copied`
    // whether it is another. The input is still referenced here, so a drawing
    // must go to a copy and leave it as it was.
    GstBuffer* PushFrame(GstClockTime pts, GstClockTime duration, bool* copied = nullptr,
                         bool varied = false) {
        std::vector<uint8_t> bytes(info.size, 16);
        for (size_t i = 0; varied && i < bytes.size(); ++i)
            bytes[i] = uint8_t(i % 251);
        g_autoptr(GstBuffer) in = gst_buffer_new_memdup(bytes.data(), bytes.size());
        GST_BUFFER_PTS(in) = pts;
        GST_BUFFER_DURATION(in) = duration;
        EXPECT_EQ(gst_harness_push(harness, gst_buffer_ref(in)), GST_FLOW_OK);
        GstBuffer* out = gst_harness_pull(harness);
        EXPECT_EQ(gst_buffer_memcmp(in, 0, bytes.data(), bytes.size()), 0) << "input written";
        if (copied)
            *copied = out != in;
        return out;
    }
    // The same, as the bytes that came out and whether they came in another buffer.
    std::pair<std::vector<uint8_t>, bool> Push(GstClockTime pts, GstClockTime duration) {
        bool copied = false;
        g_autoptr(GstBuffer) out = PushFrame(pts, duration, &copied);
        std::vector<uint8_t> bytes(info.size);
        EXPECT_EQ(gst_buffer_extract(out, 0, bytes.data(), bytes.size()), bytes.size());
        return {bytes, copied};
    }

    SubtitleTrack track;
    MixerShared shared;
    GstHarness* harness = nullptr;
    GstVideoInfo info;
};

TEST_F(MixerElementTest, SegmentAndRateDecideBetweenDrawingAndPassingThrough) {
    // "Frames" is {250}{275}: 10 000 to 11 000 ms at 25 fps, 5000 to 5500 at
    // 50; where an entry starts and ends is left to the lookup's own tests.
    const struct {
        const char* name;
        const char* fps;  // of the caps
        GstClockTime segStart, segTime;
        double rate, appliedRate;
        GstClockTime pts, duration;
        bool drawn;
    } cases[] = {
        {"inside an entry", "25/1", 0, 0, 1.0, 1.0, 1500 * kMs, 40 * kMs, true},
        {"between entries", "25/1", 0, 0, 1.0, 1.0, 2500 * kMs, 40 * kMs, false},
        {"after a seek", "25/1", 20 * kS, 3 * kS, 1.0, 1.0, 20'500 * kMs, 40 * kMs, true},
        {"before the segment start", "25/1", 2 * kS, kS, 1.0, 1.0, 1500 * kMs, 40 * kMs, false},
        {"applied rate scales stream time", "25/1", 0, 0, 1.0, 2.0, 750 * kMs, 40 * kMs, true},
        {"no time stamp", "25/1", 0, 0, 1.0, 1.0, GST_CLOCK_TIME_NONE, 40 * kMs, false},
        {"50 fps from the duration", "25/1", 0, 0, 1.0, 1.0, 5200 * kMs, 20 * kMs, true},
        {"caps rate without duration", "25/1", 0, 0, 1.0, 1.0, 10'200 * kMs, kNone, true},
        {"no rate at all", "0/1", 0, 0, 1.0, 1.0, 10'200 * kMs, kNone, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start(std::string("video/x-raw,format=YUY2,width=320,height=240,framerate=") + c.fps,
              c.segStart, c.segTime, c.rate, c.appliedRate);
        const auto [bytes, copied] = Push(c.pts, c.duration);
        EXPECT_EQ(copied, c.drawn) << "drawn on a copy, else the very buffer passed on";
        EXPECT_EQ(bytes != std::vector<uint8_t>(bytes.size(), 16), c.drawn);
    }
}

// What the picture holds at pixel (x, y): Y, Cb, Cr for YUV formats, the
// pixel's bytes in memory order for RGB formats.
std::vector<uint8_t> PixelAt(const std::vector<uint8_t>& frame, const GstVideoInfo& info, int x,
                             int y) {
    if (!GST_VIDEO_INFO_IS_YUV(&info)) {
        const int n = GST_VIDEO_INFO_COMP_PSTRIDE(&info, 0);
        const uint8_t* p = frame.data() + size_t(y) * GST_VIDEO_INFO_PLANE_STRIDE(&info, 0) + x * n;
        return {p, p + n};
    }
    std::vector<uint8_t> yuv;
    for (int c = 0; c < 3; ++c) {
        const int cx = x >> GST_VIDEO_FORMAT_INFO_W_SUB(info.finfo, c);
        const int cy = y >> GST_VIDEO_FORMAT_INFO_H_SUB(info.finfo, c);
        yuv.push_back(frame[GST_VIDEO_INFO_COMP_OFFSET(&info, c) +
                            size_t(cy) * GST_VIDEO_INFO_COMP_STRIDE(&info, c) +
                            size_t(cx) * GST_VIDEO_INFO_COMP_PSTRIDE(&info, c)]);
    }
    return yuv;
}

TEST_F(MixerElementTest, ColouredTextKeepsItsColourInEveryOfferedFormat) {
    // Red, then white, on a frame of 16s. The mixer draws red as (255, 0, 1),
    // since a blue byte of 0 marks transparent pixels. Worked out by hand:
    // full-range BT.601 Y 77, Cb 86, Cr 255; 5:6:5 31 << 11 = 0xF800 and
    // 5:5:5 31 << 10 = 0x7C00, stored low byte first; the outline is 1, 1, 1
    // and 0x0001 on 16-bit frames. Grey text gets neutral chroma in every YUV
    // format, not the frame's 16 (white text tinted green). One element takes
    // the formats in turn, and each shows the same picture: rows are found by
    // the frame's stride, so padded rows get what packed ones do. Mended: the text drawn for a YUV
    // frame was kept, already turned into Y, Cb, Cr, when the stream went on in RGB: red came out
    // as (Cr 255, Cb 86, Y 77) read as RGB.
    const struct {
        const char* format;
        std::vector<uint8_t> red, white, outline;
    } cases[] = {
        {"YUY2", {77, 86, 255}, {255, 128, 128}, {1, 128, 128}},
        {"YV12", {77, 86, 255}, {255, 128, 128}, {1, 128, 128}},
        {"I420", {77, 86, 255}, {255, 128, 128}, {1, 128, 128}},
        {"NV12", {77, 86, 255}, {255, 128, 128}, {1, 128, 128}},
        {"BGR", {1, 0, 255}, {255, 255, 255}, {1, 1, 1}},
        {"RGB", {255, 0, 1}, {255, 255, 255}, {1, 1, 1}},
        {"BGRx", {1, 0, 255, 255}, {255, 255, 255, 255}, {1, 1, 1, 255}},
        {"BGRA", {1, 0, 255, 255}, {255, 255, 255, 255}, {1, 1, 1, 255}},
        {"RGB16", {0x00, 0xF8}, {0xFF, 0xFF}, {0x01, 0x00}},
        {"RGB15", {0x00, 0x7C}, {0xFF, 0xFF}, {0x01, 0x00}},
    };
    track.Fill(
        {{.start = 1000, .end = 2000, .text = "<font color=\"red\">MMMM</font>MMMM", .lines = 1}});
    shared.SubtitleStyles = 1;
    std::vector<bool> firstBody;  // where the first format's white body is
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        // An odd width: rows padded to a multiple of 4 bytes in most formats.
        const std::string caps =
            std::string("video/x-raw,width=317,height=240,framerate=25/1,format=") + c.format;
        harness ? SetCaps(caps) : Start(caps);
        const auto [bytes, copied] = Push(1500 * kMs, 40 * kMs);
        // Red sits left of white, both in the bottom quarter of the picture
        // (the text's top row is 240 - 5 - one line).
        int red = 0, white = 0, outline = 0, redRight = 0, whiteLeft = 317;
        std::vector<bool> body;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 317; ++x) {
                const std::vector<uint8_t> p = PixelAt(bytes, info, x, y);
                const bool isRed = p == c.red, isWhite = p == c.white;
                red += isRed, white += isWhite, outline += p == c.outline;
                redRight = isRed ? std::max(redRight, x) : redRight;
                whiteLeft = isWhite ? std::min(whiteLeft, x) : whiteLeft;
                body.push_back(GST_VIDEO_INFO_IS_YUV(&info) ? p[0] == 255 : isWhite);
            }
        }
        EXPECT_GT(red, 40);
        EXPECT_GT(white, 40);
        EXPECT_GT(outline, 40);
        EXPECT_LT(redRight, whiteLeft);
        firstBody = firstBody.empty() ? body : firstBody;
        EXPECT_TRUE(body == firstBody) << "not the same picture as in " << cases[0].format;
        // Every byte above the text's rows, padding and chroma included, as it came.
        int written = 0;
        for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(&info); ++p) {
            gint comp[GST_VIDEO_MAX_COMPONENTS];
            gst_video_format_info_component(info.finfo, p, comp);
            const size_t end = GST_VIDEO_INFO_PLANE_OFFSET(&info, p) +
                               GST_VIDEO_FORMAT_INFO_SCALE_HEIGHT(info.finfo, comp[0], 200) *
                                   size_t(GST_VIDEO_INFO_PLANE_STRIDE(&info, p));
            for (size_t i = GST_VIDEO_INFO_PLANE_OFFSET(&info, p); i < end; ++i)
                written += bytes[i] != 16;
        }
        EXPECT_EQ(written, 0) << "bytes written above the text (stored upside down?)";
    }
}

// The pixel aspect the caps give: a frame of wide or narrow pixels is shown
// stretched to its display aspect, so the note and the text are drawn
// narrowed by it and keep on screen the shape they have on square pixels;
// the note stays 8 square pixels in, the text centred. Measured as the
// columns of white in a 720 x 576 frame.
TEST_F(MixerElementTest, NoteAndTextKeepTheirShapeOnWidePixels) {
    const struct {
        const char* name;
        double aspect;
        int percent;  // of the width on square pixels, +-2
    } rows[] = {
        {"1/1", 1.0, 100}, {"64/45", 64.0 / 45, 70}, {"8/9", 8.0 / 9, 113}, {"2/1", 2.0, 50}};
    track.Fill({{.start = 1000, .end = 2000, .text = "Wide pixels, narrow text", .lines = 1}});
    // The first and last white columns of the note alone (between the cues),
    // or of the text alone.
    auto white = [&](const char* aspect, bool note) {
        Start(std::string("video/x-raw,format=I420,width=720,height=576,framerate=25/1,"
                          "pixel-aspect-ratio=") +
              aspect);
        shared.Note.Set(note ? "Deinterlace: Auto" : "");
        const auto [bytes, copied] = Push((note ? 2500 : 1500) * kMs, 40 * kMs);
        std::pair<int, int> columns{720, -1};
        for (int y = 0; y < 576; ++y)
            for (int x = 0; x < 720; ++x)
                if (bytes[size_t(y) * 720 + x] > 200)
                    columns = {std::min(columns.first, x), std::max(columns.second, x)};
        return columns;
    };
    const auto [left, right] = white("1/1", true);
    ASSERT_GT(right - left, 100);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto note = white(row.name, true), text = white(row.name, false);
        EXPECT_NEAR((note.second - note.first) * 100 / (right - left), row.percent, 2);
        EXPECT_NEAR(note.first * row.aspect, left, 2) << "8 square pixels in";
        EXPECT_NEAR(text.first + text.second, 719, 3) << "the text centred";
    }
}

// A stream whose picture changes size (a clip stood upright after its first
// caps, a broadcast or adaptive stream switching resolution) has its text
// laid out on the new picture: centred on its width, near its bottom, the
// white luma within it.
TEST_F(MixerElementTest, TextFollowsThePictureWhenItsSizeChanges) {
    const struct {
        const char* name;
        int firstW, firstH;
        bool drawnFirst;  // a frame with text at the first size went before
        int w, h;
        int left, right;  // the text's white columns (100 wide, centred), +-3
    } rows[] = {
        {"stood upright before its first frame", 640, 360, false, 360, 640, 130, 230},
        {"grown while text shows", 640, 360, true, 1280, 720, 590, 690},
        {"shrunk while text shows", 1280, 720, true, 322, 182, 111, 211},
    };
    track.Fill({{.start = 1000, .end = 2000, .text = "Size change", .lines = 1}});
    auto caps = [](int w, int h) {
        return "video/x-raw,format=I420,framerate=25/1,width=" + std::to_string(w) +
               ",height=" + std::to_string(h);
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Start(caps(row.firstW, row.firstH));
        if (row.drawnFirst)
            Push(1500 * kMs, 40 * kMs);
        SetCaps(caps(row.w, row.h));
        const auto [bytes, copied] = Push(1540 * kMs, 40 * kMs);
        ASSERT_EQ(bytes.size(), info.size);
        int left = row.w, right = -1, top = row.h, bottom = -1;
        for (int y = 0; y < row.h; ++y)
            for (int x = 0; x < row.w; ++x)
                if (bytes[size_t(y) * GST_VIDEO_INFO_PLANE_STRIDE(&info, 0) + x] > 200) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        EXPECT_NEAR(left, row.left, 3);
        EXPECT_NEAR(right, row.right, 3);
        EXPECT_GT(top, row.h * 3 / 4) << "near the bottom";
        EXPECT_LT(bottom, row.h);
    }
}

// Whether `a` and `b` hold the same bytes.
bool SameBytes(GstBuffer* a, GstBuffer* b) {
    GstMapInfo map;
    if (!gst_buffer_map(b, &map, GST_MAP_READ))
        return false;
    const bool same =
        gst_buffer_get_size(a) == map.size && gst_buffer_memcmp(a, 0, map.data, map.size) == 0;
    gst_buffer_unmap(b, &map);
    return same;
}

// What a screenshot holds: the frame with the rows under the note put back
// is, byte for byte, the frame drawn with its subtitle and no note, in each
// layout (the 4:2:0 chroma the note turned neutral too; rows padded at an
// odd width; a note wider than the frame); a frame drawn without a note is
// passed on as it is.
TEST_F(MixerElementTest, TheFrameWithTheNotesRowsPutBackIsTheFrameWithoutTheNote) {
    for (const char* format : {"I420", "YUY2", "BGRx"}) {
        SCOPED_TRACE(format);
        Start(std::string("video/x-raw,width=317,height=240,framerate=25/1,format=") + format);
        g_autoptr(GstBuffer) plain = PushFrame(1500 * kMs, 40 * kMs, nullptr, true);
        g_autoptr(GstBuffer) same = WithoutNote(plain, info);
        EXPECT_EQ(same, plain) << "no note: the very frame";
        shared.Note.Set("Subtitle delay: +2.5 s, the note of a frame narrower than itself");
        g_autoptr(GstBuffer) noted = PushFrame(1500 * kMs, 40 * kMs, nullptr, true);
        g_autoptr(GstBuffer) without = WithoutNote(noted, info);
        shared.Note.Set("");
        EXPECT_FALSE(SameBytes(noted, plain)) << "the note shows";
        EXPECT_TRUE(SameBytes(without, plain)) << "put back: not as drawn without the note";
    }
}

// The pad after the mixer as the display's converter answers it: it takes
// the text drawn beside the frame.
GstPadQueryFunction harnessQuery = nullptr;
gboolean TakesBands(GstPad* pad, GstObject* parent, GstQuery* query) {
    if (!IsDrawnBandQuery(query))
        return harnessQuery(pad, parent, query);
    AnswerDrawnBandQuery(query, true);
    return TRUE;
}

// The note at the top left and a subtitle at the bottom of a 1080p frame:
// drawn beside the frame, the band holds a strip for each, not the rows
// between, and put back it is the frame drawn in place, byte for byte, with
// the note's rows kept for a screenshot without it.
TEST_F(MixerElementTest, TextAtTheTopAndTheBottomIsDrawnBesideTheFrameInTwoStrips) {
    track.Fill({{.start = 1000, .end = 2000, .text = "First subtitle\nsecond line", .lines = 2}});
    shared.Note.Set(DelayNoticeText(2500));
    const std::string caps = "video/x-raw,format=I420,width=1920,height=1080,framerate=25/1";
    GstBuffer* drawn[2] = {};  // in place; beside the frame, put back
    GstBuffer* noteless[2] = {};
    const DrawnBandMeta* band = nullptr;
    GstBuffer* banded = nullptr;
    for (int beside = 0; beside < 2; ++beside) {
        Start(caps);
        if (beside) {
            harnessQuery = GST_PAD_QUERYFUNC(harness->sinkpad);
            gst_pad_set_query_function(harness->sinkpad, TakesBands);
        }
        GstBuffer* out = PushFrame(1500 * kMs, 40 * kMs);
        drawn[beside] = WithDrawnBand(out, info);
        noteless[beside] = WithoutNote(drawn[beside], info);
        if (beside) {
            band = DrawnBandOf(out);
            banded = out;
        } else {
            EXPECT_EQ(DrawnBandOf(out), nullptr);
            gst_buffer_unref(out);
        }
    }
    ASSERT_NE(band, nullptr) << "not drawn beside the frame";
    // The note's line from row 7 or so, the subtitle's two lines 5 rows
    // over the bottom: two strips, apart, together under a fifth of the
    // frame's bytes (one from the note's top to the bottom takes 98 %).
    ASSERT_EQ(band->strips, 2u);
    EXPECT_LE(band->first[0], 8);
    EXPECT_LT(band->first[0] + band->rows[0], 100);
    EXPECT_GT(band->first[1], 900);
    EXPECT_LE(band->first[1] + band->rows[1], 1080);
    EXPECT_LT(gst_buffer_get_size(band->band), info.size / 5);
    for (GstBuffer** pair : {drawn, noteless}) {
        ASSERT_TRUE(pair[0] && pair[1]);
        EXPECT_TRUE(SameBytes(pair[0], pair[1])) << (pair == drawn ? "drawn" : "without the note");
        gst_buffer_unref(pair[0]);
        gst_buffer_unref(pair[1]);
    }
    gst_buffer_unref(banded);
}

}  // namespace
}  // namespace tavimo
