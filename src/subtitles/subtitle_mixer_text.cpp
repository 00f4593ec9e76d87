// CSubtitles' text drawing: plain and styled SubRip text, and the note, each
// in the subtitle font with its one-pixel dark outline, with QPainter into
// the mixer's bitmaps.
#include "subtitles/subtitle_mixer.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace tavimo {
namespace {

constexpr QRgb kOutlineColour = qRgb(1, 1, 1);
constexpr QRgb kBodyColour = qRgb(255, 255, 255);
// The outline is the text drawn at the four diagonal neighbours, in this order.
constexpr int kOutlineOffsets[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
// The delay notice stands this many pixels from the picture's top and left.
constexpr int32_t kNoticeMargin = 8;

// The outline colour at each alpha, premultiplied as Qt premultiplies it.
const std::array<QRgb, 256>& OutlineByAlpha() {
    static const std::array<QRgb, 256> table = [] {
        std::array<QRgb, 256> colours{};
        for (int a = 0; a < 256; ++a) {
            colours[size_t(a)] = qPremultiply(
                qRgba(qRed(kOutlineColour), qGreen(kOutlineColour), qBlue(kOutlineColour), a));
        }
        return colours;
    }();
    return table;
}

// Layers larger than this (a quarter of a 2160p frame; three lines of its
// default text take some 1.9 million pixels) are let go after drawing.
constexpr size_t kLayerPixelsKept = size_t{3840} * 540;

// A `size` image over `pixels`, which grows to hold it and keeps its memory
// for the next text.
QImage LayerOver(std::vector<QRgb>& pixels, const QSize& size) {
    const size_t count = size_t(size.width()) * size_t(size.height());
    if (pixels.size() < count) {
        pixels.resize(count);
    }
    return QImage(reinterpret_cast<uchar*>(pixels.data()), size.width(), size.height(),
                  qsizetype{size.width()} * 4, QImage::Format_ARGB32_Premultiplied);
}

// Draws outlined text into `target`, inside `clip`: `drawBody` paints the text
// once, in its body colours, into a transparent layer over `area`; that shape is stamped in the
// outline colour at the four diagonal neighbours, then the body over them. Qt draws glyphs taller
// than 64 pixels as paths, not from its glyph cache, so drawing the text itself at each offset cost
// five path fills a cue (13 ms for two lines at 1080p). `drawBody` and `area` count columns in
// square pixels: `squeeze` (the frame's columns per square pixel) narrows the text to the frame's
// own pixels, so that a picture with wide pixels, shown at its display aspect, shows the glyphs at
// theirs. Rows are the frame's. The two layers live in `layers`, whose memory a cue at 2160p
// would otherwise take new (some 4 MB a layer) and fault in page by page.
template <typename DrawBody>
void DrawOutlined(QImage& target, const QRect& clip, const QRect& area, double squeeze,
                  OutlineLayers& layers, DrawBody&& drawBody) {
    const QRect inFrame(QPoint(int(std::floor(area.left() * squeeze)), area.top()),
                        QPoint(int(std::ceil(area.right() * squeeze)), area.bottom()));
    const QRect layer = inFrame.intersected(target.rect().adjusted(-1, -1, 1, 1));
    if (layer.isEmpty()) {
        return;
    }
    QImage body = LayerOver(layers.body, layer.size());
    body.fill(Qt::transparent);
    {
        QPainter painter(&body);
        painter.translate(-layer.topLeft());
        if (squeeze != 1.0) {
            painter.scale(squeeze, 1.0);
        }
        drawBody(painter);
    }
    // The shape in the outline colour. (A QPainter fill in SourceIn mode would
    // do it on Qt's thread pool, in threads of its own.)
    QImage outline = LayerOver(layers.outline, layer.size());
    const std::array<QRgb, 256>& byAlpha = OutlineByAlpha();
    const int width = layer.width();
    for (int y = 0; y < layer.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(body.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(outline.scanLine(y));
        for (int x = 0; x < width; ++x) {
            out[x] = byAlpha[qAlpha(in[x])];
        }
    }
    QPainter painter(&target);
    painter.setClipRect(clip);
    for (const auto& offset : kOutlineOffsets) {
        painter.drawImage(layer.topLeft() + QPoint(offset[0], offset[1]), outline);
    }
    painter.drawImage(layer.topLeft(), body);
    painter.end();
    if (layers.body.size() > kLayerPixelsKept) {
        layers = OutlineLayers();
    }
}

// The columns from `left` to `right` (exclusive) and rows `top` to `lastRow`,
// widened by half a line on each side for glyphs that overhang their advance.
QRect TextArea(int left, int right, int top, int lastRow, const QFontMetrics& metrics) {
    const int overhang = metrics.height() / 2;
    return QRect(QPoint(left - overhang, top), QPoint(right + overhang, lastRow));
}

// The font a piece of styled text is drawn in.
QFont PieceFont(const QFont& base, const StyledPiece& piece) {
    QFont font = base;
    font.setItalic(base.italic() || piece.italic);
    font.setBold(base.bold() || piece.bold);
    font.setUnderline(base.underline() || piece.underline);
    return font;
}

bool SameStyle(const StyledPiece& a, const StyledPiece& b) {
    return a.italic == b.italic && a.bold == b.bold && a.underline == b.underline &&
           a.colour == b.colour;
}

// `text` in the style of `style`, at the end of `line`.
void AppendInStyle(StyledLine& line, const StyledPiece& style, const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    if (line.empty() || !SameStyle(line.back(), style)) {
        line.push_back(style);
        line.back().text.clear();
    }
    line.back().text += text;
}

// One word of a line with the spaces before it, each a run of pieces.
struct Word {
    StyledLine spaces, text;
    int spacesWidth = 0, textWidth = 0;
};

// The words of `line` in its first `maxChars` characters (about), each
// part measured by `advance`.
template <typename Advance>
std::vector<Word> WordsOf(const StyledLine& line, qsizetype maxChars, Advance&& advance) {
    std::vector<Word> words(1);
    qsizetype taken = 0;
    for (const StyledPiece& piece : line) {
        qsizetype at = 0;
        while (at < piece.text.size() && taken < maxChars) {
            const bool space = piece.text[at] == QLatin1Char(' ');
            qsizetype end = at;
            while (end < piece.text.size() && (piece.text[end] == QLatin1Char(' ')) == space) {
                ++end;
            }
            if (space && !words.back().text.empty()) {
                words.emplace_back();
            }
            Word& word = words.back();
            const QString part = piece.text.mid(at, end - at);
            AppendInStyle(space ? word.spaces : word.text, piece, part);
            (space ? word.spacesWidth : word.textWidth) += advance(piece, part);
            taken += end - at;
            at = end;
        }
    }
    return words;
}

// `line` broken at spaces into lines at most `width` wide, appended to
// `out` until it holds `maxLines`: each line takes as many words as fit, a
// word wider than `width` stands alone (and is cut when drawn), and the
// spaces where a line breaks go. What would follow the last line is left
// out: it would lie below the picture.
template <typename Advance>
void WrapLine(const StyledLine& line, int width, size_t maxLines, Advance&& advance,
              std::vector<StyledLine>& out) {
    StyledLine current;
    int currentWidth = 0;
    bool first = true;
    // No glyph is narrower than a pixel: more characters never show.
    const qsizetype maxChars = qsizetype(maxLines) * (width + 1);
    for (const Word& word : WordsOf(line, maxChars, advance)) {
        const int together = currentWidth + word.spacesWidth + word.textWidth;
        const bool fits = first || together <= width;
        if (!fits && out.size() + 1 >= maxLines) {
            break;  // the next line would lie below the picture
        }
        if (fits) {
            for (const StyledLine* part : {&word.spaces, &word.text}) {
                for (const StyledPiece& piece : *part) {
                    AppendInStyle(current, piece, piece.text);
                }
            }
            currentWidth = together;
            first = false;
        } else if (!word.text.empty()) {  // trailing spaces that do not fit go
            out.push_back(std::move(current));
            current = word.text;
            currentWidth = word.textWidth;
        }
    }
    out.push_back(std::move(current));
}

}  // namespace

const CSubtitles::WrappedText& CSubtitles::Wrap(const std::string& text, bool styled, bool markup) {
    WrappedText& w = wrapped_;
    if (w.valid && w.fontKey == fontKey_ && w.styled == styled && w.markup == markup &&
        w.pixelAspect == accepted_->pixelAspect && w.source == text) {
        return w;
    }
    w = WrappedText{text, fontKey_, styled, markup, accepted_->pixelAspect, true, 0, {}, {}};
    // Plain text is one piece a line in the subtitle font.
    StyledText lines;
    if (styled) {
        lines = StylesOf(text);
    } else {
        const QString plain = markup ? PlainText(StylesOf(text))
                                     : QString::fromUtf8(text.data(), qsizetype(text.size()));
        for (const QString& line : plain.split(QLatin1Char('\n'))) {
            lines.lines.push_back({StyledPiece{line}});
        }
    }
    auto advance = [&](const StyledPiece& piece, const QString& part) {
        return QFontMetrics(PieceFont(drawFont_, piece)).horizontalAdvance(part);
    };
    const int width = SquareLayoutWidth();
    // A block taller than the picture starts at its top: lines past its
    // bottom never show.
    const size_t maxLines = size_t(bitmap_.height() / std::max(1, lineHeight_) + 1);
    StyledText out{{}, lines.top};
    for (const StyledLine& line : lines.lines) {
        // A line of more characters than the picture has pixels is not
        // measured whole: it cannot fit, and measuring it could take seconds.
        qsizetype chars = 0;
        int64_t lineWidth = 0;
        for (const StyledPiece& piece : line) {
            chars += piece.text.size();
        }
        for (size_t i = 0; i < line.size() && chars <= width; ++i) {
            lineWidth += advance(line[i], line[i].text);
        }
        if (chars <= width && lineWidth <= width) {
            out.lines.push_back(line);
        } else {
            WrapLine(line, width, std::max(maxLines, out.lines.size() + 1), advance, out.lines);
        }
    }
    w.addedLines = static_cast<int32_t>(out.lines.size() - lines.lines.size());
    if (w.addedLines > 0 && styled) {
        w.styles = std::move(out);
    } else if (w.addedLines > 0) {
        w.plain = PlainText(out);
    }
    return w;
}

// The note in the subtitle font and colours, at the top left, drawn whether
// or not a subtitle is due.
void CSubtitles::RedrawNotice(uint64_t noteGeneration) {
    noticeDrawn_ = NoticeKey{noteGeneration, fontKey_, accepted_->pixelAspect, true};
    noticeSpans_.clear();
    const int32_t height = std::min<int32_t>(accepted_->height, kNoticeMargin + 2 * lineHeight_);
    if (noticeBitmap_.width() != accepted_->width || noticeBitmap_.height() != height) {
        noticeBitmap_ = QImage(accepted_->width, height, QImage::Format_RGB32);
    }
    if (noticeBitmap_.isNull()) {
        return;
    }
    noticeBitmap_.fill(0u);
    const QFont& font = drawFont_;
    const QString text = QString::fromStdString(noticeText_);
    const QFontMetrics metrics(font);
    const int baseline = kNoticeMargin + metrics.ascent();
    const QRect area = TextArea(kNoticeMargin, kNoticeMargin + metrics.horizontalAdvance(text), 0,
                                noticeBitmap_.height() - 1, metrics);
    DrawOutlined(noticeBitmap_, noticeBitmap_.rect(), area, Squeeze(), layers_,
                 [&](QPainter& painter) {
                     painter.setFont(font);
                     painter.setPen(QColor::fromRgb(kBodyColour));
                     painter.drawText(kNoticeMargin, baseline, text);
                 });
    CollectSpans(noticeBitmap_, 0, noticeBitmap_.height() - 1, noticeSpans_);
}

double CSubtitles::Squeeze() const {
    const double aspect = accepted_ ? accepted_->pixelAspect : 1.0;
    return aspect > 0 ? 1.0 / aspect : 1.0;
}

int32_t CSubtitles::SquareLayoutWidth() const {
    // Text is centred on the accepted width (0 before one is accepted).
    const int32_t width = accepted_ ? accepted_->width : 0;
    return static_cast<int32_t>(std::lround(width / Squeeze()));
}

const std::string& CSubtitles::VisiblePart(const std::string& text) {
    // The lines that fit, the one cut by the bottom edge and one more, of
    // at most as many characters in all as the picture has columns a line
    // (no glyph is narrower than a pixel), up to four bytes each.
    const size_t lines = size_t(bitmap_.height() / std::max(1, lineHeight_) + 2);
    const std::string_view head =
        std::string_view(text).substr(0, lines * size_t(SquareLayoutWidth() + 1) * 4);
    size_t cut = head.size(), from = 0;
    for (size_t i = 0; i < lines; ++i) {
        const size_t lf = head.find('\n', from);
        if (lf == std::string_view::npos) {
            break;
        }
        cut = i + 1 == lines ? lf : cut;
        from = lf + 1;
    }
    if (cut == text.size()) {
        return text;
    }
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;  // no character is cut in two
    }
    visible_.assign(text, 0, cut);
    return visible_;
}

const StyledText& CSubtitles::StylesOf(const std::string& text) {
    if (stylesSource_ != text || styles_.lines.empty()) {
        stylesSource_ = text;
        styles_ = ParseSubRipStyles(text);
    }
    return styles_;
}

void CSubtitles::DrawText(const QString& text, int32_t top, int32_t lastRow) {
    const QFont& font = drawFont_;
    const QFontMetrics metrics(font);
    const QStringList lines = text.split(QLatin1Char('\n'));
    // The whole text measured as one run gives the block's width; each line
    // is centred in the block, whose middle is the layout width's middle.
    std::vector<int32_t> xs;  // each line's advance, then where it starts
    xs.reserve(size_t(lines.size()));
    int32_t cx = 0;
    for (const QString& line : lines) {
        xs.push_back(metrics.horizontalAdvance(line));
        cx += xs.back();
    }
    const int32_t left = SquareLayoutWidth() / 2 - cx / 2;
    // The layer spans the lines themselves, not the whole block.
    int32_t minX = left + cx / 2, maxX = minX;
    for (int32_t& x : xs) {
        const int32_t advance = x;
        x = left + (cx - advance) / 2;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x + advance);
    }
    const QRect clip(0, top, bitmap_.width(), lastRow - top + 1);
    DrawOutlined(bitmap_, clip, TextArea(minX, maxX, top, lastRow, metrics), Squeeze(), layers_,
                 [&](QPainter& painter) {
                     painter.setFont(font);
                     painter.setPen(QColor::fromRgb(kBodyColour));
                     int baseline = top + metrics.ascent();
                     for (size_t i = 0; i < xs.size(); ++i) {
                         painter.drawText(xs[i], baseline, lines[qsizetype(i)]);
                         baseline += lineHeight_;
                     }
                 });
}

void CSubtitles::DrawStyledText(const StyledText& text, int32_t top, int32_t lastRow) {
    const QFont& base = drawFont_;
    const int ascent = QFontMetrics(base).ascent();
    struct Placed {
        QFont font;
        const StyledPiece* piece;
        int x;
        int baseline;
    };
    std::vector<Placed> placed;
    const int32_t middle = SquareLayoutWidth() / 2;
    int minX = middle, maxX = middle;
    int baseline = top + ascent;
    for (const StyledLine& line : text.lines) {
        std::vector<Placed> row;
        int width = 0;
        for (const StyledPiece& piece : line) {
            QFont font = PieceFont(base, piece);
            row.push_back(Placed{font, &piece, width, baseline});
            width += QFontMetrics(font).horizontalAdvance(piece.text);
        }
        const int left = middle - width / 2;
        minX = std::min(minX, left);
        maxX = std::max(maxX, left + width);
        for (Placed& p : row) {
            p.x += left;
            placed.push_back(std::move(p));
        }
        baseline += lineHeight_;
    }
    // Every outline goes under every body, so no outline covers a neighbour.
    const QRect clip(0, top, bitmap_.width(), lastRow - top + 1);
    DrawOutlined(bitmap_, clip, TextArea(minX, maxX, top, lastRow, QFontMetrics(base)), Squeeze(),
                 layers_, [&](QPainter& painter) {
                     for (const Placed& p : placed) {
                         QRgb colour = p.piece->colour != 0 ? p.piece->colour : kBodyColour;
                         // A blue byte of 0 marks transparent pixels: keep
                         // coloured text visible.
                         colour = qRgb(qRed(colour), qGreen(colour), std::max(1, qBlue(colour)));
                         coloured_ = coloured_ || qRed(colour) != qGreen(colour) ||
                                     qGreen(colour) != qBlue(colour);
                         painter.setPen(QColor::fromRgb(colour));
                         painter.setFont(p.font);
                         painter.drawText(p.x, p.baseline, p.piece->text);
                     }
                 });
}

}  // namespace tavimo
