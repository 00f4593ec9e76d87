// The subtitle font as it is stored: a 60-byte LOGFONTA record
// (little-endian), and its conversion to and from a QFont.
#pragma once

#include <QFont>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tavimo {

// LOGFONTA layout: lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight
// (int32 each), lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision,
// lfClipPrecision, lfQuality, lfPitchAndFamily (uint8 each), lfFaceName
// (32 chars, NUL-terminated).
using LogFontBytes = std::array<uint8_t, 60>;

// Font described by a stored LOGFONTA value. Returns nullopt when `size` is
// below 60 bytes or the face name is empty or not NUL-terminated. A negative
// lfHeight is the character height in pixels, a positive one the cell height
// (ascent + descent) in pixels, 0 the default size. Any thread that may use
// QFont (a QGuiApplication must exist for the cell-height case).
std::optional<QFont> FontFromLogFont(const uint8_t* data, size_t size);

// The LOGFONTA value for `font`: lfHeight is minus its pixel size (point sizes
// count at 96 dpi), the face name is cut to 31 bytes on a UTF-8 boundary. Any
// thread.
LogFontBytes LogFontFromFont(const QFont& font);

}  // namespace tavimo
