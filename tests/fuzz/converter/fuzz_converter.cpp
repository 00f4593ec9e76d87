// libFuzzer target: the display's colour converter (FrameConverter) from any
// input format of its table at 1x1 to 320x320 into any output format at 1x1
// to 400x400, with or without borders, in any matrix and range. libswscale
// is not instrumented, so each frame is fenced by hand: a page no one may
// touch follows it (a read or write past it crashes), and the bytes in
// front of it and between its end and that page must keep the pattern they
// were given. The output frame ends where the page begins; the input has
// 64 bytes before it, as decoders' pictures have rows below the picture
// (libswscale reads a few bytes past the last row of some formats: RGB 64x36
// scaled to 1x97 did). Flag 64 gives a strip of other rows over the middle
// third of the picture, fenced too, as the mixer hands its drawing over (in
// slices, libswscale followed a wild pointer shrinking 320 columns into 2).
// The input is
//   [in format] [out format] [in w, h] [out w, h as 2 bytes each] [flags] [pixels...]
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "engine/media/swscale_formats.h"

namespace {

using tavimo::swscale_internal::FormatRow;
using tavimo::swscale_internal::kFormats;

constexpr uint8_t kPattern = 0xa7;

// `size` bytes, 16-byte aligned, then `slack` more (less than 16 of them
// where the alignment takes them), then a page no one may touch; the
// pattern all around them.
class Fenced {
  public:
    Fenced(size_t size, size_t slack) : size_(size) {
        page_ = size_t(sysconf(_SC_PAGESIZE));
        span_ = (size + slack + 64 + page_ - 1) / page_ * page_;
        base_ = static_cast<uint8_t*>(mmap(nullptr, span_ + page_, PROT_READ | PROT_WRITE,
                                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (base_ == MAP_FAILED || mprotect(base_ + span_, page_, PROT_NONE) != 0)
            abort();
        std::memset(base_, kPattern, span_);
        data_ = base_ + ((span_ - size - slack) & ~size_t(15));
    }
    ~Fenced() { munmap(base_, span_ + page_); }
    Fenced(const Fenced&) = delete;
    Fenced& operator=(const Fenced&) = delete;
    uint8_t* data() { return data_; }
    // Whether the bytes around the frame still hold the pattern.
    bool Untouched() const {
        for (const uint8_t* p = base_; p < base_ + span_; ++p)
            if ((p < data_ || p >= data_ + size_) && *p != kPattern)
                return false;
        return true;
    }

  private:
    size_t size_, page_ = 0, span_ = 0;
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
};

// The rows of the table libswscale here takes as input (`input`) or gives.
std::vector<const FormatRow*> Usable(bool input) {
    std::vector<const FormatRow*> rows;
    for (const FormatRow& row : kFormats)
        if (input ? row.in && sws_isSupportedInput(row.av)
                  : row.out && sws_isSupportedOutput(row.av))
            rows.push_back(&row);
    return rows;
}

int SizeAt(const uint8_t* data, int most) {
    return 1 + (data[0] | data[1] << 8) % most;
}

// A strip over the middle third of `in`'s rows, on whole rows of any
// chroma, read from `rows` (laid out as `in`); none where the picture is
// too short for one.
int MiddleStrip(const GstVideoInfo& in, const uint8_t* rows,
                tavimo::swscale_internal::FrameConverter::Band& strip) {
    constexpr int kStep = 4;  // the tallest chroma row of the table
    strip.first = in.height / 3 / kStep * kStep;
    strip.rows = std::min(in.height, strip.first + std::max(kStep, strip.first)) - strip.first;
    if (strip.first == 0 || strip.rows <= 0)
        return 0;
    for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(&in); ++p) {
        gint comp[GST_VIDEO_MAX_COMPONENTS];
        gst_video_format_info_component(in.finfo, p, comp);
        const int sub = GST_VIDEO_FORMAT_INFO_H_SUB(in.finfo, comp[0]);
        strip.stride[p] = GST_VIDEO_INFO_PLANE_STRIDE(&in, p);
        strip.data[p] = rows + in.offset[p] + size_t(strip.stride[p]) * size_t(strip.first >> sub);
    }
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<const FormatRow*> ins = Usable(true), outs = Usable(false);
    constexpr size_t kHeader = 11;
    if (size < kHeader)
        return 0;
    const GstVideoColorMatrix matrices[] = {
        GST_VIDEO_COLOR_MATRIX_BT601, GST_VIDEO_COLOR_MATRIX_BT709, GST_VIDEO_COLOR_MATRIX_BT2020};
    GstVideoInfo in, out;
    gst_video_info_set_format(&in, ins[data[0] % ins.size()]->gst, SizeAt(data + 2, 320),
                              SizeAt(data + 4, 320));
    gst_video_info_set_format(&out, outs[data[1] % outs.size()]->gst, SizeAt(data + 6, 400),
                              SizeAt(data + 8, 400));
    const uint8_t flags = data[10];
    in.colorimetry.matrix = matrices[(flags >> 1) % 3];
    in.colorimetry.range = flags & 8 ? GST_VIDEO_COLOR_RANGE_0_255 : GST_VIDEO_COLOR_RANGE_16_235;
    in.par_n = flags & 16 ? 4 : 1;
    in.par_d = flags & 32 ? 3 : 1;
    Fenced source(in.size, 64), other(in.size, 64), target(out.size, 0);
    for (size_t i = 0; i < in.size; ++i) {
        source.data()[i] = size > kHeader ? data[kHeader + i % (size - kHeader)] : 0;
        other.data()[i] = uint8_t(~source.data()[i]);
    }
    tavimo::swscale_internal::FrameConverter::Band strip;
    const int strips = flags & 64 ? MiddleStrip(in, other.data(), strip) : 0;
    const uint8_t* src[4] = {};
    uint8_t* dst[4] = {};
    for (int p = 0; p < 4; ++p) {
        src[p] = source.data() + in.offset[p];
        dst[p] = target.data() + out.offset[p];
    }
    tavimo::swscale_internal::FrameConverter converter;
    converter.Convert(in, src, out, dst, flags & 1, &strip, strips);
    if (!source.Untouched() || !other.Untouched() || !target.Untouched())
        abort();
    return 0;
}
