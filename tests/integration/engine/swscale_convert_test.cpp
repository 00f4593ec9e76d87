// The display's colour converter on libswscale: colour bars in each input
// format come out as the RGB they were made of (each matrix and range is
// video_path_x11_test's, on screen), deep YUV keeps what its low bits say, a
// picture of another shape is stretched without borders, a scaled picture is
// filtered rather than sampled, a decoder drawing straight into the
// converter's pool keeps its reference pictures as decoded, frames of any
// size are converted whole with nothing written outside them (and get
// borders), and every format a decoder gives passes the converter the graph
// plugs for it.
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/media/avcodec_decoders.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/swscale_convert.h"
#include "engine/media/swscale_formats.h"
#include "support/gst_tools.h"

namespace tavimo {
namespace {

// 75 % colour bars, left to right, as the RGB they were made of.
constexpr int kBarsRgb[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {0, 0, 0}};
constexpr int kBarWidth = 16;
constexpr int kWidth = 8 * kBarWidth, kHeight = 16;

using Yuv = int[8][3];  // Y, Cb, Cr of each bar, 8 bits

// The same bars in BT.709 limited-range Y'CbCr, worked out by hand from its
// Kr and Kb. The other matrices and ranges are video_path_x11_test's, on screen.
constexpr Yuv kBt709 = {{180, 128, 128}, {168, 44, 136}, {145, 147, 44}, {133, 63, 52},
                        {63, 193, 204},  {51, 109, 212}, {28, 212, 120}, {16, 128, 128}};

// Caps of raw video in `format` at this size, BT.709 limited range.
std::string CapsOf(const char* format, int width, int height) {
    GstVideoInfo info;
    gst_video_info_set_format(&info, gst_video_format_from_string(format), width, height);
    info.colorimetry.matrix = GST_VIDEO_COLOR_MATRIX_BT709;
    info.colorimetry.range = GST_VIDEO_COLOR_RANGE_16_235;
    info.colorimetry.transfer = GST_VIDEO_TRANSFER_BT709;
    info.colorimetry.primaries = GST_VIDEO_COLOR_PRIMARIES_BT709;
    g_autoptr(GstCaps) caps = gst_video_info_to_caps(&info);
    g_autofree gchar* text = gst_caps_to_string(caps);
    return text;
}

// The layout `caps` (a string) describes.
GstVideoInfo InfoOf(const std::string& caps) {
    g_autoptr(GstCaps) parsed = gst_caps_from_string(caps.c_str());
    GstVideoInfo info;
    gst_video_info_from_caps(&info, parsed);
    return info;
}

// A frame of `caps` whose component c at (x, y) of its own plane grid is
// value(c, x, y), given at the component's depth. GStreamer's own packing
// writes the lines, so that every layout is written as GStreamer reads it.
GstBuffer* MakeFrame(const std::string& caps, const std::function<int(int, int, int)>& value) {
    const GstVideoInfo info = InfoOf(caps);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, info.size, nullptr);
    GstVideoFrame frame;
    gst_video_frame_map(&frame, &info, buffer, GST_MAP_WRITE);
    const GstVideoFormatInfo* f = info.finfo;
    const bool wide = GST_VIDEO_FORMAT_INFO_DEPTH(f, 0) > 8;  // AYUV64 lines, else AYUV
    const int lines = std::max(f->pack_lines, 1), pixel = wide ? 8 : 4;
    std::vector<uint8_t> unpacked(size_t(info.width) * pixel * lines);
    for (int y0 = 0; y0 < info.height; y0 += lines) {
        for (int line = 0; line < lines; ++line)
            for (int x = 0; x < info.width; ++x)
                for (int c = 0; c < 4; ++c) {
                    const int y = std::min(y0 + line, info.height - 1);
                    const int comp = c - 1;  // A, Y, U, V
                    const int v = comp < 0
                                      ? (wide ? 0xffff : 0xff)
                                      : value(comp, x >> GST_VIDEO_FORMAT_INFO_W_SUB(f, comp),
                                              y >> GST_VIDEO_FORMAT_INFO_H_SUB(f, comp))
                                            << (wide ? 16 - GST_VIDEO_FORMAT_INFO_DEPTH(f, 0) : 0);
                    uint8_t* p = unpacked.data() + (size_t(line) * info.width + x) * pixel;
                    if (wide)
                        reinterpret_cast<uint16_t*>(p)[c] = uint16_t(v);
                    else
                        p[c] = uint8_t(v);
                }
        f->pack_func(f, GST_VIDEO_PACK_FLAG_NONE, unpacked.data(), info.width * pixel, frame.data,
                     frame.info.stride, info.chroma_site, y0, info.width);
    }
    gst_video_frame_unmap(&frame);
    return buffer;
}

// The BGRx `buffer` in the current caps of `pad` (BGRx is Qt's RGB32 in
// memory); null when it cannot be read.
QImage PictureOf(GstPad* pad, GstBuffer* buffer) {
    g_autoptr(GstCaps) caps = gst_pad_get_current_caps(pad);
    GstVideoInfo info;
    GstVideoFrame mapped;
    if (!caps || !gst_video_info_from_caps(&info, caps) ||
        !gst_video_frame_map(&mapped, &info, buffer, GST_MAP_READ))
        return {};
    const QImage picture =
        QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, 0)), info.width,
               info.height, GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, 0), QImage::Format_RGB32)
            .copy();
    gst_video_frame_unmap(&mapped);
    return picture;
}

// The R, G, B of `picture` at (x, y).
std::array<int, 3> RgbAt(const QImage& picture, int x, int y) {
    const QRgb p = picture.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

// One frame through the converter to BGRx of the given size, without
// borders; an empty picture when nothing comes out.
QImage Convert(const std::string& caps, GstBuffer* frame, int width, int height) {
    GstHarness* h = gst_harness_new("tavimoswscale");
    g_object_set(h->element, "add-borders", FALSE, nullptr);
    gst_harness_set_src_caps_str(h, caps.c_str());
    gst_harness_set_sink_caps_str(h, ("video/x-raw, format=BGRx, width=" + std::to_string(width) +
                                      ", height=" + std::to_string(height))
                                         .c_str());
    QImage picture;
    if (GstBuffer* out =
            gst_harness_push(h, frame) == GST_FLOW_OK ? gst_harness_pull(h) : nullptr) {
        picture = PictureOf(h->sinkpad, out);
        gst_buffer_unref(out);
    }
    gst_harness_teardown(h);
    return picture;
}

// Each bar's colour in its middle, against the RGB it was made of.
void ExpectBars(const QImage& picture, const std::string& what) {
    ASSERT_EQ(picture.size(), QSize(kWidth, kHeight)) << what;
    for (int bar = 0; bar < 8; ++bar) {
        const auto got = RgbAt(picture, bar * kBarWidth + kBarWidth / 2, kHeight / 2);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], kBarsRgb[bar][c], 2) << what << ", bar " << bar << ", component "
                                                     << "RGB"[c];
    }
}

class SwscaleConvert : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        gst_init(nullptr, nullptr);
        ASSERT_TRUE(RegisterSwscaleConvert() && RegisterAvcodecDecoders());
    }
};

// Every input layout, 8 to 12 bits: the bars' values scaled to its depth.
TEST_F(SwscaleConvert, BarsComeOutAsTheirRgb) {
    const struct {
        const char* format;
        int depth;
    } rows[] = {{"I420", 8},       {"YV12", 8},       {"NV12", 8},       {"NV21", 8},
                {"YUY2", 8},       {"UYVY", 8},       {"Y42B", 8},       {"Y444", 8},
                {"I420_10LE", 10}, {"I422_10LE", 10}, {"Y444_10LE", 10}, {"P010_10LE", 10},
                {"I420_12LE", 12}, {"I422_12LE", 12}};
    for (const auto& row : rows) {
        const std::string caps = CapsOf(row.format, kWidth, kHeight);
        const GstVideoFormatInfo* f = InfoOf(caps).finfo;
        GstBuffer* bars = MakeFrame(caps, [&](int c, int x, int) {
            return kBt709[(x << GST_VIDEO_FORMAT_INFO_W_SUB(f, c)) / kBarWidth][c]
                   << (row.depth - 8);
        });
        ExpectBars(Convert(caps, bars, kWidth, kHeight), row.format);
    }
}

// Two flat greys in 10 bits with the same top eight bits: their outputs
// differ on average by what the low bits say ((b - a) / 4 * 255 / 219 levels
// in limited range), where cutting the low bits off would make them equal.
TEST_F(SwscaleConvert, DeepGreysKeepWhatTheirLowBitsSay) {
    const struct {
        int a, b;     // Y, limited range, 10 bits
        double step;  // the difference of their RGB levels
    } pairs[] = {{400, 403, 0.873}, {600, 602, 0.582}, {200, 203, 0.873}};
    const std::string caps = CapsOf("I420_10LE", kWidth, kHeight);
    auto meanGreen = [&](int y10) {
        GstBuffer* frame = MakeFrame(caps, [&](int c, int, int) { return c == 0 ? y10 : 512; });
        const QImage out = Convert(caps, frame, kWidth, kHeight);
        double sum = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                sum += qGreen(out.pixel(x, y));
        return out.isNull() ? -1.0 : sum / (out.width() * out.height());
    };
    for (const auto& pair : pairs)
        EXPECT_NEAR(meanGreen(pair.b) - meanGreen(pair.a), pair.step, 0.25)
            << "Y " << pair.a << " and " << pair.b;
}

// --- every size: nothing written outside the frame, every column converted ---

// A frame of `info`'s layout between two guard zones, all of it first
// filled with a byte no conversion here gives (so that what is left
// unwritten shows).
struct GuardedFrame {
    static constexpr size_t kGuard = 256;
    static constexpr uint8_t kUnwritten = 0x5a;
    GstVideoInfo info;
    std::vector<uint8_t> bytes;
    explicit GuardedFrame(const GstVideoInfo& layout)
        : info(layout), bytes(layout.size + 2 * kGuard, kUnwritten) {}
    uint8_t* Plane(int p) { return bytes.data() + kGuard + info.offset[p]; }
    const uint8_t* Plane(int p) const { return bytes.data() + kGuard + info.offset[p]; }
    // The bytes that were written outside the frame.
    int GuardsWritten() const {
        int written = 0;
        for (size_t i = 0; i < kGuard; ++i)
            written += (bytes[i] != kUnwritten) + (bytes[bytes.size() - 1 - i] != kUnwritten);
        return written;
    }
};

// The grey of a BGRx frame converted from Y 180 (75 %: 191), black, or
// neither (left unwritten).
enum class Shade { kBlack, kGrey, kOther };
Shade ShadeOf(const uint8_t* bgrx) {
    if (bgrx[0] <= 2 && bgrx[1] <= 2 && bgrx[2] <= 2)
        return Shade::kBlack;
    for (int c = 0; c < 3; ++c)
        if (std::abs(bgrx[c] - 191) > 24)  // scaled down 100 times, its edge is 17 off
            return Shade::kOther;
    return Shade::kGrey;
}

// A BGRx frame converted from a flat grey picture of display shape `shape`:
// one rectangle of grey, black all around it, borders on opposite sides
// within a pixel of each other, the rectangle as wide or as high as the
// frame and of the picture's shape within a pixel (with `fills`, the whole
// frame).
void ExpectGreyPicture(const GuardedFrame& frame, double shape, bool fills,
                       const std::string& what) {
    const int width = frame.info.width, height = frame.info.height;
    int left = width, right = -1, top = height, bottom = -1, grey = 0, other = 0;
    std::string firstOther;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = frame.Plane(0) + size_t(frame.info.stride[0]) * y + 4 * size_t(x);
            const Shade shade = ShadeOf(p);
            if (shade == Shade::kOther && other++ == 0)
                firstOther = std::to_string(x) + "," + std::to_string(y) + " (B G R " +
                             std::to_string(p[0]) + " " + std::to_string(p[1]) + " " +
                             std::to_string(p[2]) + ")";
            if (shade != Shade::kGrey)
                continue;
            ++grey;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_EQ(other, 0) << what << ": pixels neither converted nor black, first at " << firstOther;
    ASSERT_GT(grey, 0) << what;
    const int w = right - left + 1, h = bottom - top + 1;
    EXPECT_EQ(grey, w * h) << what << ": black inside the picture (columns not converted)";
    EXPECT_LE(std::abs(left - (width - 1 - right)), 1) << what << ": left and right borders";
    EXPECT_LE(std::abs(top - (height - 1 - bottom)), 1) << what << ": top and bottom borders";
    EXPECT_TRUE(w == width || h == height) << what << ": picture " << w << "x" << h;
    EXPECT_TRUE(std::abs(w - h * shape) <= 1 || std::abs(h - w / shape) <= 1)
        << what << ": picture " << w << "x" << h;
    if (fills) {
        EXPECT_TRUE(w == width && h == height) << what << ": picture " << w << "x" << h;
    }
}

// An 8-bit planar YUV frame converted from the same grey: Y 180 and
// chroma 128 (within the dither's 1) in every sample.
void ExpectGreyPlanes(const GuardedFrame& frame, const std::string& what) {
    int wrong = 0;
    for (guint c = 0; c < GST_VIDEO_INFO_N_COMPONENTS(&frame.info); ++c) {
        const uint8_t* plane = frame.Plane(GST_VIDEO_INFO_COMP_PLANE(&frame.info, c));
        const int stride = GST_VIDEO_INFO_COMP_STRIDE(&frame.info, c);
        for (int y = 0; y < GST_VIDEO_INFO_COMP_HEIGHT(&frame.info, c); ++y)
            for (int x = 0; x < GST_VIDEO_INFO_COMP_WIDTH(&frame.info, c); ++x)
                wrong += std::abs(plane[size_t(stride) * y + x] - (c == 0 ? 180 : 128)) > 1;
    }
    EXPECT_EQ(wrong, 0) << what << ": samples not converted";
}

// A flat 75 % grey, BT.709 limited, through the converter into frames of
// every size from 1x1 to 17x17 and odd sizes near common ones, each frame
// guarded on both sides: libswscale writes whole groups of pixels past a
// row's end, and a picture placed inside the frame must not take it past
// its buffer, nor leave its last columns unconverted, nor reach into the
// borders.
TEST_F(SwscaleConvert, EverySizeIsConvertedWhollyAndNothingIsWrittenOutsideTheFrame) {
    const struct {
        const char* name;
        const char* in;
        int depth;
        int width, height;  // of the input; 0: the output's, -2: twice the output's
        const char* out;
    } rows[] = {
        {"I420 at its own size to BGRx (unscaled)", "I420", 8, 0, 0, "BGRx"},
        {"P010 at its own size to BGRx (two steps)", "P010_10LE", 10, 0, 0, "BGRx"},
        {"P010 at its own size to I420 (depth step)", "P010_10LE", 10, 0, 0, "I420"},
        {"16:9 1080p I420 scaled to BGRx", "I420", 8, 1920, 1080, "BGRx"},
        {"4:3 I420 scaled to BGRx", "I420", 8, 640, 480, "BGRx"},
        {"I420 at twice the size to BGRx (halved where even)", "I420", 8, -2, -2, "BGRx"},
    };
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 17; ++w)
        for (int h = 1; h <= 17; ++h)
            sizes.emplace_back(w, h);
    for (auto odd : {std::pair{643, 482}, {1001, 620}, {1283, 962}, {1272, 712}, {1013, 760}})
        sizes.push_back(odd);
    const ::testing::TestResult* result =
        ::testing::UnitTest::GetInstance()->current_test_info()->result();
    for (const auto& row : rows) {
        const int failures = result->total_part_count();
        swscale_internal::FrameConverter converter;
        g_autoptr(GstBuffer) source = nullptr;
        std::string caps;
        for (const auto& [width, height] : sizes) {
            const int inWidth = row.width > 0 ? row.width : width * std::max(1, -row.width);
            const int inHeight = row.height > 0 ? row.height : height * std::max(1, -row.height);
            if (!source || row.width <= 0) {
                gst_clear_buffer(&source);
                caps = CapsOf(row.in, inWidth, inHeight);
                source = MakeFrame(
                    caps, [&](int c, int, int) { return (c == 0 ? 180 : 128) << (row.depth - 8); });
            }
            GstVideoInfo in = InfoOf(caps), out;
            gst_video_info_set_format(&out, gst_video_format_from_string(row.out), width, height);
            GstVideoFrame mapped;
            ASSERT_TRUE(gst_video_frame_map(&mapped, &in, source, GST_MAP_READ));
            GuardedFrame frame(out);
            uint8_t* dst[4] = {frame.Plane(0), frame.Plane(1), frame.Plane(2), frame.Plane(3)};
            const bool converted = converter.Convert(
                in, reinterpret_cast<const uint8_t* const*>(mapped.data), out, dst, true);
            gst_video_frame_unmap(&mapped);
            const std::string what = std::string(row.name) + " at " + std::to_string(width) + "x" +
                                     std::to_string(height);
            ASSERT_TRUE(converted) << what;
            EXPECT_EQ(frame.GuardsWritten(), 0) << what << ": bytes written outside the frame";
            if (GST_VIDEO_INFO_IS_YUV(&out))
                ExpectGreyPlanes(frame, what);
            else
                ExpectGreyPicture(frame, double(inWidth) / inHeight, row.width <= 0, what);
            if (result->total_part_count() > failures)
                break;  // one size is enough to say what is wrong
        }
    }
}

// A subtitle drawn beside the frame (rows of their own, read in place of the
// frame's): the converter gives, byte for byte, what it gives for the frame
// with those rows written into it, through each way it reads a frame
// (straight to RGB, a first step in YUV, a copy where rows have no room).
TEST_F(SwscaleConvert, ABandBesideTheFrameConvertsAsTheFrameWithItsRowsIn) {
    const struct {
        const char* name;
        const char* in;
        int width, height;  // of the input
        int strips[2][2];   // first row and rows of each strip (0 rows: none)
        int out[2];         // the BGRx output's size; none: the input's
    } rows[] = {
        {"I420 straight to RGB", "I420", 64, 48, {{10, 12}, {0, 0}}, {}},
        {"YV12, chroma planes swapped", "YV12", 64, 48, {{10, 12}, {0, 0}}, {}},
        {"NV12, made planar first", "NV12", 64, 48, {{10, 12}, {0, 0}}, {}},
        {"YUY2, packed", "YUY2", 64, 48, {{9, 12}, {0, 0}}, {}},
        {"I420 scaled down first", "I420", 96, 72, {{30, 20}, {0, 0}}, {64, 48}},
        {"band down to the last row", "I420", 64, 48, {{40, 8}, {0, 0}}, {}},
        {"odd height, band down to it", "I420", 64, 47, {{40, 7}, {0, 0}}, {}},
        {"odd width: a copy with the band over it", "I420", 37, 48, {{10, 12}, {0, 0}}, {}},
        {"I420, strips at top and bottom", "I420", 64, 48, {{4, 6}, {36, 8}}, {}},
        {"NV12, strips at top and bottom", "NV12", 64, 48, {{4, 6}, {36, 8}}, {}},
        {"strips on the first and the last row", "I420", 64, 48, {{0, 4}, {44, 4}}, {}},
        {"odd height, strips at both ends", "I420", 64, 47, {{0, 2}, {40, 7}}, {}},
        {"I420 halved by 2x2 blocks, two strips", "I420", 128, 96, {{10, 12}, {60, 36}}, {64, 48}},
        {"odd width, two strips over the copy", "I420", 37, 48, {{2, 6}, {30, 12}}, {}},
        {"shrunk 160 times across", "I420", 1280, 48, {{10, 12}, {0, 0}}, {8, 8}},
        {"shrunk 135 times down", "I420", 64, 1080, {{900, 100}, {0, 0}}, {64, 8}},
    };
    auto picture = [](int c, int x, int y) { return 20 + (c * 50 + x * 7 + y * 13) % 200; };
    auto text = [](int c, int x, int y) { return 30 + (c * 90 + x * 3 + y * 5) % 200; };
    for (const auto& row : rows) {
        const std::string caps = CapsOf(row.in, row.width, row.height);
        const GstVideoInfo in = InfoOf(caps);
        auto inBand = [&](int c, int y) {
            const int sub = GST_VIDEO_FORMAT_INFO_H_SUB(in.finfo, c);
            for (const auto& [first, count] : row.strips)
                if (count && y >= first >> sub && y < (first + count + (1 << sub) - 1) >> sub)
                    return true;
            return false;
        };
        g_autoptr(GstBuffer) frame = MakeFrame(caps, picture);
        g_autoptr(GstBuffer) band = MakeFrame(caps, text);
        g_autoptr(GstBuffer) whole = MakeFrame(caps, [&](int c, int x, int y) {
            return inBand(c, y) ? text(c, x, y) : picture(c, x, y);
        });
        GstVideoInfo out;
        gst_video_info_set_format(&out, GST_VIDEO_FORMAT_BGRx, row.out[0] ? row.out[0] : row.width,
                                  row.out[1] ? row.out[1] : row.height);
        GstVideoFrame f, b, w;
        ASSERT_TRUE(gst_video_frame_map(&f, &in, frame, GST_MAP_READ) &&
                    gst_video_frame_map(&b, &in, band, GST_MAP_READ) &&
                    gst_video_frame_map(&w, &in, whole, GST_MAP_READ));
        swscale_internal::FrameConverter::Band rowsBeside[2];
        int strips = 0;
        for (const auto& [first, count] : row.strips) {
            if (!count)
                continue;
            swscale_internal::FrameConverter::Band& strip = rowsBeside[strips++];
            strip.first = first;
            strip.rows = count;
            for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(&in); ++p) {
                gint comp[GST_VIDEO_MAX_COMPONENTS];
                gst_video_format_info_component(in.finfo, p, comp);
                const int sub = GST_VIDEO_FORMAT_INFO_H_SUB(in.finfo, comp[0]);
                strip.stride[p] = GST_VIDEO_FRAME_PLANE_STRIDE(&b, p);
                strip.data[p] = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&b, p)) +
                                size_t(strip.stride[p]) * size_t(first >> sub);
            }
        }
        GuardedFrame banded(out), expected(out);
        uint8_t* dst[4] = {banded.Plane(0)};
        uint8_t* want[4] = {expected.Plane(0)};
        swscale_internal::FrameConverter one, other;
        EXPECT_TRUE(one.Convert(in, reinterpret_cast<const uint8_t* const*>(f.data), out, dst, true,
                                rowsBeside, strips))
            << row.name;
        EXPECT_TRUE(
            other.Convert(in, reinterpret_cast<const uint8_t* const*>(w.data), out, want, true))
            << row.name;
        for (GstVideoFrame* m : {&f, &b, &w})
            gst_video_frame_unmap(m);
        EXPECT_EQ(banded.bytes, expected.bytes)
            << row.name << ": the first byte that differs at "
            << std::ranges::mismatch(banded.bytes, expected.bytes).in1 - banded.bytes.begin();
    }
}

// Every raw format a decoder here puts out plays through the converter the
// graph plugs for it (libswscale where it takes the format, videoconvert
// where not): a frame goes in, a frame comes out in what the mixer takes.
TEST_F(SwscaleConvert, EveryDecodedFormatPassesTheConverterThePlayerPlugs) {
    std::set<std::string> formats;
    GList* decoders = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO, GST_RANK_NONE);
    for (GList* d = decoders; d; d = d->next)
        for (const GList* t =
                 gst_element_factory_get_static_pad_templates(GST_ELEMENT_FACTORY(d->data));
             t; t = t->next) {
            auto* templ = static_cast<GstStaticPadTemplate*>(t->data);
            if (templ->direction != GST_PAD_SRC)
                continue;
            // Normalized: one structure per format of a list.
            g_autoptr(GstCaps) caps = gst_caps_normalize(gst_static_caps_get(&templ->static_caps));
            for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
                const GstStructure* s = gst_caps_get_structure(caps, i);
                const char* format = gst_structure_get_string(s, "format");
                if (gst_structure_has_name(s, "video/x-raw") && format)
                    formats.insert(format);
            }
        }
    gst_plugin_feature_list_free(decoders);
    ASSERT_GE(formats.size(), 20u) << "too few decoders to say anything";
    for (const std::string& format : formats) {
        const std::string caps = CapsOf(format.c_str(), 64, 64) + ", framerate=(fraction)25/1";
        g_autoptr(GstPad) pad = gst_pad_new("src", GST_PAD_SRC);
        gst_pad_set_active(pad, TRUE);
        gst_pad_push_event(pad, gst_event_new_stream_start("video"));
        gst_pad_push_event(pad, gst_event_new_caps(gst_caps_from_string(caps.c_str())));
        g_autoptr(GstElement) converter =
            gst_internal::MakeConverter(gst_internal::PlanConverter(pad));
        ASSERT_NE(converter, nullptr) << format;
        gst_object_ref_sink(converter);
        GstHarness* h = gst_harness_new_with_element(converter, "sink", "src");
        gst_harness_set_src_caps_str(h, caps.c_str());
        gst_harness_set_sink_caps_str(h, "video/x-raw, format=(string){ I420, BGRx }");
        const GstVideoInfo info = InfoOf(caps);
        GstBuffer* frame = gst_buffer_new_allocate(nullptr, info.size, nullptr);
        gst_buffer_memset(frame, 0, 0x80, info.size);
        const GstFlowReturn pushed = gst_harness_push(h, frame);
        EXPECT_EQ(pushed, GST_FLOW_OK) << format << ": " << gst_flow_get_name(pushed);
        if (pushed == GST_FLOW_OK)
            gst_buffer_unref(gst_harness_pull(h));
        gst_harness_teardown(h);
    }
}

// Black left of x 32, white from it; one pixel in four (odd x and y) at
// Y 235, Cb and Cr 192 among Y 16, Cb and Cr 128; the bars, a column each
// 16 wide in luma.
int Edge(int c, int x, int) {
    return c ? 128 : x < 32 ? 16 : 235;
}
int Sparse(int c, int x, int y) {
    return (x & y & 1) ? (c ? 192 : 235) : (c ? 128 : 16);
}
int Bars(int c, int x, int) {
    return kBt709[(x << (c ? 1 : 0)) / kBarWidth][c];
}

// Scaled without borders, the picture fills the frame top to bottom and is
// filtered, not sampled. At twice its size a hard edge from black to white
// gets a pixel each side of it a quarter and three quarters of the way
// (bilinear); halved exactly, each pixel is the mean of its 2x2 block, chroma
// too: one pixel in four at Y 235, Cb and Cr 192 among Y 16, Cb and Cr 128
// gives Y 71, Cb and Cr 144. Nearest neighbour, or a halving that reads part
// of its block, gives the pixels' own colours. A 16:9 picture stretched into
// a square frame shows no border above or below it.
TEST_F(SwscaleConvert, ScaledPicturesFillTheFrameAndAreFilteredNotSampled) {
    using Rgb = std::array<int, 3>;
    const Rgb black = {0, 0, 0}, white = {255, 255, 255}, grey = {191, 191, 191};
    const Rgb halved = {93, 52, 98};
    const struct {
        const char* name;
        int width, height, outWidth, outHeight;  // the input's and the output's size
        int (*value)(int c, int x, int y);
        int x;       // the first of four pixels in the top, middle and bottom rows
        Rgb rgb[4];  // their colours
    } rows[] = {
        {"twice the size", 64, 8, 128, 16, Edge, 62, {black, {64, 64, 64}, grey, white}},
        {"halved", 128, 32, 64, 16, Sparse, 30, {halved, halved, halved, halved}},
        {"16:9 stretched into a square", 128, 72, 128, 128, Bars, 6, {grey, grey, grey, grey}},
    };
    for (const auto& row : rows) {
        const std::string caps = CapsOf("I420", row.width, row.height);
        const QImage out = Convert(caps, MakeFrame(caps, row.value), row.outWidth, row.outHeight);
        ASSERT_EQ(out.width(), row.outWidth) << row.name;
        for (int y : {0, row.outHeight / 2, row.outHeight - 1})
            for (int i = 0; i < 4; ++i)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(RgbAt(out, row.x + i, y)[c], row.rgb[i][c], 3)
                        << row.name << ", at " << row.x + i << "," << y << ", component "
                        << "RGB"[c];
    }
}

// A decoder renders straight into the converter's input pool: the pictures
// it pushes share their memory with the ones libav keeps as references.
// Whoever writes into such a picture (here as the subtitle mixer does, after
// making the buffer writable) must get a copy: frame 10 painted white shows
// white in frame 10 only, and every other frame comes out as it does when
// nothing is painted. One decoder thread, as the player has up to 1080p30:
// frame 11 is decoded from frame 10 after it was painted (with frame
// threads it was decoded before).
struct DecodedRun {
    std::vector<QImage> frames;
    int shared = 0;  // frames that reached the converter sharing memory
};

DecodedRun DecodeStill(bool draw) {
    DecodedRun run;
    g_autoptr(GstElement) pipeline = gst_parse_launch(
        "videotestsrc num-buffers=20 pattern=smpte ! "
        "video/x-raw,format=I420,width=64,height=48,framerate=30/1 ! "
        "x264enc threads=1 bframes=0 key-int-max=100 ! h264parse ! tavimoh264dec ! "
        "tavimoswscale name=convert ! video/x-raw,format=BGRx ! fakesink name=out sync=false",
        nullptr);
    if (!pipeline)
        return run;
    struct Probe {
        DecodedRun* run;
        bool draw;
        int index = 0;
    } probe{&run, draw};
    g_autoptr(GstElement) convert = gst_bin_get_by_name(GST_BIN(pipeline), "convert");
    test::ProbePad(
        convert, "sink", GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
            auto* probe = static_cast<Probe*>(data);
            GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
            if (!gst_buffer_is_all_memory_writable(buffer))
                ++probe->run->shared;
            if (probe->draw && probe->index == 10) {
                buffer = gst_buffer_make_writable(buffer);
                g_autoptr(GstCaps) caps = gst_pad_get_current_caps(pad);
                GstVideoInfo vinfo;
                GstVideoFrame frame;
                if (gst_video_info_from_caps(&vinfo, caps) &&
                    gst_video_frame_map(&frame, &vinfo, buffer, GST_MAP_READWRITE)) {
                    for (guint plane = 0; plane < 3; ++plane)
                        std::memset(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane), plane ? 128 : 235,
                                    size_t(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane)) *
                                        GST_VIDEO_FRAME_COMP_HEIGHT(&frame, plane));
                    gst_video_frame_unmap(&frame);
                }
                GST_PAD_PROBE_INFO_DATA(info) = buffer;
            }
            ++probe->index;
            return GST_PAD_PROBE_OK;
        },
        &probe);
    g_autoptr(GstElement) sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    test::ProbePad(
        sink, "sink", GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad* pad, GstPadProbeInfo* info, gpointer data) {
            static_cast<DecodedRun*>(data)->frames.push_back(
                PictureOf(pad, GST_PAD_PROBE_INFO_BUFFER(info)));
            return GST_PAD_PROBE_OK;
        },
        &run);
    test::PlayToEnd(pipeline, 60);
    return run;
}

TEST_F(SwscaleConvert, DrawingIntoADirectlyDecodedPictureLeavesTheDecodersReferencesAlone) {
    if (!gst_registry_check_feature_version(gst_registry_get(), "x264enc", 1, 0, 0))
        GTEST_SKIP() << "x264enc is not installed";
    const DecodedRun plain = DecodeStill(false);
    const DecodedRun drawn = DecodeStill(true);
    ASSERT_EQ(plain.frames.size(), 20u);
    ASSERT_EQ(drawn.frames.size(), 20u);
    EXPECT_GT(plain.shared, 0) << "no frame was decoded into the converter's pool";
    for (size_t i = 0; i < 20; ++i) {
        const QImage& a = plain.frames[i];
        const QImage& b = drawn.frames[i];
        ASSERT_EQ(a.size(), b.size()) << "frame " << i;
        const bool same = a == b;
        if (i == 10) {
            EXPECT_FALSE(same) << "the block was not drawn";
            EXPECT_EQ(RgbAt(b, 30, 20), (std::array<int, 3>{255, 255, 255}));
        } else {
            EXPECT_TRUE(same) << "frame " << i << " differs from the run without drawing";
        }
    }
}

}  // namespace
}  // namespace tavimo
