// CSubtitles: layout and offset, the redraw cache, the faults the mixer
// guards against, styled SubRip text and the subtitle delay; and the stored
// 60-byte LOGFONTA value of the font. Each format's pixels are the element's
// test (mixer_element_test.cpp), through the formats it offers.
#include "mixer_frame.h"
#include "subtitles/log_font.h"
#include "subtitles/subrip_styles.h"
#include "subtitles/subtitle_delay.h"
#include "subtitles/subtitle_mixer.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tavimo {
namespace {

using VS = VideoSubtype;
constexpr int kCy = 20;  // line height of the test font

// The rows and columns of a plane `width` bytes a row that hold non-zero
// bytes, among rows [y0, y1); all -1 when none.
Box Drawn(const std::vector<uint8_t>& plane, int width, int y0, int y1) {
    return BoxWhere(width, y0, y1, [&](int x, int y) { return plane[size_t(y) * width + x] != 0; });
}

class MixerTest : public testing::Test {
  protected:
    void SetUp() override {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(17);
        ASSERT_EQ(QFontMetrics(font).height(), kCy);
        shared.SubtitleFont.Set(font);
    }
    void Show(const std::string& text, int16_t lines, bool markup = false) {
        track.Fill({{.start = 1000, .end = 5000, .text = text, .lines = lines, .markup = markup}});
    }
    // A fresh mixer (kept in `mixer`) accepts `frame`'s format and transforms it.
    void Run(Frame& frame, int64_t ms = 1500) {
        mixer.emplace(track, shared);
        EXPECT_EQ(mixer->CheckInputType(frame.format), MixResult::Ok);
        Draw(*mixer, frame, ms);
    }
    // The entry the mixer finds due at `ms`, -1 when none is.
    int Due(int64_t ms) { return mixer->Prepare(At(ms)) ? int(mixer->LookupCursor()) : -1; }
    // The level (blue byte) drawn at each pixel: what a zeroed luma plane receives.
    std::vector<uint8_t> Levels(int32_t width, int32_t height) {
        Frame f = MakeFrame(VS::YV12, width, height, 0);
        Run(f);
        return f.plane[0];
    }
    // `text` drawn with styles on or off on a 320 x 240 frame of `subtype`:
    // black luma on planar frames, every other byte at 50, so that any write shows.
    Frame Mix(const char* text, bool styles, VS subtype, bool markup = false) {
        Show(text, 1, markup);
        shared.SubtitleStyles = styles ? 1 : 0;
        Frame f = MakeFrame(subtype, 320, 240, 50);
        if (subtype != VS::YUY2)
            std::ranges::fill(f.plane[0], 0);
        Run(f);
        return f;
    }

    SubtitleTrack track;
    MixerShared shared;
    std::optional<CSubtitles> mixer;
};

TEST_F(MixerTest, OffsetIsClampedAndWrittenBack) {
    // Mended: a block taller than the picture starts at row 0.
    const struct {
        const char* name;
        std::string text;
        int16_t lines;
        int offset, expectedOffset, expectedTop;
    } cases[] = {{"above the top", "a\nb", 2, 1000, 440, 0},
                 {"below the bottom", "a\nb", 2, -20, 0, 440},
                 {"empty text far up", "", 0, 1000, 480, 0},
                 {"taller than the picture", "x" + std::string(29, '\n'), 30, 5, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.text, c.lines);
        shared.SubtitleOffset = c.offset;
        Frame frame = MakeFrame(VS::RGB24, 640, 480);
        const Frame before = frame;
        Run(frame);
        EXPECT_EQ(shared.SubtitleOffset.load(), c.expectedOffset);
        EXPECT_EQ(mixer->TextTop(), c.expectedTop);
        EXPECT_EQ(frame.plane[0] == before.plane[0], c.lines == 0) << "empty text draws nothing";
    }
}

TEST_F(MixerTest, TextIsRedrawnOnlyWhenItsInputsChange) {
    // One long-lived mixer against a fresh one per step: the cached bitmap
    // and the layers kept from the last text must give exactly the frame a
    // first drawing gives.
    const struct {
        const char* name;
        std::function<void()> change;
        bool redraws;
    } steps[] = {
        {"first frame", [] {}, true},
        {"next frame", [] {}, false},
        {"new list, same text", [this] { Show("Cached\ntext", 2); }, false},
        {"offset moved", [this] { shared.SubtitleOffset = 150; }, true},
        {"font replaced", [this] { shared.SubtitleFont.Set(std::nullopt); }, true},
        {"text changed", [this] { Show("Other\nwords", 2); }, true},
        // The layers a text is drawn in are kept for the next: wider, then narrower.
        {"wider text", [this] { Show("A much wider first line\nand a second", 2); }, true},
        {"narrower text", [this] { Show("Short", 1); }, true},
    };
    Show("Cached\ntext", 2);
    CSubtitles cached(track, shared);
    const Frame pristine = MakeFrame(VS::I420, 320, 240);
    cached.CheckInputType(pristine.format);
    uint64_t redraws = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        Frame a = pristine, b = pristine;
        Draw(cached, a, 1500);
        EXPECT_EQ(cached.Redraws(), redraws += step.redraws ? 1 : 0);
        Run(b);
        EXPECT_TRUE(a.plane[0] == b.plane[0] && a.plane[0] != pristine.plane[0]);
    }
}

// Mended: a line wider than the picture lost its start and its end. It is
// broken at spaces into lines that fit, the block growing upward from the
// same bottom; a single word wider than the picture is still cut.
TEST_F(MixerTest, EveryLineIsCentredAndNotClipped) {
    const char* const kLong =
        "Plain, <i>Italic text</i> and <b>bold text</b> \u2014 \u00C4\u00D6: "
        "\u00E4\u00F6\u00FC \u00DF \u20AC";
    const struct {
        const char* name;
        int width;
        const char* text;
        bool markup, styles;
        int lines;  // drawn
        bool cut;   // a line is cut at both edges
    } rows[] = {
        {"lines that fit", 640, "Hi\nA much longer second line of text", false, false, 2, false},
        {"a word wider than the picture", 120, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM\nMid", false,
         false, 2, true},
        {"a long line, styled", 240, kLong, true, true, 2, false},
        {"a long line, tags taken out", 240, kLong, true, false, 2, false},
        {"a long word among short ones", 120, "a MMMMMMMMMMMMMMMM b", false, false, 3, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Show(row.text, 1 + int16_t(std::ranges::count(std::string(row.text), '\n')), row.markup);
        shared.SubtitleStyles = row.styles ? 1 : 0;
        const int width = row.width;
        const std::vector<uint8_t> levels = Levels(width, 240);
        const int top = 240 - 5 - row.lines * kCy;
        EXPECT_EQ(mixer->TextTop(), top);
        EXPECT_EQ(Drawn(levels, width, 0, top - 1).right, -1) << "ink above the block";
        bool cut = false;
        for (int line = 0; line < row.lines; ++line) {
            const Box b = Drawn(levels, width, top + line * kCy, top + (line + 1) * kCy);
            // Centred, or cut at both edges (up to the gap between two letters).
            const bool edges = b.left < 4 && b.right > width - 5;
            EXPECT_TRUE(b.right >= 0 && (std::abs(b.left + b.right - width) <= 5 || edges))
                << "line " << line << ": " << b.left << "-" << b.right;
            cut = cut || edges;
        }
        EXPECT_EQ(cut, row.cut);
    }
}

// Mended: a cue of megabytes (a file can give one 100 000 lines, or one
// line of millions of characters) was laid out whole at every frame, and
// the picture stood still while it showed. Only what can show is laid out:
// each draws exactly what its beginning draws.
TEST_F(MixerTest, AHugeCueDrawsAsItsBeginningDoes) {
    std::string manyLines, oneWord(4'000'000, 'W'), wideUnicode;
    for (int i = 0; i < 100'000; ++i) {
        manyLines += "line " + std::to_string(i) + (i % 2 ? " <i>in italics</i>\n" : "\n");
    }
    manyLines.pop_back();
    for (int i = 0; i < 500'000; ++i) {
        wideUnicode += i % 7 ? "\u00C4\u20AC" : " ";
    }
    const struct {
        const char* name;
        const std::string* text;
        size_t beginning;  // bytes that draw the same
        bool markup;
    } rows[] = {
        {"100 000 lines", &manyLines, manyLines.find("line 14\n"), false},
        {"100 000 lines, styled", &manyLines, manyLines.find("line 14\n"), true},
        {"one word of 4 MB", &oneWord, 20'000, false},
        {"a line of 2 MB of two-byte and three-byte characters", &wideUnicode, 60'000, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        shared.SubtitleStyles = row.markup ? 1 : 0;
        const std::string beginning = row.text->substr(0, row.beginning);
        const auto lines = [](const std::string& t) {
            return int16_t(1 + std::ranges::count(t, '\n'));
        };
        Show(beginning, lines(beginning), row.markup);
        const std::vector<uint8_t> expected = Levels(320, 240);
        Show(*row.text, std::min<int>(32767, lines(*row.text)), row.markup);
        const std::vector<uint8_t> levels = Levels(320, 240);
        EXPECT_EQ(Drawn(levels, 320, 0, 240).top, Drawn(expected, 320, 0, 240).top);
        EXPECT_TRUE(levels == expected) << "the same pixels as its beginning";
        EXPECT_NE(Drawn(levels, 320, 0, 240).right, -1) << "text drawn";
        Frame next = MakeFrame(VS::YV12, 320, 240, 0);
        const uint64_t redraws = mixer->Redraws();
        Draw(*mixer, next, 1540);
        EXPECT_EQ(mixer->Redraws(), redraws) << "the next frame reuses the drawing";
    }
}

TEST_F(MixerTest, DefaultFontFollowsThePictureAndAChosenOneKeepsItsSize) {
    // Mended: with no font chosen, text was as many pixels tall on 1080 lines
    // as on 360. The default is about a sixteenth of the height; a line box
    // is a little taller than the font's size. A chosen font keeps kCy.
    Show("Hxg", 1);
    const struct {
        const char* name;
        bool chosen;
        int32_t height;
        int lowest, highest;  // the text block's height
    } cases[] = {
        {"chosen, 360 lines", true, 360, kCy, kCy},
        {"chosen, 1080 lines", true, 1080, kCy, kCy},
        {"default, 360 lines", false, 360, 22, 33},
        {"default, 1080 lines", false, 1080, 67, 98},
    };
    const std::optional<QFont> chosen = shared.SubtitleFont.Get();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shared.SubtitleFont.Set(c.chosen ? chosen : std::nullopt);
        const int32_t width = c.height * 16 / 9;
        const Box box = Drawn(Levels(width, c.height), width, 0, c.height);
        const int block = c.height - 5 - mixer->TextTop();
        EXPECT_TRUE(block >= c.lowest && block <= c.highest) << block;
        EXPECT_GT(box.bottom - box.top, block * 2 / 3) << "glyphs drawn at the block's size";
    }
}

TEST_F(MixerTest, ALaterSizeIsDrawnAfreshAtItsOwnSize) {
    // Mended: the bitmap kept the first size, so a smaller picture got a cut
    // piece of the first one's text and a larger one had it in its top left
    // corner. A picture of another size now gets its own drawing: the line
    // centred on its width, 5 pixels over its bottom, and nothing written
    // outside it.
    Show("Centre of the picture", 1);
    Frame first = MakeFrame(VS::YUY2, 640, 480, 16);
    Run(first);
    for (const auto& [width, height] : {std::pair{320, 120}, {800, 600}}) {
        SCOPED_TRACE(width);
        Frame frame = MakeFrame(VS::YUY2, width, height, 16);
        ASSERT_EQ(mixer->CheckInputType(frame.format), MixResult::Ok);
        Draw(*mixer, frame, 1500);
        const Box box = BoxWhere(width, 0, height, [&](int x, int y) {
            return frame.Row(y)[x * 2] != 16 || frame.Row(y)[(x & ~1) * 2 + 1] != 16 ||
                   frame.Row(y)[(x & ~1) * 2 + 3] != 16;
        });
        EXPECT_EQ(mixer->TextTop(), height - 5 - kCy);
        EXPECT_NEAR(box.left + box.right, width - 1, 3) << "centred";
        EXPECT_GT(box.right - box.left, 120);
        EXPECT_GE(box.top, height - 5 - kCy - 1);
        EXPECT_LE(box.bottom, height - 5);
    }
}

TEST_F(MixerTest, TrackAndFontReplacedWhileFramesFlow) {
    // Mended: the UI thread swaps the font while this thread draws; the mixer
    // draws with a copy of its own. The track and the offset change too, and
    // every frame finds text to draw, as the element decides by it.
    Show("Swapping fonts", 1);
    Frame frame = MakeFrame(VS::NV12, 160, 120);
    Run(frame);
    std::atomic<int> frames{0};
    std::atomic<bool> done{false};
    std::thread ui([&] {
        for (int i = 0; i < 100; ++i) {
            const QFont font(QStringLiteral("DejaVu Sans"), 8 + i % 9);
            shared.SubtitleFont.Set(i % 3 == 2 ? std::nullopt : std::optional(font));
            i % 2 ? Show("Odd", 1) : Show("Even\ntrack", 2);
            shared.SubtitleOffset = i % 50;
            for (const int seen = frames.load(); frames.load() == seen;)
                std::this_thread::yield();
        }
        done = true;
    });
    int missed = 0;  // frames that found no text to draw
    for (int i = 0; !done.load(); ++i) {
        missed += mixer->Prepare(At(1000 + i % 3000)) ? 0 : 1;
        mixer->Blend(frame.View());
        frames.fetch_add(1);
    }
    ui.join();
    EXPECT_EQ(missed, 0);
    EXPECT_GT(mixer->Redraws(), 1u);
}

// The pieces of each line as [text:styles#colour], lines between "|", and
// "top:" first for the top placement.
std::string Described(const StyledText& t) {
    std::string out = t.top ? "top:" : "";
    for (size_t i = 0; i < t.lines.size(); ++i) {
        out += i > 0 ? "|" : "";
        for (const StyledPiece& p : t.lines[i]) {
            const std::string style =
                std::string(p.italic ? "i" : "") + (p.bold ? "b" : "") + (p.underline ? "u" : "");
            out += "[" + p.text.toStdString() + (style.empty() ? "" : ":" + style) +
                   (p.colour ? QString::asprintf("#%06x", p.colour & 0xFFFFFF).toStdString() : "") +
                   "]";
        }
    }
    return out;
}

TEST(ParseSubRipStyles, PiecesOfEachLine) {
    const struct {
        const char* name;
        const char* text;
        const char* pieces;
    } cases[] = {
        {"nested", "<i>a<b>b</b></i>c", "[a:i][b:ib][c]"},
        {"same tag twice needs two closes", "<u><u>a</u>b</u>c", "[ab:u][c]"},
        {"unclosed runs across lines", "<i>a\nb", "[a:i]|[b:i]"},
        {"closing what is not open", "</b>x<B>y", "[x][y:b]"},
        {"unknown tags removed", "<span class=\"x\">a</span><br/>b", "[ab]"},
        {"not tags", "a < b <3 x<y", "[a < b <3 x<y]"},
        {"unterminated tag is text", "a <i\nb", "[a <i]|[b]"},
        {"named colours, nested, bare and single quotes",
         "<font color=red>a<font color='Blue'>b</font>c</font>d",
         "[a#ff0000][b#0000ff][c#ff0000][d]"},
        {"bad colour keeps the outer one", "<font color=lime>a<font color=\"nonsense\">b</font>",
         "[ab#00ff00]"},
        {"middle stays at the bottom", "{\\an5}x", "[x]"},
        {"other overrides removed", "{\\i1}a{\\an9\\b1}b", "top:[ab]"},
        {"braces without a backslash are text", "{not an override}", "[{not an override}]"},
        {"empty lines kept", "a\n\nb", "[a]||[b]"},
        {"UTF-8 around tags", "é<i>ü</i>", "[é][ü:i]"},
        // A font tag's attributes are name=value pairs.
        {"double quotes", "<font color=\"red\">a", "[a#ff0000]"},
        {"spaces and a tab around =", "<font\tcolor =\t'red' >a", "[a#ff0000]"},
        {"names without case, hex value", "<FONT COLOR=#00FF00>a", "[a#00ff00]"},
        {"quoted face containing color", "<font face=\"Colorado\" color=\"red\">a", "[a#ff0000]"},
        {"bare face containing color", "<font face=Colorado color=red>a", "[a#ff0000]"},
        {"color= inside another value", "<font face='x color=blue' color=red>a", "[a#ff0000]"},
        {"a name ending in color", "<font bgcolor=blue color=red>a", "[a#ff0000]"},
        {"no color attribute", "<font face=\"Colorado\">a</font>", "[a]"},
        {"attributes without values first", "<font bold face=\"\" color=red>a", "[a#ff0000]"},
        {"unclosed quote runs to the tag's end", "<font color=\"red>a", "[a#ff0000]"},
        {"the first color wins", "<font color=red color=blue>a", "[a#ff0000]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Described(ParseSubRipStyles(c.text)), c.pieces) << c.name;
    }
}

// Mended: on 4:2:0 frames only luma was written, so white text took the hue
// of the picture under it (cyan letters over blue) and the outline was
// tinted too. Text, outline and note now give every chroma sample whose 2x2
// luma block they touch neutral chroma, as YUY2 frames always did. The frame
// is saturated blue: Y 41, Cb 240, Cr 110.
TEST_F(MixerTest, PlanarTextIsWhiteOverAColouredPicture) {
    const struct {
        const char* name;
        VS subtype;
        int cbPlane, crPlane, step;  // where a chroma pair lives
    } rows[] = {{"I420", VS::I420, 1, 2, 1},
                {"YV12, Cr plane first", VS::YV12, 2, 1, 1},
                {"NV12, Cb and Cr interleaved", VS::NV12, 1, 1, 2}};
    Show("Hello, subtitles", 1);
    shared.Note.Set("Subtitles: Off");
    const std::vector<uint8_t> levels = Levels(320, 240);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Frame f = MakeFrame(row.subtype, 320, 240, 41);
        for (size_t i = 0; i < f.plane[row.cbPlane].size(); i += size_t(row.step)) {
            f.plane[row.cbPlane][i] = 240;
            f.plane[row.crPlane][i + (row.step == 2 ? 1 : 0)] = 110;
        }
        Run(f);
        int touched = 0, wrong = 0;
        for (int cy = 0; cy < 120; ++cy) {
            for (int cx = 0; cx < 160; ++cx) {
                const size_t at = size_t(cy) * f.stride[1] + size_t(cx) * row.step;
                const int cb = f.plane[row.cbPlane][at];
                const int cr = f.plane[row.crPlane][at + (row.step == 2 ? 1 : 0)];
                bool text = false;
                for (int i = 0; i < 4; ++i)
                    text |= levels[size_t(2 * cy + i / 2) * 320 + size_t(2 * cx + i % 2)] != 0;
                touched += text;
                wrong += text ? std::abs(cb - 128) > 2 || std::abs(cr - 128) > 2
                              : cb != 240 || cr != 110;
            }
        }
        EXPECT_EQ(wrong, 0) << "chroma samples tinted under the text or changed away from it";
        EXPECT_GT(touched, 200) << "the text and the note are drawn";
    }
}

TEST_F(MixerTest, OffDrawsMarkupAsTypedAndTheBottomPlacement) {
    Frame off = Mix("<i>MMMM</i>", false, VS::I420), on = Mix("<i>MMMM</i>", true, VS::I420);
    // White text in both; "<i>" and "</i>" drawn as typed make it wider.
    for (Frame* f : {&off, &on}) {
        EXPECT_GT(std::ranges::count(f->plane[0], 255), 0);
        EXPECT_GT(std::ranges::count(f->plane[1], 128), 0);
        EXPECT_EQ(std::ranges::count(f->plane[1], 50) + std::ranges::count(f->plane[1], 128),
                  std::ssize(f->plane[1]));
    }
    EXPECT_GT(std::ranges::count(off.plane[0], 0), 0);
    EXPECT_LT(std::ranges::count(off.plane[0], 0), std::ranges::count(on.plane[0], 0));
    const int32_t bottom = 240 - 5 - kCy;
    EXPECT_EQ(mixer->TextTop(), bottom);
    Mix("{\\an8}Top", false, VS::I420);
    EXPECT_EQ(mixer->TextTop(), bottom);
    Mix("{\\an8}Top", true, VS::I420);
    EXPECT_EQ(mixer->TextTop(), 5);
    // A cue of the clip's own track never shows its tags: with styles off
    // they are taken out, leaving what the bare text draws.
    const Frame bare = Mix("MMMM &", false, VS::I420);
    EXPECT_EQ(Mix("<i>MMMM</i> <font color=\"red\">&</font>", false, VS::I420, true).plane[0],
              bare.plane[0]);
    EXPECT_NE(Mix("<i>MMMM</i> &", true, VS::I420, true).plane[0], bare.plane[0]);
}

// A still picture is drawn once after a change: the entry the new delay
// makes due must show on that one frame, also when it lies before the last.
// The notice beside a shown subtitle is seen in the end-to-end test.
TEST_F(MixerTest, DelayShiftsEveryEntryAndItsNoticeShowsAlone) {
    // A by time, 1000-2000 ms; B by frames 75-100, 3000-4000 ms at 25 fps.
    track.Fill({{.start = 1000, .end = 2000, .text = "A", .lines = 1},
                {.text = "B", .lines = 1, .startFrame = 75, .endFrame = 100}});
    const struct {
        const char* name;
        int delay;
        int64_t ms;
        int entry;  // -1: none due
    } rows[] = {
        {"later by 0.3 s: A not yet at 1.2 s", 300, 1200, -1},
        {"later by 0.3 s: A up to 2.299 s", 300, 2299, 0},
        {"earlier by 0.5 s: frame-based B from 2.5 s", -500, 2500, 1},
        {"later by 2.5 s: A, before B, at once", 2500, 4100, 0},
    };
    Levels(64, 48);  // the mixer made on a first frame
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        shared.SubtitleDelay = row.delay;
        EXPECT_EQ(Due(row.ms), row.entry);
    }
    // A delay stops at an hour.
    PictureNote note(shared, [] {});
    SubtitleDelay(shared, note).Step(SubtitleDelay::kLimitMs);
    EXPECT_EQ(shared.SubtitleDelay.load(), SubtitleDelay::kLimitMs);
    // With subtitles hidden, the notice alone: one line 8 px from the top and
    // left (its outline one pixel further), wider than 100 px in any font.
    shared.ViewSubtitles = 0;
    ASSERT_EQ(DelayNoticeText(2500), "Subtitle delay: +2.5 s") << "with its sign";
    shared.Note.Set(DelayNoticeText(2500));
    const Box box = Drawn(Levels(640, 480), 640, 0, 480);
    EXPECT_TRUE(box.top >= 7 && box.bottom <= 8 + 2 * kCy && box.left >= 7 && box.left <= 10 &&
                box.right > 100 && box.right < 320)
        << box.top << " " << box.bottom << " " << box.left << " " << box.right;
}

// A synchronisation's retiming under the delay: 25 -> 23.976 fps, and a
// second part from 5 s of subtitle time 3 s later than the first. Shift+Z
// puts the entries back on their own times.
TEST_F(MixerTest, RetimingMapsTheFrameTimeThroughRateAndParts) {
    track.Fill({{.start = 1000, .end = 2000, .text = "A", .lines = 1},
                {.start = 10000, .end = 11000, .text = "B", .lines = 1}});
    shared.SubtitleDelay = 500;
    shared.Timing.Set(25 / 23.976, {{0, 0}, {5000, 3000}});
    const struct {
        const char* name;
        int64_t ms;
        int entry;  // -1: none due
    } rows[] = {
        {"A not yet at 1.540 s (due at 1.5427)", 1540, -1},
        {"A at 1.545 s", 1545, 0},
        {"A still at 2.580 s (ends at 2.5849)", 2580, 0},
        {"A gone at 2.590 s", 2590, -1},
        {"skipped stretch: nothing of part two early", 8000, -1},
        {"B not yet at 13.920 s (due at 13.9266)", 13920, -1},
        {"B at 13.930 s", 13930, 1},
    };
    Levels(64, 48);  // the mixer made on a first frame
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Due(row.ms), row.entry);
    }
    PictureNote note(shared, [] {});
    SubtitleDelay(shared, note).Step(0);
    EXPECT_FALSE(shared.Timing.Active());
    EXPECT_EQ(Due(1000), 0) << "A on its own time";
    EXPECT_EQ(Due(10000), 1) << "B on its own time";
}

LogFontBytes Record(int32_t height, int32_t weight, const char* face) {
    LogFontBytes r{};
    std::memcpy(r.data(), &height, 4);  // little-endian host, as stored
    std::memcpy(r.data() + 16, &weight, 4);
    std::strncpy(reinterpret_cast<char*>(r.data() + 28), face, 32);
    return r;
}

// The font a record reads as: "family pixel-size weight" and " i", " u", " s"
// for italic, underline and strike-out; "none" without one.
std::string Read(const LogFontBytes& r) {
    const std::optional<QFont> f = FontFromLogFont(r.data(), r.size());
    return !f ? "none"
              : f->family().toStdString() + " " + std::to_string(f->pixelSize()) + " " +
                    std::to_string(f->weight()) + (f->italic() ? " i" : "") +
                    (f->underline() ? " u" : "") + (f->strikeOut() ? " s" : "");
}

TEST(LogFont, FieldsAreStoredAtTheirOffsetsAndReadBack) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    font.setUnderline(true);
    const LogFontBytes b = LogFontFromFont(font);
    EXPECT_EQ(std::memcmp(b.data(), "\xEC\xFF\xFF\xFF", 4), 0) << "lfHeight -20";
    EXPECT_EQ(std::memcmp(b.data() + 16, "\xBC\x02\0\0", 4), 0) << "lfWeight 700";
    EXPECT_TRUE(b[20] == 1 && b[21] == 1 && b[22] == 0) << "italic, underline, no strike-out";
    EXPECT_STREQ(reinterpret_cast<const char*>(b.data() + 28), "DejaVu Sans");
    EXPECT_EQ(Read(b), "DejaVu Sans 20 700 i u");
    // A long face name (34 bytes, 31 fit) is cut on a character boundary.
    const LogFontBytes cut = LogFontFromFont(QFont(QString::fromUtf8("ééééééééééééééééé")));
    EXPECT_STREQ(reinterpret_cast<const char*>(cut.data() + 28), "ééééééééééééééé");
}

// A record one byte short is refused where the settings are read.
TEST(LogFont, StoredRecordsAreReadByGdiRulesOrRefused) {
    LogFontBytes unterminated = Record(-20, 400, "");
    std::memset(unterminated.data() + 28, 'A', 32);
    const struct {
        const char* name;
        LogFontBytes bytes;
        const char* font;
    } cases[] = {
        {"weight to the nearest 100", Record(-12, 640, "DejaVu Sans"), "DejaVu Sans 12 600"},
        {"empty face name", Record(-12, 400, ""), "none"},
        {"face name without NUL", unterminated, "none"},
        {"the largest a font dialog gives", Record(-2184, 400, "DejaVu Sans"),
         "DejaVu Sans 2184 400"},
        {"damaged, past it: the default height", Record(-2185, 400, "DejaVu Sans"),
         "DejaVu Sans -1 400"},
        {"damaged: INT32_MIN", Record(INT32_MIN, 400, "DejaVu Sans"), "DejaVu Sans -1 400"},
        {"damaged: a cell of 2 billion", Record(2'000'000'000, 400, "DejaVu Sans"),
         "DejaVu Sans -1 400"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.bytes), c.font) << c.name;
    }
    const std::optional<QFont> cell = FontFromLogFont(Record(30, 0, "DejaVu Sans").data(), 60);
    ASSERT_TRUE(cell.has_value());
    EXPECT_NEAR(QFontMetrics(*cell).height(), 30, 1) << "positive height: cell height";
    EXPECT_FALSE(FontFromLogFont(nullptr, 60));
}

}  // namespace
}  // namespace tavimo
