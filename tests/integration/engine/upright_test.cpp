// Standing a clip's pictures upright: each turn of a small plane against
// values written out, the byte planes' block path against the element by
// element one at odd sizes, and the element in a GstHarness: a tag turns
// the caps and the pixels, no tag passes the very buffer on, and a format
// that cannot turn passes unturned; odd sizes of each kind of plane turn
// whole and back.
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/media/gst_upright.h"

namespace tavimo {
namespace {

using Plane = std::vector<uint8_t>;

// `in` (w x h elements of `size` bytes, packed rows) turned by `method`.
Plane Turned(const Plane& in, int w, int h, int size, GstVideoOrientationMethod method) {
    const bool swaps = method == GST_VIDEO_ORIENTATION_90R || method == GST_VIDEO_ORIENTATION_90L ||
                       method == GST_VIDEO_ORIENTATION_UL_LR ||
                       method == GST_VIDEO_ORIENTATION_UR_LL;
    const int ow = swaps ? h : w, oh = swaps ? w : h;
    Plane out(in.size(), 0);
    TurnPlane(in.data(), w * size, w, h, out.data(), ow * size, ow, oh, size, method);
    return out;
}

TEST(TurnPlane, EachTurnOfASmallPlane) {
    // 1 2 3
    // 4 5 6
    const Plane in{1, 2, 3, 4, 5, 6};
    const struct {
        const char* name;
        GstVideoOrientationMethod method;
        Plane out;  // rows of the turned plane, one after the other
    } rows[] = {
        {"quarter turn clockwise", GST_VIDEO_ORIENTATION_90R, {4, 1, 5, 2, 6, 3}},
        {"quarter turn anticlockwise", GST_VIDEO_ORIENTATION_90L, {3, 6, 2, 5, 1, 4}},
        {"half turn", GST_VIDEO_ORIENTATION_180, {6, 5, 4, 3, 2, 1}},
        {"mirrored left to right", GST_VIDEO_ORIENTATION_HORIZ, {3, 2, 1, 6, 5, 4}},
        {"mirrored top to bottom", GST_VIDEO_ORIENTATION_VERT, {4, 5, 6, 1, 2, 3}},
        {"flipped on the main diagonal", GST_VIDEO_ORIENTATION_UL_LR, {1, 4, 2, 5, 3, 6}},
        {"flipped on the other diagonal", GST_VIDEO_ORIENTATION_UR_LL, {6, 3, 5, 2, 4, 1}},
        {"as it is", GST_VIDEO_ORIENTATION_IDENTITY, {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Turned(in, 3, 2, 1, row.method), row.out);
        // Elements of two bytes (NV12's chroma) move whole.
        Plane wide, expected;
        for (uint8_t v : in)
            wide.insert(wide.end(), {v, uint8_t(v + 100)});
        for (uint8_t v : row.out)
            expected.insert(expected.end(), {v, uint8_t(v + 100)});
        EXPECT_EQ(Turned(wide, 3, 2, 2, row.method), expected);
    }
    // Sizes that do not fit the turn write nothing.
    Plane out(6, 0);
    TurnPlane(in.data(), 3, 3, 2, out.data(), 3, 3, 2, 1, GST_VIDEO_ORIENTATION_90R);
    EXPECT_EQ(out, Plane(6, 0));
}

// The byte planes of a quarter turn go eight rows at a time with the edges
// one by one, a half turn's rows eight bytes at a time; elements of four
// bytes always go one by one. The low byte of
// each four-byte element must land where the byte plane's byte does, at
// sizes around the blocks and tiles, and each turn undone gives the plane
// back.
TEST(TurnPlane, BlocksAndEdgesAgreeAtOddSizes) {
    // Each turn and the turn that undoes it.
    const std::pair<GstVideoOrientationMethod, GstVideoOrientationMethod> turns[] = {
        {GST_VIDEO_ORIENTATION_90R, GST_VIDEO_ORIENTATION_90L},
        {GST_VIDEO_ORIENTATION_90L, GST_VIDEO_ORIENTATION_90R},
        {GST_VIDEO_ORIENTATION_UL_LR, GST_VIDEO_ORIENTATION_UL_LR},
        {GST_VIDEO_ORIENTATION_UR_LL, GST_VIDEO_ORIENTATION_UR_LL},
        {GST_VIDEO_ORIENTATION_180, GST_VIDEO_ORIENTATION_180},
        {GST_VIDEO_ORIENTATION_HORIZ, GST_VIDEO_ORIENTATION_HORIZ},
        {GST_VIDEO_ORIENTATION_VERT, GST_VIDEO_ORIENTATION_VERT}};
    for (const auto& [w, h] :
         {std::pair{1, 1}, {8, 8}, {9, 7}, {37, 19}, {64, 40}, {33, 70}, {100, 3}}) {
        Plane bytes(size_t(w) * h), words;
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = uint8_t(i * 7 + i / 251);
            words.insert(words.end(), {bytes[i], 0xAA, 0xBB, uint8_t(i)});
        }
        for (const auto& [turn, undo] : turns) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " turn " +
                         std::to_string(int(turn)));
            const Plane turned = Turned(bytes, w, h, 1, turn);
            const Plane turnedWords = Turned(words, w, h, 4, turn);
            bool agree = true;
            for (size_t i = 0; i < turned.size(); ++i)
                agree = agree && turned[i] == turnedWords[i * 4];
            EXPECT_TRUE(agree);
            EXPECT_EQ(turn == GST_VIDEO_ORIENTATION_180 || turn == GST_VIDEO_ORIENTATION_HORIZ ||
                              turn == GST_VIDEO_ORIENTATION_VERT
                          ? Turned(turned, w, h, 1, undo)
                          : Turned(turned, h, w, 1, undo),
                      bytes);
        }
    }
}

class UprightElement : public testing::Test {
  protected:
    void SetUp() override {
        gst_init(nullptr, nullptr);
        GstElement* element = NewUpright();
        ASSERT_NE(element, nullptr);
        harness = gst_harness_new_with_element(element, "sink", "src");
        gst_object_unref(gst_object_ref_sink(element));
    }
    void TearDown() override {
        if (harness)
            gst_harness_teardown(harness);
    }
    void Tag(const char* orientation) {
        gst_harness_push_event(harness, gst_event_new_tag(gst_tag_list_new(
                                            GST_TAG_IMAGE_ORIENTATION, orientation, nullptr)));
    }
    // Pushes `bytes` as a frame; the frame that came out and its caps' size.
    std::pair<Plane, std::string> Push(const Plane& bytes, bool* same = nullptr) {
        GstBuffer* in = gst_buffer_new_memdup(bytes.data(), bytes.size());
        GST_BUFFER_PTS(in) = 0;
        gst_buffer_ref(in);
        EXPECT_EQ(gst_harness_push(harness, in), GST_FLOW_OK);
        GstBuffer* out = gst_harness_pull(harness);
        if (same)
            *same = out == in;
        gst_buffer_unref(in);
        Plane got(gst_buffer_get_size(out));
        gst_buffer_extract(out, 0, got.data(), got.size());
        gst_buffer_unref(out);
        GstCaps* caps = gst_pad_get_current_caps(harness->sinkpad);
        GstVideoInfo info;
        std::string size;
        if (caps && gst_video_info_from_caps(&info, caps))
            size = std::to_string(info.width) + "x" + std::to_string(info.height);
        if (caps)
            gst_caps_unref(caps);
        return {got, size};
    }

    GstHarness* harness = nullptr;
};

TEST_F(UprightElement, ATagTurnsTheCapsAndThePixels) {
    // I420 of 16 x 8: luma y * 16 + x, chroma U 200 + y * 8 + x, V 100.
    gst_harness_set_src_caps_str(harness,
                                 "video/x-raw,format=I420,width=16,height=8,framerate=25/1");
    Plane frame(128 + 32 + 32, 100);
    for (int i = 0; i < 128; ++i)
        frame[size_t(i)] = uint8_t(i);
    for (int i = 0; i < 32; ++i)
        frame[size_t(128 + i)] = uint8_t(200 + i);
    bool same = false;
    auto [untouched, size] = Push(frame, &same);
    EXPECT_TRUE(same) << "no tag: the very buffer passed on";
    EXPECT_EQ(size, "16x8");

    Tag("rotate-90");
    auto [turned, turnedSize] = Push(frame, &same);
    EXPECT_FALSE(same);
    EXPECT_EQ(turnedSize, "8x16");
    ASSERT_EQ(turned.size(), frame.size());
    // Luma rows of 8 from 0; U rows of 4 from 128.
    const struct {
        size_t at;
        uint8_t value;
    } pixels[] = {
        {0, 112},   {7, 0},         {15 * 8, 127},          {15 * 8 + 7, 15}, {8 + 3, 4 * 16 + 1},
        {128, 224}, {128 + 3, 200}, {128 + 7 * 4 + 3, 207}, {160, 100}};
    for (const auto& pixel : pixels)
        EXPECT_EQ(turned[pixel.at], pixel.value) << "at " << pixel.at;

    Tag("rotate-0");
    auto [back, backSize] = Push(frame, &same);
    EXPECT_TRUE(same);
    EXPECT_EQ(backSize, "16x8");
}

TEST_F(UprightElement, AFormatThatCannotTurnPassesUnturned) {
    gst_harness_set_src_caps_str(harness,
                                 "video/x-raw,format=YUY2,width=4,height=2,framerate=25/1");
    Tag("rotate-90");
    const Plane frame(16, 77);
    auto [out, size] = Push(frame);
    EXPECT_EQ(size, "4x2");
    EXPECT_EQ(out, frame);
}

// Odd sizes in each kind of plane (4:2:0 with its chroma rounded up,
// interleaved chroma, three- and four-byte pixels, rows padded): the top
// left corner of a clockwise turn ends at the top right, and a second
// element turning back gives every visible byte of every plane again.
TEST_F(UprightElement, OddSizesTurnEveryPlaneWholeAndBack) {
    for (const char* format : {"I420", "NV12", "RGB", "BGRx", "GRAY8"}) {
        SCOPED_TRACE(format);
        TearDown();
        SetUp();
        const std::string caps = std::string("video/x-raw,framerate=25/1,format=") + format;
        gst_harness_set_src_caps_str(harness, (caps + ",width=15,height=9").c_str());
        Tag("rotate-90");
        auto info = [&](const char* size) {
            GstVideoInfo v;
            GstCaps* parsed = gst_caps_from_string((caps + size).c_str());
            gst_video_info_from_caps(&v, parsed);
            gst_caps_unref(parsed);
            return v;
        };
        GstVideoInfo in = info(",width=15,height=9");
        Plane frame(in.size);
        for (size_t i = 0; i < frame.size(); ++i)
            frame[i] = uint8_t(i % 199 + 1);
        frame[0] = 0;  // the top left corner's first byte
        auto [turned, size] = Push(frame);
        ASSERT_EQ(size, "9x15");
        const GstVideoInfo out = info(",width=9,height=15");
        const int pixel = GST_VIDEO_INFO_COMP_PSTRIDE(&out, 0);
        EXPECT_EQ(turned[size_t(8 * pixel)], 0) << "the top right corner";

        GstElement* back = NewUpright();
        GstHarness* undo = gst_harness_new_with_element(back, "sink", "src");
        gst_object_unref(gst_object_ref_sink(back));
        gst_harness_set_src_caps_str(undo, (caps + ",width=9,height=15").c_str());
        gst_harness_push_event(undo, gst_event_new_tag(gst_tag_list_new(GST_TAG_IMAGE_ORIENTATION,
                                                                        "rotate-270", nullptr)));
        ASSERT_EQ(gst_harness_push(undo, gst_buffer_new_memdup(turned.data(), turned.size())),
                  GST_FLOW_OK);
        GstBuffer* again = gst_harness_pull(undo);
        GstVideoFrame a, b;
        GstBuffer* original = gst_buffer_new_memdup(frame.data(), frame.size());
        ASSERT_TRUE(gst_video_frame_map(&a, &in, original, GST_MAP_READ));
        ASSERT_TRUE(gst_video_frame_map(&b, &in, again, GST_MAP_READ));
        bool same = true;
        for (guint p = 0; p < GST_VIDEO_FRAME_N_PLANES(&a); ++p) {
            guint comp = 0;
            while (GST_VIDEO_FORMAT_INFO_PLANE(in.finfo, comp) != p)
                ++comp;
            const size_t rowBytes = size_t(GST_VIDEO_FRAME_COMP_WIDTH(&a, comp)) *
                                    GST_VIDEO_FRAME_COMP_PSTRIDE(&a, comp);
            for (int y = 0; y < GST_VIDEO_FRAME_COMP_HEIGHT(&a, comp); ++y)
                same = same &&
                       std::memcmp(static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&a, p)) +
                                       y * GST_VIDEO_FRAME_PLANE_STRIDE(&a, p),
                                   static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&b, p)) +
                                       y * GST_VIDEO_FRAME_PLANE_STRIDE(&b, p),
                                   rowBytes) == 0;
        }
        EXPECT_TRUE(same) << "turned back";
        gst_video_frame_unmap(&a);
        gst_video_frame_unmap(&b);
        gst_buffer_unref(original);
        gst_buffer_unref(again);
        gst_harness_teardown(undo);
    }
}

}  // namespace
}  // namespace tavimo
