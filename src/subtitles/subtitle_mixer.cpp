#include "subtitles/subtitle_mixer.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tavimo {
namespace {

constexpr QRgb kOutlineColour = qRgb(1, 1, 1);
constexpr QRgb kBodyColour = qRgb(255, 255, 255);
// The outline is the text drawn at the four diagonal neighbours, in this order.
constexpr int kOutlineOffsets[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
// The delay notice stands this many pixels from the picture's top and left.
constexpr int32_t kNoticeMargin = 8;

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

// Frame rate of a frame: from its duration and the rate applied to its
// times, else the format's, else 0 (unknown).
double FrameRate(const FrameTime& time) {
    const double rate = std::abs(time.rate);
    if (time.duration > 0 && rate > 0) {
        return 10'000'000.0 / static_cast<double>(time.duration) / rate;
    }
    return time.fallbackFps > 0 ? time.fallbackFps : 0.0;
}

int CountLines(const std::string& text) {
    return text.empty() ? 0 : 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

CSubtitles::CSubtitles(const SubtitleTrack& track, MixerShared& shared)
    : track_(track), shared_(shared) {}

CSubtitles::~CSubtitles() = default;

MixResult CSubtitles::CheckInputType(const VideoFormat& format) {
    if (format.width <= 0 || format.height == 0 || format.height == INT32_MIN) {
        return MixResult::TypeNotAccepted;
    }
    accepted_ = format;
    if (layoutWidth_ == 0) {
        layoutWidth_ = format.width;
    }
    return MixResult::Ok;
}

MixResult CSubtitles::Transform(const VideoPlanes& frame, const FrameTime& time) {
    if (!accepted_) {
        return MixResult::Ok;
    }
    if (frame.data[0] == nullptr) {
        return MixResult::Drop;  // a frame without its pixels is not delivered
    }
    if (Prepare(time)) {
        Blend(frame);
    }
    return MixResult::Ok;
}

bool CSubtitles::EnsureBitmap() {
    if (!bitmap_.isNull()) {
        return true;
    }
    // Zeroed memory from calloc, filled a row at a time when text first
    // reaches it: only those rows ever become resident, not the whole frame
    // (8 MB at 1080p).
    const int32_t width = accepted_->width;
    const int32_t height = std::abs(accepted_->height);
    const qsizetype bytesPerLine = qsizetype{width} * 4;
    void* pixels = std::calloc(static_cast<size_t>(height), static_cast<size_t>(bytesPerLine));
    if (pixels == nullptr) {
        return false;  // the next frame tries again
    }
    bitmap_ = QImage(
        static_cast<uchar*>(pixels), width, height, bytesPerLine, QImage::Format_RGB32,
        [](void* p) { std::free(p); }, pixels);
    rowFilled_.assign(static_cast<size_t>(height), 0);
    spans_.reserve(4096);
    dirtyFirst_ = 0;
    dirtyLast_ = -1;
    return true;
}

bool CSubtitles::Prepare(const FrameTime& time) {
    blendEntry_ = PrepareEntry(time);
    blendNotice_ = PrepareNotice();
    return blendEntry_ || blendNotice_;
}

bool CSubtitles::PrepareEntry(const FrameTime& time) {
    if (!accepted_ || shared_.ViewSubtitles.load(std::memory_order_relaxed) == 0) {
        return false;
    }
    if (!EnsureBitmap()) {
        return false;
    }
    const SubtitleTrack::Snapshot entries = track_.Current();
    if (entries->empty() || !time.valid) {
        return false;
    }
    // Every entry shows `delay` ms later: look up the time that much earlier.
    // The cursor only moves forward, so a new delay looks from the start.
    const int delay = shared_.SubtitleDelay.load(std::memory_order_relaxed);
    if (delay != lookupDelay_) {
        lookupDelay_ = delay;
        cursor_ = 0;
    }
    const int64_t t = time.start / 10'000 - delay;
    const int index = FindEntryAt(*entries, t, FrameRate(time), cursor_);
    if (index == kNoEntry) {
        return false;
    }
    const SubtitleEntry& entry = (*entries)[static_cast<size_t>(index)];
    RefreshFont();
    const int32_t lines = std::max<int32_t>(0, entry.lines);
    const bool styled = shared_.SubtitleStyles.load(std::memory_order_relaxed) != 0;
    const int32_t top = styled && StylesOf(entry.text).top ? TopPlacement(lines * lineHeight_)
                                                           : ClampedTop(lines * lineHeight_);
    if (!drawn_.valid || drawn_.top != top || drawn_.lines != lines ||
        drawn_.fontGeneration != fontGeneration_ || drawn_.styled != styled ||
        drawn_.text != entry.text) {
        Redraw(entry.text, lines, top, styled);
    }
    return !spans_.empty();
}

bool CSubtitles::PrepareNotice() {
    if (!accepted_) {
        return false;
    }
    const uint64_t generation = shared_.Note.Generation();
    if (generation != noticeDrawn_.noteGeneration || !noticeDrawn_.valid) {
        shared_.Note.Copy(noticeText_);
    }
    if (noticeText_.empty()) {
        noticeDrawn_ = NoticeKey{generation, fontGeneration_, true};
        return false;
    }
    RefreshFont();
    if (!noticeDrawn_.valid || noticeDrawn_.noteGeneration != generation ||
        noticeDrawn_.fontGeneration != fontGeneration_ ||
        noticeBitmap_.width() != accepted_->width) {
        RedrawNotice(generation);
    }
    return !noticeSpans_.empty();
}

// The note in the subtitle font and colours, at the top left, drawn whether
// or not a subtitle is due.
void CSubtitles::RedrawNotice(uint64_t noteGeneration) {
    noticeDrawn_ = NoticeKey{noteGeneration, fontGeneration_, true};
    noticeSpans_.clear();
    const int32_t height =
        std::min<int32_t>(std::abs(accepted_->height), kNoticeMargin + 2 * lineHeight_);
    if (noticeBitmap_.width() != accepted_->width || noticeBitmap_.height() != height) {
        noticeBitmap_ = QImage(accepted_->width, height, QImage::Format_RGB32);
    }
    if (noticeBitmap_.isNull()) {
        return;
    }
    noticeBitmap_.fill(0u);
    const QFont font = font_ ? *font_ : QFont();
    const QString text = QString::fromStdString(noticeText_);
    const int baseline = kNoticeMargin + QFontMetrics(font).ascent();
    {
        QPainter painter(&noticeBitmap_);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(kOutlineColour));
        for (const auto& offset : kOutlineOffsets) {
            painter.drawText(kNoticeMargin + offset[0], baseline + offset[1], text);
        }
        painter.setPen(QColor::fromRgb(kBodyColour));
        painter.drawText(kNoticeMargin, baseline, text);
    }
    CollectSpans(noticeBitmap_, 0, noticeBitmap_.height() - 1, noticeSpans_);
}

void CSubtitles::RefreshFont() {
    const uint64_t generation = shared_.SubtitleFont.Generation();
    if (generation == fontGeneration_ && lineHeight_ > 0) {
        return;
    }
    fontGeneration_ = shared_.SubtitleFont.Copy(font_);
    lineHeight_ = QFontMetrics(font_ ? *font_ : QFont()).height();
}

int32_t CSubtitles::ClampedTop(int32_t textHeight) {
    const int64_t H = bitmap_.height();
    int offset = shared_.SubtitleOffset.load(std::memory_order_relaxed);
    int64_t top = H - offset - textHeight;
    int64_t newOffset = offset;
    if (top < 0) {
        top = 0;
        newOffset = H - textHeight;
    }
    if (top > H - textHeight) {
        top = H - textHeight;
        newOffset = 0;
    }
    // A block taller than the picture still starts at its first row.
    top = std::max<int64_t>(top, 0);
    if (newOffset != offset) {
        // A value the UI wrote meanwhile wins; it is clamped at the next frame.
        shared_.SubtitleOffset.compare_exchange_strong(offset, static_cast<int>(newOffset),
                                                       std::memory_order_relaxed);
    }
    return static_cast<int32_t>(top);
}

int32_t CSubtitles::TopPlacement(int32_t textHeight) const {
    constexpr int32_t kTopMargin =
        5;  // as far from the top as text sits from the bottom by default
    return std::max(0, std::min(kTopMargin, bitmap_.height() - textHeight));
}

const StyledText& CSubtitles::StylesOf(const std::string& text) {
    if (stylesSource_ != text || styles_.lines.empty()) {
        stylesSource_ = text;
        styles_ = ParseSubRipStyles(text);
    }
    return styles_;
}

void CSubtitles::ClearDirtyRows() {
    for (int32_t y = dirtyFirst_; y <= dirtyLast_; ++y) {
        std::memset(bitmap_.scanLine(y), 0, static_cast<size_t>(bitmap_.bytesPerLine()));
    }
    dirtyFirst_ = 0;
    dirtyLast_ = -1;
}

void CSubtitles::Redraw(const std::string& text, int32_t lines, int32_t top, bool styled) {
    ClearDirtyRows();
    drawn_.text = text;
    drawn_.lines = lines;
    drawn_.top = top;
    drawn_.styled = styled;
    coloured_ = false;
    drawn_.fontGeneration = fontGeneration_;
    drawn_.valid = true;
    ++redraws_;
    const int textLines = CountLines(text);
    const int32_t H = bitmap_.height();
    // Rows above the block are never blended; below it, one spare line height
    // holds any glyph that overhangs its line box.
    const int64_t last = std::min<int64_t>(H, top + int64_t{textLines + 1} * lineHeight_ + 2) - 1;
    if (textLines == 0 || top > last) {
        spans_.clear();
        return;
    }
    for (int64_t y = top; y <= last; ++y) {
        if (!rowFilled_[static_cast<size_t>(y)]) {
            // What QImage::fill(0) gives an RGB32 image: black, alpha 0xFF.
            auto* row = reinterpret_cast<QRgb*>(bitmap_.scanLine(static_cast<int>(y)));
            std::fill_n(row, bitmap_.width(), qRgb(0, 0, 0));
            rowFilled_[static_cast<size_t>(y)] = 1;
        }
    }
    if (styled) {
        DrawStyledText(StylesOf(text), top, static_cast<int32_t>(last));
    } else {
        DrawText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), top,
                 static_cast<int32_t>(last));
    }
    dirtyFirst_ = top;
    dirtyLast_ = static_cast<int32_t>(last);
    CollectSpans(bitmap_, dirtyFirst_, dirtyLast_, spans_);
    EncodeColours();
}

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

void CSubtitles::DrawText(const QString& text, int32_t top, int32_t lastRow) {
    const QFont font = font_ ? *font_ : QFont();
    const QFontMetrics metrics(font);
    const QStringList lines = text.split(QLatin1Char('\n'));
    // The whole text measured as one run gives the block's width; each line
    // is centred in the block, whose middle is the layout width's middle.
    int32_t cx = 0;
    for (const QString& line : lines) {
        cx += metrics.horizontalAdvance(line);
    }
    const int32_t left = layoutWidth_ / 2 - cx / 2;
    QPainter painter(&bitmap_);
    painter.setClipRect(QRect(0, top, bitmap_.width(), lastRow - top + 1));
    painter.setFont(font);
    auto drawAt = [&](int dx, int dy, QRgb colour) {
        painter.setPen(QColor::fromRgb(colour));
        int baseline = top + metrics.ascent();
        for (const QString& line : lines) {
            const int x = left + (cx - metrics.horizontalAdvance(line)) / 2;
            painter.drawText(x + dx, baseline + dy, line);
            baseline += lineHeight_;
        }
    };
    for (const auto& offset : kOutlineOffsets) {
        drawAt(offset[0], offset[1], kOutlineColour);
    }
    drawAt(0, 0, kBodyColour);
}

void CSubtitles::DrawStyledText(const StyledText& text, int32_t top, int32_t lastRow) {
    const QFont base = font_ ? *font_ : QFont();
    const int ascent = QFontMetrics(base).ascent();
    struct Placed {
        QFont font;
        const StyledPiece* piece;
        int x;
        int baseline;
    };
    std::vector<Placed> placed;
    int baseline = top + ascent;
    for (const StyledLine& line : text.lines) {
        std::vector<Placed> row;
        int width = 0;
        for (const StyledPiece& piece : line) {
            QFont font = base;
            font.setItalic(base.italic() || piece.italic);
            font.setBold(base.bold() || piece.bold);
            font.setUnderline(base.underline() || piece.underline);
            row.push_back(Placed{font, &piece, width, baseline});
            width += QFontMetrics(font).horizontalAdvance(piece.text);
        }
        const int left = layoutWidth_ / 2 - width / 2;
        for (Placed& p : row) {
            p.x += left;
            placed.push_back(std::move(p));
        }
        baseline += lineHeight_;
    }
    QPainter painter(&bitmap_);
    painter.setClipRect(QRect(0, top, bitmap_.width(), lastRow - top + 1));
    // Every outline first, so that no outline covers a neighbour's body.
    painter.setPen(QColor::fromRgb(kOutlineColour));
    for (const auto& offset : kOutlineOffsets) {
        for (const Placed& p : placed) {
            painter.setFont(p.font);
            painter.drawText(p.x + offset[0], p.baseline + offset[1], p.piece->text);
        }
    }
    for (const Placed& p : placed) {
        QRgb colour = p.piece->colour != 0 ? p.piece->colour : kBodyColour;
        // A blue byte of 0 marks transparent pixels: keep coloured text visible.
        colour = qRgb(qRed(colour), qGreen(colour), std::max(1, qBlue(colour)));
        coloured_ = coloured_ || qRed(colour) != qGreen(colour) || qGreen(colour) != qBlue(colour);
        painter.setPen(QColor::fromRgb(colour));
        painter.setFont(p.font);
        painter.drawText(p.x, p.baseline, p.piece->text);
    }
}

void CSubtitles::CollectSpans(const QImage& bitmap, int32_t firstRow, int32_t lastRow,
                              std::vector<Span>& spans) {
    spans.clear();
    const int32_t W = bitmap.width();
    for (int32_t y = firstRow; y <= lastRow; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(bitmap.constScanLine(y));
        int32_t x = 0;
        while (x < W) {
            while (x < W && qBlue(row[x]) == 0) {
                ++x;
            }
            const int32_t x0 = x;
            while (x < W && qBlue(row[x]) != 0) {
                ++x;
            }
            if (x > x0) {
                spans.push_back(Span{y, x0, x});
            }
        }
    }
}

namespace {

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

void CSubtitles::Blend(const VideoPlanes& frame) const {
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
