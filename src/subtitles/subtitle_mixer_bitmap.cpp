// CSubtitles' cached text bitmap: one frame-sized 32-bit image, whose rows
// become resident only when text first reaches them, redrawn only when what
// it shows changes, and the runs of its text pixels that blending copies.
#include "subtitles/subtitle_mixer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tavimo {
namespace {

int CountLines(const std::string& text) {
    return text.empty() ? 0 : 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

bool CSubtitles::EnsureBitmap() {
    if (!bitmap_.isNull()) {
        return true;
    }
    // Zeroed memory from calloc, filled a row at a time when text first
    // reaches it: only those rows ever become resident, not the whole frame
    // (8 MB at 1080p).
    const int32_t width = accepted_->width;
    const int32_t height = accepted_->height;
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

void CSubtitles::ClearDirtyRows() {
    for (int32_t y = dirtyFirst_; y <= dirtyLast_; ++y) {
        std::memset(bitmap_.scanLine(y), 0, static_cast<size_t>(bitmap_.bytesPerLine()));
    }
    dirtyFirst_ = 0;
    dirtyLast_ = -1;
}

void CSubtitles::Redraw(const std::string& text, int32_t lines, int32_t top, bool styled,
                        bool markup) {
    ClearDirtyRows();
    drawn_.text = text;
    drawn_.lines = lines;
    drawn_.top = top;
    drawn_.styled = styled;
    drawn_.markup = markup;
    drawn_.subtype = accepted_->subtype;
    drawn_.pixelAspect = accepted_->pixelAspect;
    coloured_ = false;
    drawn_.fontKey = fontKey_;
    drawn_.valid = true;
    ++redraws_;
    const int textLines = CountLines(text) + wrapped_.addedLines;
    const int32_t H = bitmap_.height();
    // Rows above the block are never blended; below it, one spare line height
    // holds any glyph that overhangs its line box.
    const int64_t last = std::min<int64_t>(H, top + int64_t{textLines + 1} * lineHeight_ + 2) - 1;
    if (textLines == 0 || top > last) {
        spans_.clear();
        PackSpans();
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
        DrawStyledText(wrapped_.addedLines > 0 ? wrapped_.styles : StylesOf(text), top,
                       static_cast<int32_t>(last));
    } else if (wrapped_.addedLines > 0) {
        DrawText(wrapped_.plain, top, static_cast<int32_t>(last));
    } else if (markup) {
        DrawText(PlainText(StylesOf(text)), top, static_cast<int32_t>(last));
    } else {
        DrawText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), top,
                 static_cast<int32_t>(last));
    }
    dirtyFirst_ = top;
    dirtyLast_ = static_cast<int32_t>(last);
    CollectSpans(bitmap_, dirtyFirst_, dirtyLast_, spans_);
    EncodeColours();
    PackSpans();
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

}  // namespace tavimo
