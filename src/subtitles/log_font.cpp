#include "subtitles/log_font.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavimo {
namespace {

// Byte offsets inside the 60-byte record.
constexpr size_t kHeight = 0;
constexpr size_t kWeight = 16;
constexpr size_t kItalic = 20;
constexpr size_t kUnderline = 21;
constexpr size_t kStrikeOut = 22;
constexpr size_t kCharSet = 23;
constexpr size_t kQuality = 26;
constexpr size_t kPitchAndFamily = 27;
constexpr size_t kFaceName = 28;
constexpr size_t kFaceSize = 32;

constexpr uint8_t kDefaultCharset = 1;
constexpr uint8_t kNonAntialiasedQuality = 3;
constexpr uint8_t kAntialiasedQuality = 4;
constexpr uint8_t kFixedPitch = 1;
constexpr uint8_t kVariablePitch = 2;

// The largest height a font dialog gives, 1,638 points at 96 dpi. A stored
// height past it comes from a damaged file and is read as 0, GDI's default
// height: beyond 65,535 pixels FreeType refuses the size, and Qt drew each
// letter as an empty box; below that, one letter filled the picture.
constexpr int32_t kLargestHeightPx = 2184;

// Family bits of lfPitchAndFamily and the style hint each stands for.
struct FamilyHint {
    uint8_t family;
    QFont::StyleHint hint;
};
constexpr FamilyHint kFamilies[] = {
    {0x10, QFont::Serif},   {0x20, QFont::SansSerif},  {0x30, QFont::Monospace},
    {0x40, QFont::Cursive}, {0x50, QFont::Decorative},
};

int32_t ReadI32(const uint8_t* p) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return static_cast<int32_t>(v);
}

void WriteI32(uint8_t* p, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

QFont::Weight WeightFromLog(int32_t weight) {
    if (weight <= 0) {
        return QFont::Normal;  // FW_DONTCARE
    }
    const int rounded = (std::clamp(weight, 100, 900) + 50) / 100 * 100;
    return static_cast<QFont::Weight>(std::clamp(rounded, 100, 900));
}

// GDI's positive height is the cell height (ascent + descent); Qt sizes by
// the em, so scale the em until the cell matches. Without a font database
// (no QGuiApplication yet) the cell is taken as the em.
int PixelSizeForCell(const QFont& font, int cell) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return cell;  // no font database to measure with
    }
    QFont probe(font);
    probe.setPixelSize(cell);
    const qreal height = QFontMetricsF(probe).height();
    if (height <= 0) {
        return cell;
    }
    return std::max(1, static_cast<int>(std::lround(cell * cell / height)));
}

void ApplyHeight(QFont& font, int32_t height) {
    if (height < 0 && height >= -kLargestHeightPx) {
        font.setPixelSize(-height);
    } else if (height > 0 && height <= kLargestHeightPx) {
        font.setPixelSize(PixelSizeForCell(font, height));
    }
}

int PixelSizeOf(const QFont& font) {
    if (font.pixelSize() > 0) {
        return font.pixelSize();
    }
    return static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0));
}

uint8_t FamilyBitsOf(const QFont& font) {
    for (const FamilyHint& f : kFamilies) {
        if (f.hint == font.styleHint()) {
            return f.family;
        }
    }
    return 0;
}

}  // namespace

std::optional<QFont> FontFromLogFont(const uint8_t* data, size_t size) {
    if (data == nullptr || size < sizeof(LogFontBytes)) {
        return std::nullopt;
    }
    const char* face = reinterpret_cast<const char*>(data + kFaceName);
    const size_t faceLength = strnlen(face, kFaceSize);
    if (faceLength == 0 || faceLength == kFaceSize) {
        return std::nullopt;
    }
    QFont font(QString::fromUtf8(face, static_cast<qsizetype>(faceLength)));
    const uint8_t family = data[kPitchAndFamily] & 0xF0;
    for (const FamilyHint& f : kFamilies) {
        if (f.family == family) {
            font.setStyleHint(f.hint);
        }
    }
    if (data[kQuality] == kNonAntialiasedQuality) {
        font.setStyleStrategy(QFont::NoAntialias);
    } else if (data[kQuality] == kAntialiasedQuality) {
        font.setStyleStrategy(QFont::PreferAntialias);
    }
    font.setWeight(WeightFromLog(ReadI32(data + kWeight)));
    font.setItalic(data[kItalic] != 0);
    font.setUnderline(data[kUnderline] != 0);
    font.setStrikeOut(data[kStrikeOut] != 0);
    font.setFixedPitch((data[kPitchAndFamily] & 0x03) == kFixedPitch);
    ApplyHeight(font, ReadI32(data + kHeight));
    return font;
}

LogFontBytes LogFontFromFont(const QFont& font) {
    LogFontBytes out{};
    WriteI32(out.data() + kHeight, -PixelSizeOf(font));
    WriteI32(out.data() + kWeight, static_cast<int32_t>(font.weight()));
    out[kItalic] = font.italic() ? 1 : 0;
    out[kUnderline] = font.underline() ? 1 : 0;
    out[kStrikeOut] = font.strikeOut() ? 1 : 0;
    out[kCharSet] = kDefaultCharset;
    if (font.styleStrategy() & QFont::NoAntialias) {
        out[kQuality] = kNonAntialiasedQuality;
    } else if (font.styleStrategy() & QFont::PreferAntialias) {
        out[kQuality] = kAntialiasedQuality;
    }
    out[kPitchAndFamily] = static_cast<uint8_t>((font.fixedPitch() ? kFixedPitch : kVariablePitch) |
                                                FamilyBitsOf(font));
    const QByteArray face = font.family().toUtf8();
    size_t length = std::min<size_t>(static_cast<size_t>(face.size()), kFaceSize - 1);
    while (length > 0 && length < static_cast<size_t>(face.size()) &&
           (static_cast<uint8_t>(face[static_cast<qsizetype>(length)]) & 0xC0) == 0x80) {
        --length;  // do not split a UTF-8 sequence
    }
    std::memcpy(out.data() + kFaceName, face.constData(), length);
    return out;
}

}  // namespace tavimo
