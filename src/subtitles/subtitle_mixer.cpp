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
    const int64_t t = time.start / 10'000;
    const int index = FindEntryAt(*entries, t, FrameRate(time), cursor_);
    if (index == kNoEntry) {
        return false;
    }
    const SubtitleEntry& entry = (*entries)[static_cast<size_t>(index)];
    RefreshFont();
    const int32_t lines = std::max<int32_t>(0, entry.lines);
    const int32_t top = ClampedTop(lines * lineHeight_);
    if (!drawn_.valid || drawn_.top != top || drawn_.lines != lines ||
        drawn_.fontGeneration != fontGeneration_ || drawn_.text != entry.text) {
        Redraw(entry.text, lines, top);
    }
    return !spans_.empty();
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

void CSubtitles::ClearDirtyRows() {
    for (int32_t y = dirtyFirst_; y <= dirtyLast_; ++y) {
        std::memset(bitmap_.scanLine(y), 0, static_cast<size_t>(bitmap_.bytesPerLine()));
    }
    dirtyFirst_ = 0;
    dirtyLast_ = -1;
}

void CSubtitles::Redraw(const std::string& text, int32_t lines, int32_t top) {
    ClearDirtyRows();
    drawn_.text = text;
    drawn_.lines = lines;
    drawn_.top = top;
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
    DrawText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), top,
             static_cast<int32_t>(last));
    dirtyFirst_ = top;
    dirtyLast_ = static_cast<int32_t>(last);
    CollectSpans(dirtyFirst_, dirtyLast_);
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

void CSubtitles::CollectSpans(int32_t firstRow, int32_t lastRow) {
    spans_.clear();
    const int32_t W = bitmap_.width();
    for (int32_t y = firstRow; y <= lastRow; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(bitmap_.constScanLine(y));
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
                spans_.push_back(Span{y, x0, x});
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

}  // namespace

void CSubtitles::Blend(const VideoPlanes& frame) const {
    const SubtypeRule* rule = accepted_ ? RuleFor(accepted_->subtype) : nullptr;
    if (rule == nullptr || frame.data[0] == nullptr || spans_.empty()) {
        return;  // no rule: the frame passes unchanged
    }
    const int32_t frameW = accepted_->width;
    const int32_t frameH = std::abs(accepted_->height);
    if (frame.stride[0] < RowBytes(*rule, frameW)) {
        return;
    }
    const bool bottomUp = rule->bottomUpWhenPositive && accepted_->height > 0;
    const RunWriter write = WriterFor(rule->rule);
    // Only the rows and columns the bitmap and the frame share are blended.
    for (const Span& span : spans_) {
        if (span.row >= frameH || span.x0 >= frameW) {
            continue;
        }
        const int64_t memoryRow = bottomUp ? frameH - 1 - span.row : span.row;
        uint8_t* dst = frame.data[0] + memoryRow * frame.stride[0];
        const auto* src = reinterpret_cast<const QRgb*>(bitmap_.constScanLine(span.row));
        write(dst, src, span.x0, std::min(span.x1, frameW));
    }
}

}  // namespace tavimo
