// CSubtitles' per-format writers: how the text bitmap's runs are copied into
// a frame of each pixel layout, and the one-off YUV encoding of coloured
// text.
#include "subtitles/subtitle_mixer.h"

#include "subtitles/ass_render.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tavimo {
namespace {

// Coloured text (styled SubRip) on YUV frames: full-range BT.601 luma and
// chroma of a bitmap pixel. Greys come out as Y = their level, U = V = 128,
// so white text and its outline are written as the plain rules write them.
bool IsGrey(QRgb p) {
    return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
}
uint8_t LumaOf(QRgb p) {
    return static_cast<uint8_t>((77 * qRed(p) + 150 * qGreen(p) + 29 * qBlue(p) + 128) >> 8);
}
uint8_t CbOf(QRgb p) {
    return static_cast<uint8_t>(128 +
                                ((-43 * qRed(p) - 85 * qGreen(p) + 128 * qBlue(p) + 128) >> 8));
}
uint8_t CrOf(QRgb p) {
    return static_cast<uint8_t>(128 +
                                ((128 * qRed(p) - 107 * qGreen(p) - 21 * qBlue(p) + 128) >> 8));
}

// The rule a subtype blends by, and the bytes per pixel of its plane 0.
enum class BlendRule { None, Yuy2, Rgb24, Rgb32, Rgb16, Luma };

struct SubtypeRule {
    VideoSubtype subtype;
    BlendRule rule;
    int32_t bytesPerPixel;
    bool bottomUpWhenPositive;
};

constexpr SubtypeRule kRules[] = {
    {VideoSubtype::YUY2, BlendRule::Yuy2, 2, false},
    {VideoSubtype::RGB24, BlendRule::Rgb24, 3, true},
    {VideoSubtype::RGB32, BlendRule::Rgb32, 4, true},
    {VideoSubtype::RGB565, BlendRule::Rgb16, 2, true},
    {VideoSubtype::RGB555, BlendRule::Rgb16, 2, true},
    {VideoSubtype::YV12, BlendRule::Luma, 1, false},
    {VideoSubtype::I420, BlendRule::Luma, 1, false},
    {VideoSubtype::NV12, BlendRule::Luma, 1, false},
};

const SubtypeRule* RuleFor(VideoSubtype subtype) {
    for (const SubtypeRule& r : kRules) {
        if (r.subtype == subtype) {
            return &r;
        }
    }
    return nullptr;
}

// Bytes one image row of `width` pixels needs in plane 0 (a YUY2 row holds
// whole pixel pairs).
int64_t RowBytes(const SubtypeRule& rule, int32_t width) {
    if (rule.rule == BlendRule::Yuy2) {
        return 4 * ((int64_t{width} + 1) / 2);
    }
    return int64_t{width} * rule.bytesPerPixel;
}

// Per-rule writers of one run of text pixels [x0, x1) of bitmap row `src`
// into frame row `dst`. Every pixel of a run has a non-zero blue byte.
using RunWriter = void (*)(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1);

void WriteYuy2(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        dst[2 * x] = static_cast<uint8_t>(qBlue(src[x]));
        uint8_t* pair = dst + 4 * (x / 2);
        pair[1] = 128;
        pair[3] = 128;
    }
}

void WriteRgb24(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        const auto s = static_cast<uint8_t>(qBlue(src[x]));
        dst[3 * x] = s;
        dst[3 * x + 1] = s;
        dst[3 * x + 2] = s;
    }
}

void WriteRgb32(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        // Memory order blue, green, red, fourth byte, as the bitmap holds it.
        uint8_t* p = dst + 4 * x;
        p[0] = static_cast<uint8_t>(qBlue(src[x]));
        p[1] = static_cast<uint8_t>(qGreen(src[x]));
        p[2] = static_cast<uint8_t>(qRed(src[x]));
        p[3] = static_cast<uint8_t>(qAlpha(src[x]));
    }
}

void WriteRgb16(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        const uint16_t v = qBlue(src[x]) == 255 ? 0xFFFF : 0x0001;
        std::memcpy(dst + 2 * x, &v, sizeof v);
    }
}

void WriteLuma(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        dst[x] = static_cast<uint8_t>(qBlue(src[x]));
    }
}

// Coloured text on YUV frames: the bitmap holds each pixel already encoded
// (see EncodeColours); alpha 255 marks the pixels whose colour is not a grey.
void WriteYuy2Colour(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        uint8_t* pair = dst + 4 * (x / 2);
        const bool colour = qAlpha(src[x]) != 0;
        dst[2 * x] = static_cast<uint8_t>(qBlue(src[x]));
        pair[1] = colour ? static_cast<uint8_t>(qGreen(src[x])) : 128;
        pair[3] = colour ? static_cast<uint8_t>(qRed(src[x])) : 128;
    }
}

// The chroma rows of a 4:2:0 frame that coloured pixels write into; `step`
// is 2 where Cb and Cr alternate in one plane (NV12).
struct ChromaRows {
    uint8_t* cb = nullptr;
    uint8_t* cr = nullptr;
    int32_t cbStride = 0, crStride = 0, step = 1;
};

ChromaRows ChromaOf(const VideoPlanes& frame, VideoSubtype subtype, int32_t width) {
    const int32_t half = (width + 1) / 2;
    ChromaRows c;
    if (subtype == VideoSubtype::NV12 && frame.data[1] != nullptr && frame.stride[1] >= 2 * half) {
        c = {frame.data[1], frame.data[1] + 1, frame.stride[1], frame.stride[1], 2};
    } else if (subtype != VideoSubtype::NV12 && frame.data[1] != nullptr &&
               frame.data[2] != nullptr && frame.stride[1] >= half && frame.stride[2] >= half) {
        const int cb = subtype == VideoSubtype::YV12 ? 2 : 1;  // YV12 keeps Cr first
        c = {frame.data[cb], frame.data[3 - cb], frame.stride[cb], frame.stride[3 - cb], 1};
    }
    return c;
}

// Chroma of the coloured pixels of one run; greys leave the frame's chroma.
void WriteChroma(const ChromaRows& c, int32_t row, const QRgb* src, int32_t x0, int32_t x1) {
    uint8_t* cb = c.cb + int64_t{row / 2} * c.cbStride;
    uint8_t* cr = c.cr + int64_t{row / 2} * c.crStride;
    for (int32_t x = x0; x < x1; ++x) {
        if (qAlpha(src[x]) != 0) {
            cb[(x / 2) * c.step] = static_cast<uint8_t>(qGreen(src[x]));
            cr[(x / 2) * c.step] = static_cast<uint8_t>(qRed(src[x]));
        }
    }
}

RunWriter WriterFor(BlendRule rule) {
    switch (rule) {
        case BlendRule::Yuy2:
            return WriteYuy2;
        case BlendRule::Rgb24:
            return WriteRgb24;
        case BlendRule::Rgb32:
            return WriteRgb32;
        case BlendRule::Rgb16:
            return WriteRgb16;
        case BlendRule::Luma:
            return WriteLuma;
        case BlendRule::None:
            break;
    }
    return nullptr;
}

// Writers for a bitmap whose coloured text EncodeColours has turned into YUV.
RunWriter ColourWriterFor(BlendRule rule) {
    return rule == BlendRule::Yuy2   ? WriteYuy2Colour
           : rule == BlendRule::Luma ? WriteLuma
                                     : nullptr;
}

}  // namespace

// For YUV frames, coloured text is turned into Y (blue), Cb (green) and Cr
// (red) once per drawing, so that every frame only copies; alpha 255 marks
// a colour, 0 a grey, whose chroma the frame keeps. Greys keep their bytes.
void CSubtitles::EncodeColours() {
    const SubtypeRule* rule = RuleFor(accepted_->subtype);
    if (!coloured_ || rule == nullptr ||
        (rule->rule != BlendRule::Yuy2 && rule->rule != BlendRule::Luma)) {
        return;
    }
    for (const Span& span : spans_) {
        auto* row = reinterpret_cast<QRgb*>(bitmap_.scanLine(span.row));
        for (int32_t x = span.x0; x < span.x1; ++x) {
            const QRgb p = row[x];
            row[x] = qRgba(CrOf(p), CbOf(p), LumaOf(p), IsGrey(p) ? 0 : 255);
        }
    }
}

void CSubtitles::Blend(const VideoPlanes& frame) const {
    if (blendAss_) {
        ass_->Blend(frame);
    }
    const SubtypeRule* rule = accepted_ ? RuleFor(accepted_->subtype) : nullptr;
    if (rule == nullptr || frame.data[0] == nullptr || (!blendEntry_ && !blendNotice_)) {
        return;  // no rule: the frame passes unchanged
    }
    const int32_t frameW = accepted_->width;
    const int32_t frameH = std::abs(accepted_->height);
    if (frame.stride[0] < RowBytes(*rule, frameW)) {
        return;
    }
    const bool bottomUp = rule->bottomUpWhenPositive && accepted_->height > 0;
    const RunWriter plain = WriterFor(rule->rule);
    const RunWriter colour = coloured_ ? ColourWriterFor(rule->rule) : nullptr;
    const ChromaRows chroma = coloured_ && rule->rule == BlendRule::Luma
                                  ? ChromaOf(frame, accepted_->subtype, frameW)
                                  : ChromaRows{};
    // Only the rows and columns the bitmap and the frame share are blended.
    auto blendSpans = [&](const std::vector<Span>& spans, const QImage& bitmap, bool entry) {
        const RunWriter write = entry && colour != nullptr ? colour : plain;
        for (const Span& span : spans) {
            if (span.row >= frameH || span.x0 >= frameW) {
                continue;
            }
            const int64_t memoryRow = bottomUp ? frameH - 1 - span.row : span.row;
            uint8_t* dst = frame.data[0] + memoryRow * frame.stride[0];
            const auto* src = reinterpret_cast<const QRgb*>(bitmap.constScanLine(span.row));
            write(dst, src, span.x0, std::min(span.x1, frameW));
            if (entry && chroma.cb != nullptr) {
                WriteChroma(chroma, span.row, src, span.x0, std::min(span.x1, frameW));
            }
        }
    };
    if (blendEntry_) {
        blendSpans(spans_, bitmap_, true);
    }
    if (blendNotice_) {
        blendSpans(noticeSpans_, noticeBitmap_, false);
    }
}

}  // namespace tavimo
