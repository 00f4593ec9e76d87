// SubRip markup taken apart into styled pieces (nesting, unclosed and stray
// tags, unknown tags, colours, placement, text that only looks like markup),
// and what the mixer draws of it with styles on and off.
#include <algorithm>

#include "mixer_test_util.h"
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

int Count(const std::vector<uint8_t>& plane, uint8_t value) {
    return static_cast<int>(std::count(plane.begin(), plane.end(), value));
}

class MixerStyles : public MixerFixture {
  protected:
    // `text` drawn with styles on or off on a 320 x 240 frame of `subtype`:
    // black luma on planar frames, every other byte at 50, so that any write shows.
    Frame Mix(const char* text, bool styles, VS subtype) {
        track.Fill({{.start = 0, .end = 5000, .text = text, .lines = 1}});
        shared.SubtitleStyles = styles ? 1 : 0;
        Frame f = MakeFrame(subtype, 320, 240, 50);
        if (subtype != VS::YUY2) {
            std::fill(f.plane[0].begin(), f.plane[0].end(), 0);
        }
        Run(f);
        return f;
    }
};

// Red body text: luma 77 and chroma Cb 86, Cr 255 (full-range BT.601 of
// 255, 0, 1), worked out by hand; the outline stays at luma 1.
TEST_F(MixerStyles, ColouredTextWritesLumaAndChroma) {
    for (VS subtype : {VS::I420, VS::YV12, VS::YUY2}) {
        SCOPED_TRACE(int(subtype));
        Frame f = Mix("<font color=\"red\">MMMM</font>", true, subtype);
        const int yv12 = subtype == VS::YV12 ? 1 : 0;  // Cr plane first
        std::vector<uint8_t> y = f.plane[0], cb = f.plane[1 + yv12], cr = f.plane[2 - yv12];
        if (subtype == VS::YUY2) {
            y.clear(), cb.clear(), cr.clear();
            for (size_t i = 0; i < f.plane[0].size(); i += 4) {
                y.insert(y.end(), {f.plane[0][i], f.plane[0][i + 2]});
                cb.push_back(f.plane[0][i + 1]);
                cr.push_back(f.plane[0][i + 3]);
            }
        }
        EXPECT_TRUE(Count(y, 77) > 20 && Count(y, 1) > 20 && Count(y, 255) == 0);
        EXPECT_TRUE(Count(cb, 86) > 5 && Count(cr, 255) > 5);
        // Edges blended towards the outline are darker reds: Cb at most, Cr
        // above 128. Planar frames keep the chroma of grey pixels; YUY2 gives
        // them neutral chroma.
        const uint8_t grey = subtype == VS::YUY2 ? 128 : 50;
        EXPECT_TRUE(std::all_of(cb.begin(), cb.end(), [&](uint8_t v) {
            return v == 50 || v == grey || (v >= 86 && v <= 128);
        }));
        EXPECT_TRUE(std::all_of(cr.begin(), cr.end(),
                                [&](uint8_t v) { return v == 50 || v == grey || v > 128; }));
    }
}

TEST_F(MixerStyles, OffDrawsMarkupAsTypedAndLeavesChroma) {
    Frame off = Mix("<i>MMMM</i>", false, VS::I420), on = Mix("<i>MMMM</i>", true, VS::I420);
    // White text in both; "<i>" and "</i>" drawn as typed make it wider.
    for (Frame* f : {&off, &on}) {
        EXPECT_GT(Count(f->plane[0], 255), 0);
        EXPECT_EQ(Count(f->plane[1], 50), int(f->plane[1].size()));
    }
    EXPECT_GT(Count(off.plane[0], 0), 0);
    EXPECT_LT(Count(off.plane[0], 0), Count(on.plane[0], 0));
}

TEST_F(MixerStyles, PlacementTopOrBottom) {
    Mix("{\\an8}Top", true, VS::I420);
    EXPECT_EQ(mixer->TextTop(), 5);
    Mix("{\\an2}Bottom", true, VS::I420);
    const int32_t bottom = mixer->TextTop();
    EXPECT_GT(bottom, 120);
    Mix("{\\an8}Top", false, VS::I420);
    EXPECT_EQ(mixer->TextTop(), bottom);
}

}  // namespace
}  // namespace tavimo
