// SubRip markup taken apart into styled pieces (nesting, unclosed and stray
// tags, unknown tags, colours, placement, text that only looks like markup),
// and what the mixer draws of it with styles on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "subtitles/subrip_styles.h"
#include "subtitles/subtitle_mixer.h"

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

// A 320 x 240 4:2:0 frame: black luma, chroma at 50 so that any write shows.
struct Frame {
    static constexpr int32_t kW = 320, kH = 240;
    std::vector<uint8_t> luma = std::vector<uint8_t>(kW * kH, 0);
    std::vector<uint8_t> cb = std::vector<uint8_t>(kW * kH / 4, 50);
    std::vector<uint8_t> cr = std::vector<uint8_t>(kW * kH / 4, 50);
    // Draws `text` (styles on or off) at 1 s into the frame laid out as `subtype`.
    int32_t Mix(const char* text, bool styles, VideoSubtype subtype) {
        SubtitleTrack track;
        track.Fill({{.start = 0, .end = 5000, .text = text, .lines = 1}});
        MixerShared shared;
        shared.SubtitleStyles = styles ? 1 : 0;
        CSubtitles mixer(track, shared);
        EXPECT_EQ(mixer.CheckInputType({subtype, kW, kH, 12}), MixResult::Ok);
        VideoPlanes planes;
        const bool yv12 = subtype == VideoSubtype::YV12;
        planes.data[0] = luma.data();
        planes.data[1] = yv12 ? cr.data() : cb.data();
        planes.data[2] = yv12 ? cb.data() : cr.data();
        planes.stride[0] = kW;
        planes.stride[1] = planes.stride[2] = kW / 2;
        EXPECT_EQ(mixer.Transform(planes, FrameTime{true, 10'000'000, 400'000, 1.0, 25.0}),
                  MixResult::Ok);
        return mixer.TextTop();
    }
    int Count(const std::vector<uint8_t>& plane, uint8_t value) const {
        return static_cast<int>(std::count(plane.begin(), plane.end(), value));
    }
};

// Red body text: luma 77 and chroma Cb 86, Cr 255 (full-range BT.601 of
// 255, 0, 1), worked out by hand; the outline stays at luma 1.
TEST(MixerStyles, ColouredTextWritesLumaAndChromaOnPlanarFrames) {
    for (VideoSubtype subtype : {VideoSubtype::I420, VideoSubtype::YV12}) {
        Frame f;
        f.Mix("<font color=\"red\">MMMM</font>", true, subtype);
        EXPECT_GT(f.Count(f.luma, 77), 20);
        EXPECT_GT(f.Count(f.luma, 1), 20);
        EXPECT_EQ(f.Count(f.luma, 255), 0);
        EXPECT_GT(f.Count(f.cb, 86), 5);
        EXPECT_GT(f.Count(f.cr, 255), 5);
        // Edges blended towards the outline are darker reds: Cb at most, Cr above 128.
        EXPECT_TRUE(std::all_of(f.cb.begin(), f.cb.end(),
                                [](uint8_t v) { return v == 50 || (v >= 86 && v <= 128); }));
        EXPECT_TRUE(
            std::all_of(f.cr.begin(), f.cr.end(), [](uint8_t v) { return v == 50 || v > 128; }));
    }
}

TEST(MixerStyles, ColouredTextWritesChromaOnPackedFrames) {
    SubtitleTrack track;
    track.Fill({{.start = 0, .end = 5000, .text = "<font color=red>MMMM</font>", .lines = 1}});
    MixerShared shared;
    shared.SubtitleStyles = 1;
    CSubtitles mixer(track, shared);
    ASSERT_EQ(mixer.CheckInputType({VideoSubtype::YUY2, 320, 240, 16}), MixResult::Ok);
    std::vector<uint8_t> yuy2(320 * 240 * 2, 50);
    VideoPlanes planes;
    planes.data[0] = yuy2.data();
    planes.stride[0] = 640;
    mixer.Transform(planes, FrameTime{true, 10'000'000, 400'000, 1.0, 25.0});
    int luma77 = 0, cb86 = 0, cr255 = 0;
    for (size_t i = 0; i < yuy2.size(); i += 4) {
        luma77 += (yuy2[i] == 77) + (yuy2[i + 2] == 77);
        cb86 += yuy2[i + 1] == 86;
        cr255 += yuy2[i + 3] == 255;
    }
    EXPECT_GT(luma77, 20);
    EXPECT_GT(cb86, 5);
    EXPECT_GT(cr255, 5);
}

TEST(MixerStyles, OffDrawsMarkupAsTypedAndLeavesChroma) {
    Frame off, on;
    off.Mix("<i>MMMM</i>", false, VideoSubtype::I420);
    on.Mix("<i>MMMM</i>", true, VideoSubtype::I420);
    // White text in both; "<i>" and "</i>" drawn as typed make it wider.
    EXPECT_GT(off.Count(off.luma, 255), 0);
    EXPECT_GT(on.Count(on.luma, 255), 0);
    EXPECT_GT(off.Count(off.luma, 0), 0);
    EXPECT_LT(off.Count(off.luma, 0), on.Count(on.luma, 0));
    EXPECT_EQ(off.Count(off.cb, 50), int(off.cb.size()));
    EXPECT_EQ(on.Count(on.cb, 50), int(on.cb.size()));
}

TEST(MixerStyles, PlacementTopOrBottom) {
    Frame f;
    EXPECT_EQ(f.Mix("{\\an8}Top", true, VideoSubtype::I420), 5);
    const int32_t bottom = f.Mix("{\\an2}Bottom", true, VideoSubtype::I420);
    EXPECT_GT(bottom, Frame::kH / 2);
    EXPECT_EQ(f.Mix("{\\an8}Top", false, VideoSubtype::I420), bottom);
}

}  // namespace
}  // namespace tavimo
