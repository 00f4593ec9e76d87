// SubRip markup as styles: <i>, <b>, <u>, <font color="...">, and the {\anN}
// placement, taken apart into lines of uniformly styled pieces for drawing.
// Any other tag is removed; text that only looks like the start of a tag
// ("a < b", "{not an override}") stays as typed.
#pragma once

#include <QRgb>
#include <QString>

#include <string_view>
#include <vector>

namespace tavimo {

// A piece of one line drawn in one style.
struct StyledPiece {
    QString text;
    bool italic = false;
    bool bold = false;
    bool underline = false;
    QRgb colour = 0;  // 0: the default body colour; otherwise 0xFFRRGGBB

    bool operator==(const StyledPiece&) const = default;
};

using StyledLine = std::vector<StyledPiece>;

struct StyledText {
    std::vector<StyledLine> lines;  // one per "\n"-separated line, empty ones kept
    bool top = false;               // {\an7} .. {\an9}: at the top of the picture

    bool operator==(const StyledText&) const = default;
};

// Parses one entry's UTF-8 text. Styles opened and not closed run to the end
// of the entry; closing a style that is not open does nothing. Any thread.
StyledText ParseSubRipStyles(std::string_view text);

// The text of `styled` without its styles: its pieces joined, lines separated
// by "\n". Any thread.
QString PlainText(const StyledText& styled);

}  // namespace tavimo
