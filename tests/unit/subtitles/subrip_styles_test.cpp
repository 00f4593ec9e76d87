// SubRip markup taken apart into styled pieces: nesting, unclosed and stray
// tags, unknown tags, colours, placement, and text that only looks like markup.
#include <gtest/gtest.h>

#include "subtitles/subrip_styles.h"

namespace tavimo {

// Readable failures.
void PrintTo(const StyledText& t, std::ostream* os) {
    *os << (t.top ? "top:" : "bottom:");
    for (const StyledLine& line : t.lines) {
        *os << " [";
        for (const StyledPiece& p : line) {
            *os << "(" << p.text.toStdString() << " " << p.italic << p.bold << p.underline << " "
                << std::hex << p.colour << std::dec << ")";
        }
        *os << "]";
    }
}

namespace {

StyledPiece P(const char* text, const char* style = "", QRgb colour = 0) {
    const std::string s = style;
    return StyledPiece{QString::fromUtf8(text), s.find('i') != std::string::npos,
                       s.find('b') != std::string::npos, s.find('u') != std::string::npos, colour};
}

TEST(ParseSubRipStyles, Table) {
    constexpr QRgb kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kLime = 0xFF00FF00;
    const struct {
        const char* name;
        const char* text;
        StyledText expected;
    } cases[] = {
        {"plain", "Hello", {{{P("Hello")}}}},
        {"nested", "<i>a<b>b</b></i>c", {{{P("a", "i"), P("b", "ib"), P("c")}}}},
        {"same tag twice needs two closes", "<u><u>a</u>b</u>c", {{{P("ab", "u"), P("c")}}}},
        {"unclosed runs across lines", "<i>a\nb", {{{P("a", "i")}, {P("b", "i")}}}},
        {"closing what is not open", "</b>x<B>y", {{{P("x"), P("y", "b")}}}},
        {"unknown tags removed", "<span class=\"x\">a</span><br/>b", {{{P("ab")}}}},
        {"not tags", "a < b <3 x<y", {{{P("a < b <3 x<y")}}}},
        {"unterminated tag is text", "a <i\nb", {{{P("a <i")}, {P("b")}}}},
        {"hex colour", "<font color=\"#ff0000\">r</font>x", {{{P("r", "", kRed), P("x")}}}},
        {"named colours, nested, bare and single quotes",
         "<font color=red>a<font color='Blue'>b</font>c</font>d",
         {{{P("a", "", kRed), P("b", "", kBlue), P("c", "", kRed), P("d")}}}},
        {"bad colour keeps the outer one",
         "<font color=lime>a<font color=\"nonsense\">b</font>",
         {{{P("ab", "", kLime)}}}},
        {"font without colour, with face", "<font face=\"Arial\">a</font>", {{{P("a")}}}},
        {"top placement", "{\\an8}Top", {{{P("Top")}}, true}},
        {"bottom placement", "{\\an2}x", {{{P("x")}}, false}},
        {"middle stays at the bottom", "{\\an5}x", {{{P("x")}}, false}},
        {"other overrides removed", "{\\i1}a{\\an9\\b1}b", {{{P("ab")}}, true}},
        {"braces without a backslash are text", "{not an override}", {{{P("{not an override}")}}}},
        {"empty lines kept", "a\n\nb", {{{P("a")}, {}, {P("b")}}}},
        {"UTF-8 around tags", "é<i>ü</i>", {{{P("é"), P("ü", "i")}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseSubRipStyles(c.text), c.expected);
    }
}

}  // namespace
}  // namespace tavimo
