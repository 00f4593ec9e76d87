// CSubtitles core: the blend rule of each pixel format, layout and offset,
// the redraw cache, and the faults the mixer guards against; and the stored
// 60-byte LOGFONTA value of the subtitle font.
#include "subtitles/log_font.h"

#include <QFontMetrics>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "mixer_test_util.h"

namespace tavimo {
namespace {

constexpr int kCy = 20;  // line height of the test font

class MixerTest : public MixerFixture {
  protected:
    void SetUp() override {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(17);
        ASSERT_EQ(QFontMetrics(font).height(), kCy);
        shared.SubtitleFont.Set(font);
    }
    void Show(const std::string& text, int16_t lines) {
        track.Fill({{.start = 1000, .end = 5000, .text = text, .lines = lines}});
    }
    // The level (blue byte) drawn at each pixel: what a zeroed luma plane receives.
    std::vector<uint8_t> Levels(int32_t width, int32_t height) {
        Frame f = MakeFrame(VS::YV12, width, height, 0);
        Run(f);
        return f.plane[0];
    }
};

// The `n` bytes of plane 0 at pixel (x, y), y counted from the picture's top;
// positive-height RGB frames are stored bottom-up.
std::vector<uint8_t> PixelBytes(const Frame& f, int32_t x, int32_t y, int n) {
    const VS st = f.format.subtype;
    const bool rgb = st == VS::RGB24 || st == VS::RGB32 || st == VS::RGB565 || st == VS::RGB555;
    const int32_t row = rgb && f.format.height > 0 ? std::abs(f.format.height) - 1 - y : y;
    const uint8_t* p = f.Row(row) + size_t(x) * n;
    return {p, p + n};
}

TEST_F(MixerTest, EachFormatWritesTheLevelsByItsRule) {
    Show("Hello, subtitles\nSecond line", 2);
    const std::vector<uint8_t> levels = Levels(640, 480);
    // A white body and a near-black outline in both line boxes above the
    // default offset of 5 (rows 435-474); the outline may reach one row below.
    const auto drawn = [](uint8_t s) { return s != 0; };
    const auto first = (std::find_if(levels.begin(), levels.end(), drawn) - levels.begin()) / 640;
    const auto last = (levels.rend() - std::find_if(levels.rbegin(), levels.rend(), drawn)) / 640;
    EXPECT_TRUE(first >= 435 && first < 455 && last >= 455 && last <= 475) << first << "-" << last;
    const auto body = std::find(levels.begin(), levels.end(), 255) - levels.begin();
    const auto outline = std::find(levels.begin(), levels.end(), 1) - levels.begin();
    ASSERT_TRUE(body < 640 * 480 && outline < 640 * 480);
    // Mended: rows are addressed by the frame's stride, so padded rows get the
    // same picture as packed ones. Chroma planes and rows without text keep
    // their bytes; YUY2 text pixels get neutral chroma.
    const struct {
        const char* name;
        VS subtype;
        int32_t height, padding;  // negative height: RGB rows top-down
        std::vector<uint8_t> white, black;
    } cases[] = {{"YUY2, padded", VS::YUY2, 480, 6, {255, 128}, {1, 128}},
                 {"YV12", VS::YV12, 480, 0, {255}, {1}},
                 {"I420, padded", VS::I420, 480, 3, {255}, {1}},
                 {"NV12", VS::NV12, 480, 0, {255}, {1}},
                 {"RGB24 bottom-up, padded", VS::RGB24, 480, 7, {255, 255, 255}, {1, 1, 1}},
                 {"RGB32", VS::RGB32, 480, 0, {255, 255, 255, 255}, {1, 1, 1, 255}},
                 {"RGB565", VS::RGB565, 480, 0, {0xFF, 0xFF}, {0x01, 0x00}},
                 {"RGB555 top-down", VS::RGB555, -480, 0, {0xFF, 0xFF}, {0x01, 0x00}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Frame frame = MakeFrame(c.subtype, 640, c.height, {}, c.padding);
        const Frame before = frame;
        Run(frame);
        const int n = int(c.white.size());
        EXPECT_EQ(PixelBytes(frame, int32_t(body % 640), int32_t(body / 640), n), c.white);
        EXPECT_EQ(PixelBytes(frame, int32_t(outline % 640), int32_t(outline / 640), n), c.black);
        EXPECT_TRUE(frame.plane[1] == before.plane[1] && frame.plane[2] == before.plane[2]);
        for (int32_t y = 0; y < 480; ++y) {
            if (y < first || y > last) {
                ASSERT_EQ(PixelBytes(frame, 0, y, frame.stride[0]),
                          PixelBytes(before, 0, y, before.stride[0]))
                    << "row " << y;
            }
        }
    }
}

TEST_F(MixerTest, OffsetIsClampedAndWrittenBack) {
    // Mended: a block taller than the picture starts at row 0.
    const std::string tall = "x" + std::string(29, '\n');
    const struct {
        const char* name;
        std::string text;
        int16_t lines;
        int offset, expectedOffset, expectedTop;
    } cases[] = {{"above the top", "a\nb", 2, 1000, 440, 0},
                 {"below the bottom", "a\nb", 2, -20, 0, 440},
                 {"empty text far up", "", 0, 1000, 480, 0},
                 {"empty text below", "", 0, -3, 0, 480},
                 {"taller than the picture", tall, 30, 5, 0, 0}};
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

// Times without an entry, hidden subtitles and frames without a time stamp
// are covered where the element decides between drawing and passing through.
TEST_F(MixerTest, FramesPassUnchangedWhereNoRuleFits) {
    Show("Hidden", 1);
    for (const auto& [name, subtype, stride] : {std::tuple{"subtype without a rule", VS::Other, 0},
                                                {"stride shorter than a row", VS::YUY2, 64}}) {
        SCOPED_TRACE(name);
        Frame frame = MakeFrame(VS::YUY2, 320, 240), shown = frame;
        Run(shown);  // the text is drawn once first
        frame.format.subtype = subtype;
        frame.stride[0] = stride != 0 ? stride : frame.stride[0];
        const Frame before = frame;
        mixer->CheckInputType(frame.format);
        EXPECT_EQ(mixer->Transform(frame.View(), At(1500)), MixResult::Ok);
        EXPECT_TRUE(frame.plane[0] == before.plane[0]);
    }
    CSubtitles fresh(track, shared);
    EXPECT_EQ(fresh.Transform(MakeFrame(VS::YUY2, 32, 24).View(), At(1500)), MixResult::Ok)
        << "no format accepted yet";
    fresh.CheckInputType({VS::YUY2, 320, 240, 16});
    EXPECT_EQ(fresh.Transform(VideoPlanes{}, At(1500)), MixResult::Drop) << "no pixels";
}

TEST_F(MixerTest, TextIsRedrawnOnlyWhenItsInputsChange) {
    // One long-lived mixer against a fresh one per step: the cached bitmap
    // must give exactly the frame a first drawing gives.
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
        cached.Transform(a.View(), At(1500));
        EXPECT_EQ(cached.Redraws(), redraws += step.redraws ? 1 : 0);
        Run(b);
        EXPECT_TRUE(a.plane[0] == b.plane[0] && a.plane[0] != pristine.plane[0]);
    }
}

TEST_F(MixerTest, EveryLineIsCentredAndNotClipped) {
    for (const auto& [width, text] :
         {std::pair{640, "Hi\nA much longer second line of text"},
          {120, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM\nMid"}}) {  // wider than the picture
        Show(text, 2);
        const std::vector<uint8_t> levels = Levels(width, 240);
        for (int32_t line = 0, top = 240 - 5 - 2 * kCy; line < 2; ++line) {
            int32_t minX = width, maxX = -1;
            for (int32_t i = (top + line * kCy) * width; i < (top + line * kCy + kCy) * width;
                 ++i) {
                minX = levels[size_t(i)] != 0 ? std::min(minX, i % width) : minX;
                maxX = levels[size_t(i)] != 0 ? std::max(maxX, i % width) : maxX;
            }
            // Centred, or cut at both edges (up to the gap between two letters).
            EXPECT_TRUE(maxX >= 0 &&
                        (std::abs(minX + maxX - width) <= 5 || (minX < 4 && maxX > width - 5)))
                << text << ", line " << line << ": " << minX << "-" << maxX;
        }
    }
}

TEST_F(MixerTest, ALaterSizeBlendsOnlyTheSharedArea) {
    // Mended: the bitmap keeps the first size; a frame of another size gets
    // the first picture's text where both overlap, and nothing elsewhere.
    Show("Centre of the first picture", 1);
    Frame first = MakeFrame(VS::YUY2, 640, 480, 16);
    Run(first);
    for (const auto& [width, height] : {std::pair{320, mixer->TextTop() + kCy / 2}, {800, 600}}) {
        SCOPED_TRACE(width);
        Frame frame = MakeFrame(VS::YUY2, width, height, 16);
        ASSERT_EQ(mixer->CheckInputType(frame.format), MixResult::Ok);
        mixer->Transform(frame.View(), At(1500));
        const auto common = size_t(std::min(width, 640) * 2);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = frame.Row(y);
            EXPECT_TRUE(y >= 480 || std::memcmp(row, first.Row(y), common) == 0) << "row " << y;
            EXPECT_TRUE(std::all_of(row + (y < 480 ? common : 0), row + frame.stride[0],
                                    [](uint8_t b) { return b == 16; }))
                << "outside the shared area, row " << y;
        }
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
            for (const int seen = frames.load(); frames.load() == seen;) {
                std::this_thread::yield();
            }
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
        {"negative height: character height", Record(-18, 700, "DejaVu Sans"),
         "DejaVu Sans 18 700"},
        {"weight to the nearest 100", Record(-12, 640, "DejaVu Sans"), "DejaVu Sans 12 600"},
        {"weight above the scale", Record(-12, 1000, "DejaVu Sans"), "DejaVu Sans 12 900"},
        {"empty face name", Record(-12, 400, ""), "none"},
        {"face name without NUL", unterminated, "none"},
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
