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

// White text and its outline are greys; only styled SubRip text has colours.
bool IsGrey(QRgb p) {
    return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
}

// Coloured text on YUV frames: full-range BT.601 luma and chroma of a bitmap
// pixel. Greys come out as Y = their level, U = V = 128, so white text and
// its outline are written as the plain rules write them.
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

// The chroma rows of a 4:2:0 frame that text writes into; `step` is 2 where
// Cb and Cr alternate in one plane (NV12).
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

// White text and its outline: neutral chroma (128) for every chroma sample
// whose 2x2 luma block the run [x0, x1) of luma row `row` touches, so that the
// text stays white and the outline near black over any picture.
void WriteNeutralChroma(const ChromaRows& c, int32_t row, int32_t x0, int32_t x1) {
    const int32_t first = x0 / 2;
    const auto count = static_cast<size_t>((x1 - 1) / 2 - first + 1);
    uint8_t* cb = c.cb + int64_t{row / 2} * c.cbStride + int64_t{first} * c.step;
    if (c.step == 2) {
        std::memset(cb, 128, 2 * count);  // Cb and Cr interleaved, both 128
        return;
    }
    std::memset(cb, 128, count);
    std::memset(c.cr + int64_t{row / 2} * c.crStride + first, 128, count);
}

// Chroma of one run of coloured text: each pixel's own where it has a colour,
// neutral for greys (white, the outline and the edges blended between them).
void WriteChroma(const ChromaRows& c, int32_t row, const QRgb* src, int32_t x0, int32_t x1) {
    uint8_t* cb = c.cb + int64_t{row / 2} * c.cbStride;
    uint8_t* cr = c.cr + int64_t{row / 2} * c.crStride;
    for (int32_t x = x0; x < x1; ++x) {
        const bool colour = qAlpha(src[x]) != 0;
        cb[(x / 2) * c.step] = colour ? static_cast<uint8_t>(qGreen(src[x])) : 128;
        cr[(x / 2) * c.step] = colour ? static_cast<uint8_t>(qRed(src[x])) : 128;
    }
}

// Coloured text on 24-bit frames, in the frame's byte order; greys come out
// as the plain rule writes them.
void WriteBgrColour(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        uint8_t* p = dst + 3 * x;
        p[0] = static_cast<uint8_t>(qBlue(src[x]));
        p[1] = static_cast<uint8_t>(qGreen(src[x]));
        p[2] = static_cast<uint8_t>(qRed(src[x]));
    }
}

void WriteRgbColour(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        uint8_t* p = dst + 3 * x;
        p[0] = static_cast<uint8_t>(qRed(src[x]));
        p[1] = static_cast<uint8_t>(qGreen(src[x]));
        p[2] = static_cast<uint8_t>(qBlue(src[x]));
    }
}

// Coloured text on 16-bit frames: greys by the plain rule (white, else the
// near-black 0x0001), colours packed with red in the top bits; `greenBits`
// is 6 for 5:6:5 and 5 for 5:5:5.
template <int greenBits>
void WriteRgb16Colour(uint8_t* dst, const QRgb* src, int32_t x0, int32_t x1) {
    for (int32_t x = x0; x < x1; ++x) {
        const QRgb p = src[x];
        uint16_t v = qBlue(p) == 255 ? 0xFFFF : 0x0001;
        if (!IsGrey(p)) {
            v = static_cast<uint16_t>(((qRed(p) >> 3) << (5 + greenBits)) |
                                      ((qGreen(p) >> (8 - greenBits)) << 5) | (qBlue(p) >> 3));
        }
        std::memcpy(dst + 2 * x, &v, sizeof v);
    }
}

// How each subtype is written: the bytes per pixel of plane 0, whether coloured text is first
// encoded as YUV (see EncodeColours), the writer of white text and its outline, and the writer once
// the text has other colours.
struct SubtypeRule {
    VideoSubtype subtype;
    int32_t bytesPerPixel;
    bool yuv;
    RunWriter plain;
    RunWriter colour;
};

constexpr SubtypeRule kRules[] = {
    {VideoSubtype::YUY2, 2, true, WriteYuy2, WriteYuy2Colour},
    {VideoSubtype::RGB24, 3, false, WriteRgb24, WriteBgrColour},
    {VideoSubtype::RGB24RedFirst, 3, false, WriteRgb24, WriteRgbColour},
    {VideoSubtype::RGB32, 4, false, WriteRgb32, WriteRgb32},
    {VideoSubtype::RGB565, 2, false, WriteRgb16, WriteRgb16Colour<6>},
    {VideoSubtype::RGB555, 2, false, WriteRgb16, WriteRgb16Colour<5>},
    {VideoSubtype::YV12, 1, true, WriteLuma, WriteLuma},
    {VideoSubtype::I420, 1, true, WriteLuma, WriteLuma},
    {VideoSubtype::NV12, 1, true, WriteLuma, WriteLuma},
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
    if (rule.subtype == VideoSubtype::YUY2) {
        return 4 * ((int64_t{width} + 1) / 2);
    }
    return int64_t{width} * rule.bytesPerPixel;
}

// `rows` rows of `rowBytes` of `plane` from memory row `first` on.
std::vector<uint8_t> CopyRows(const uint8_t* plane, int32_t stride, int32_t first, int32_t rows,
                              int64_t rowBytes) {
    std::vector<uint8_t> out(static_cast<size_t>(rows) * static_cast<size_t>(rowBytes));
    for (int32_t i = 0; i < rows; ++i) {
        std::memcpy(out.data() + static_cast<size_t>(i) * static_cast<size_t>(rowBytes),
                    plane + static_cast<int64_t>(first + i) * stride,
                    static_cast<size_t>(rowBytes));
    }
    return out;
}

// Memory rows `first`..`last` of plane 0, copied into `under`, and the
// chroma rows under them where `chroma` names 4:2:0 planes.
void KeepRows(const VideoPlanes& frame, int32_t first, int32_t last, int64_t rowBytes,
              const ChromaRows& chroma, int32_t width, NoteUnder* under) {
    under->rows = last < first ? 0 : last - first + 1;
    under->firstRow = under->rows ? first : 0;
    under->rowBytes = static_cast<int32_t>(rowBytes);
    under->bytes = CopyRows(frame.data[0], frame.stride[0], first, under->rows, rowBytes);
    if (chroma.cb == nullptr || under->rows == 0) {
        return;
    }
    under->chromaFirstRow = first / 2;
    under->chromaRows = last / 2 - first / 2 + 1;
    under->chromaRowBytes = chroma.step * ((width + 1) / 2);
    for (int p = 0; p < (chroma.step == 2 ? 1 : 2); ++p) {
        under->chroma[p] = CopyRows(frame.data[p + 1], frame.stride[p + 1], under->chromaFirstRow,
                                    under->chromaRows, under->chromaRowBytes);
    }
}

}  // namespace

// For YUV frames, coloured text is turned into Y (blue), Cb (green) and Cr
// (red) once per drawing, so that every frame only copies; alpha 255 marks
// a colour, 0 a grey, whose chroma is written neutral. Greys keep their bytes.
void CSubtitles::EncodeColours() {
    const SubtypeRule* rule = RuleFor(accepted_->subtype);
    if (!coloured_ || rule == nullptr || !rule->yuv) {
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

// Once per drawing, for white text on 4:2:0 frames: the runs' luma bytes in a row of
// their own, so that a frame copies them where it took one call a run to
// pick the blue byte out of each bitmap pixel, and their chroma merged per
// chroma row, written once instead of once for each of its two luma rows.
void CSubtitles::PackSpans() {
    spanLuma_.clear();
    chromaSpans_.clear();
    const SubtypeRule* rule = accepted_ ? RuleFor(accepted_->subtype) : nullptr;
    if (rule == nullptr || !rule->yuv || rule->bytesPerPixel != 1 || coloured_) {
        return;  // coloured text keeps the run by run writers
    }
    for (const Span& span : spans_) {
        const auto* row = reinterpret_cast<const QRgb*>(bitmap_.constScanLine(span.row));
        for (int32_t x = span.x0; x < span.x1; ++x) {
            spanLuma_.push_back(static_cast<uint8_t>(qBlue(row[x])));
        }
    }
    // Each run touches chroma samples x0 / 2 to (x1 - 1) / 2; the runs of one
    // chroma row come from two luma rows, merged where they meet or overlap.
    std::vector<Span> runs;
    for (size_t i = 0; i < spans_.size();) {
        const int32_t chromaRow = spans_[i].row / 2;
        runs.clear();
        for (; i < spans_.size() && spans_[i].row / 2 == chromaRow; ++i) {
            runs.push_back(Span{2 * chromaRow, spans_[i].x0 / 2, (spans_[i].x1 - 1) / 2 + 1});
        }
        std::sort(runs.begin(), runs.end(),
                  [](const Span& a, const Span& b) { return a.x0 < b.x0; });
        for (const Span& run : runs) {
            if (!chromaSpans_.empty() && chromaSpans_.back().row == run.row &&
                run.x0 <= chromaSpans_.back().x1) {
                chromaSpans_.back().x1 = std::max(chromaSpans_.back().x1, run.x1);
            } else {
                chromaSpans_.push_back(run);
            }
        }
    }
}

// The entry's packed runs (PackSpans) into a 4:2:0 frame whose size holds
// the whole bitmap, so no run is cut; chroma as each run would write it.
void CSubtitles::BlendPacked(const VideoPlanes& frame, const ChromaPlanes& chroma) const {
    size_t at = 0;
    for (const Span& span : spans_) {
        const auto length = static_cast<size_t>(span.x1 - span.x0);
        if (span.row >= frame.firstRow && span.row < frame.endRow) {
            std::memcpy(frame.data[0] + int64_t{span.row} * frame.stride[0] + span.x0,
                        spanLuma_.data() + at, length);
        }
        at += length;
    }
    if (chroma.cb == nullptr) {
        return;
    }
    for (const Span& run : chromaSpans_) {
        if (run.row < frame.firstRow || run.row >= frame.endRow) {
            continue;
        }
        const auto count = static_cast<size_t>(run.x1 - run.x0);
        uint8_t* cb =
            chroma.cb + int64_t{run.row / 2} * chroma.cbStride + int64_t{run.x0} * chroma.step;
        if (chroma.step == 2) {
            std::memset(cb, 128, 2 * count);  // Cb and Cr interleaved, both 128
            continue;
        }
        std::memset(cb, 128, count);
        std::memset(chroma.cr + int64_t{run.row / 2} * chroma.crStride + run.x0, 128, count);
    }
}

void CSubtitles::Blend(const VideoPlanes& frame, NoteUnder* under) const {
    if (under != nullptr) {
        *under = NoteUnder{};
    }
    if (blendAss_) {
        ass_->Blend(frame);
    }
    const SubtypeRule* rule = accepted_ ? RuleFor(accepted_->subtype) : nullptr;
    if (rule == nullptr || frame.data[0] == nullptr || (!blendEntry_ && !blendNotice_)) {
        return;  // no rule: the frame passes unchanged
    }
    const int32_t frameW = accepted_->width;
    const int32_t frameH = accepted_->height;
    if (frame.stride[0] < RowBytes(*rule, frameW)) {
        return;
    }
    const RunWriter entryWriter = coloured_ ? rule->colour : rule->plain;
    // 4:2:0 frames (plane 0 holds luma alone) take the text's chroma apart.
    const ChromaRows chroma = rule->yuv && rule->bytesPerPixel == 1
                                  ? ChromaOf(frame, accepted_->subtype, frameW)
                                  : ChromaRows{};
    // Only the rows and columns the bitmap and the frame share are blended.
    auto blendSpans = [&](const std::vector<Span>& spans, const QImage& bitmap, bool entry) {
        const RunWriter write = entry ? entryWriter : rule->plain;
        for (const Span& span : spans) {
            if (span.row >= frameH || span.x0 >= frameW) {
                continue;
            }
            if (span.row < frame.firstRow || span.row >= frame.endRow) {
                continue;
            }
            uint8_t* dst = frame.data[0] + int64_t{span.row} * frame.stride[0];
            const auto* src = reinterpret_cast<const QRgb*>(bitmap.constScanLine(span.row));
            const int32_t x1 = std::min(span.x1, frameW);
            write(dst, src, span.x0, x1);
            if (chroma.cb == nullptr) {
                continue;
            }
            if (entry && coloured_) {
                WriteChroma(chroma, span.row, src, span.x0, x1);
            } else {
                WriteNeutralChroma(chroma, span.row, span.x0, x1);
            }
        }
    };
    // White text on 4:2:0 frames (the common case) from its packed runs.
    const bool packed = rule->yuv && rule->bytesPerPixel == 1 && !coloured_ && !spanLuma_.empty() &&
                        bitmap_.width() <= frameW && bitmap_.height() <= frameH;
    if (blendEntry_ && packed) {
        BlendPacked(frame, ChromaPlanes{chroma.cb, chroma.cr, chroma.cbStride, chroma.crStride,
                                        chroma.step});
    } else if (blendEntry_) {
        blendSpans(spans_, bitmap_, true);
    }
    if (blendNotice_) {
        if (under != nullptr) {
            int32_t first = frameH, last = -1;
            for (const Span& span : noticeSpans_) {
                if (span.row < frameH) {
                    first = std::min(first, span.row);
                    last = std::max(last, span.row);
                }
            }
            if (first >= frame.firstRow && last < frame.endRow) {  // else another strip's
                KeepRows(frame, first, last, RowBytes(*rule, frameW), chroma, frameW, under);
            }
        }
        blendSpans(noticeSpans_, noticeBitmap_, false);
    }
}

bool CSubtitles::Writes(VideoSubtype subtype) {
    return RuleFor(subtype) != nullptr;
}

}  // namespace tavimo
