// CSubtitles core: layout, the blend rule of each pixel format, time lookup,
// the redraw cache, and the faults the mixer guards against.
#include "mixer_test_support.h"

#include "subtitles/subtitle_mixer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

namespace tavimo {
namespace {

using test::At;
using test::Frame;
using test::MakeFrame;
using test::Timed;

constexpr int kCy = 20;  // line height of the test font

class MixerTest : public testing::Test {
  protected:
    void SetUp() override { shared.SubtitleFont.Set(test::FontWithLineHeight(kCy)); }

    void Show(const char* text, int16_t lines) { track.Fill({Timed(1000, 5000, text, lines)}); }

    // A fresh mixer that accepts `frame`'s format and transforms it at `ms`.
    MixResult Run(Frame& frame, int64_t ms = 1500) {
        CSubtitles mixer(track, shared);
        EXPECT_EQ(mixer.CheckInputType(frame.format), MixResult::Ok);
        return mixer.Transform(frame.View(), At(ms));
    }

    // The level (blue byte) drawn at each pixel of a width x height picture:
    // what a zeroed luma plane receives.
    std::vector<uint8_t> Levels(int32_t width, int32_t height) {
        Frame f = MakeFrame(VideoSubtype::YV12, width, height);
        std::fill(f.plane[0].begin(), f.plane[0].end(), 0);
        Run(f);
        return f.plane[0];
    }

  public:
    SubtitleTrack track;
    MixerShared shared;
};

// `before` with the described rule of its subtype applied at every pixel of
// `levels` that is not 0.
Frame Expected(const Frame& before, const std::vector<uint8_t>& levels) {
    Frame out = before;
    const int32_t W = before.format.width;
    const int32_t H = before.Rows();
    const VideoSubtype st = before.format.subtype;
    const bool rgb = st == VideoSubtype::RGB24 || st == VideoSubtype::RGB32 ||
                     st == VideoSubtype::RGB565 || st == VideoSubtype::RGB555;
    for (int32_t y = 0; y < H; ++y) {
        const int32_t memoryRow = rgb && before.format.height > 0 ? H - 1 - y : y;
        uint8_t* row = out.plane[0].data() + static_cast<size_t>(memoryRow) * out.stride[0];
        for (int32_t x = 0; x < W; ++x) {
            const uint8_t s = levels[static_cast<size_t>(y) * W + x];
            if (s == 0) {
                continue;
            }
            if (st == VideoSubtype::YUY2) {
                row[2 * x] = s;
                row[4 * (x / 2) + 1] = 128;
                row[4 * (x / 2) + 3] = 128;
            } else if (st == VideoSubtype::RGB24) {
                std::memset(row + 3 * x, s, 3);
            } else if (st == VideoSubtype::RGB32) {
                std::memset(row + 4 * x, s, 3);
                row[4 * x + 3] = 0xFF;
            } else if (st == VideoSubtype::RGB565 || st == VideoSubtype::RGB555) {
                const uint16_t v = s == 255 ? 0xFFFF : 0x0001;
                std::memcpy(row + 2 * x, &v, 2);
            } else {
                row[x] = s;
            }
        }
    }
    return out;
}

// Rows of `levels` (W wide) holding any drawn pixel: [first, last].
std::pair<int32_t, int32_t> DrawnRows(const std::vector<uint8_t>& levels, int32_t W) {
    int32_t first = -1, last = -1;
    for (size_t i = 0; i < levels.size(); ++i) {
        if (levels[i] != 0) {
            const auto y = static_cast<int32_t>(i / static_cast<size_t>(W));
            first = first < 0 ? y : first;
            last = y;
        }
    }
    return {first, last};
}

struct FormatCase {
    const char* name;
    VideoSubtype subtype;
    int32_t height;  // negative: RGB rows top-down
};

TEST_F(MixerTest, EachFormatChangesOnlyTextPixelsByItsRule) {
    const FormatCase cases[] = {
        {"YUY2", VideoSubtype::YUY2, 480},
        {"YV12", VideoSubtype::YV12, 480},
        {"I420", VideoSubtype::I420, 480},
        {"NV12", VideoSubtype::NV12, 480},
        {"RGB24 bottom-up", VideoSubtype::RGB24, 480},
        {"RGB24 top-down", VideoSubtype::RGB24, -480},
        {"RGB32 bottom-up", VideoSubtype::RGB32, 480},
        {"RGB32 top-down", VideoSubtype::RGB32, -480},
        {"RGB565", VideoSubtype::RGB565, 480},
        {"RGB555 top-down", VideoSubtype::RGB555, -480},
    };
    Show("Hello, subtitles\nSecond line", 2);
    const std::vector<uint8_t> levels = Levels(640, 480);
    // White body and near-black outline both appear; nothing lies above the
    // block or more than one outline pixel below it.
    EXPECT_NE(std::count(levels.begin(), levels.end(), 255), 0);
    EXPECT_NE(std::count(levels.begin(), levels.end(), 1), 0);
    const auto [first, last] = DrawnRows(levels, 640);
    const int32_t top = 480 - 5 - 2 * kCy;
    EXPECT_GE(first, top);
    EXPECT_LE(last, top + 2 * kCy);
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        Frame frame = MakeFrame(c.subtype, 640, c.height);
        const Frame expected = Expected(frame, levels);
        EXPECT_EQ(Run(frame), MixResult::Ok);
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(frame.plane[i] == expected.plane[i]) << "plane " << i;
        }
    }
}

TEST_F(MixerTest, TwoLinesAtOffsetFiveCoverTheRowsAboveIt) {
    // 640x480, two lines of 20 rows, offset 5: the block's bottom is 5 rows
    // above the picture's bottom, so it spans rows 480-5-40 = 435 to 474.
    Show("Hello\nWorld", 2);
    Frame frame = MakeFrame(VideoSubtype::YUY2, 640, 480);
    const Frame before = frame;
    CSubtitles mixer(track, shared);
    mixer.CheckInputType(frame.format);
    mixer.Transform(frame.View(), At(1500));
    EXPECT_EQ(mixer.TextTop(), 435);
    int32_t changedFirst = -1, changedLast = -1;
    bool firstLine = false, secondLine = false;
    for (int32_t y = 0; y < 480; ++y) {
        if (std::memcmp(frame.Row(y), before.Row(y), 1280) != 0) {
            changedFirst = changedFirst < 0 ? y : changedFirst;
            changedLast = y;
            firstLine |= y < 455;
            secondLine |= y >= 455;
        }
    }
    EXPECT_GE(changedFirst, 435);
    EXPECT_LE(changedLast, 475);  // the outline may reach one row below
    EXPECT_TRUE(firstLine && secondLine);
    EXPECT_EQ(shared.SubtitleOffset.load(), 5);
}

TEST_F(MixerTest, OffsetIsClampedAndWrittenBack) {
    struct Case {
        const char* name;
        int offset;
        const char* text;
        int16_t lines;
        int expectedOffset;
        int32_t expectedTop;
    };
    const Case cases[] = {
        {"inside the picture", 5, "a\nb", 2, 5, 435},
        {"above the top", 1000, "a\nb", 2, 440, 0},
        {"below the bottom", -20, "a\nb", 2, 0, 440},
        {"empty text far up", 1000, "", 0, 480, 0},
        {"empty text below", -3, "", 0, 0, 480},
        // Mended: a block taller than the picture starts at row 0.
        {"taller than the picture", 5,
         "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n"
         "17\n18\n19\n20\n21\n22\n23\n24\n25\n26\n27\n28\n29\n30",
         30, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.text, c.lines);
        shared.SubtitleOffset = c.offset;
        Frame frame = MakeFrame(VideoSubtype::RGB24, 640, 480);
        const Frame before = frame;
        CSubtitles mixer(track, shared);
        mixer.CheckInputType(frame.format);
        mixer.Transform(frame.View(), At(1500));
        EXPECT_EQ(shared.SubtitleOffset.load(), c.expectedOffset);
        EXPECT_EQ(mixer.TextTop(), c.expectedTop);
        EXPECT_EQ(frame.plane[0] == before.plane[0], c.lines == 0) << "empty text changes nothing";
    }
}

TEST_F(MixerTest, FramesPassUnchangedWhenNothingIsDue) {
    struct Case {
        const char* name;
        std::function<void(MixerTest&, CSubtitles&, FrameTime&, VideoFormat&)> arrange;
    };
    const Case cases[] = {
        {"subtitles switched off",
         [](MixerTest& t, CSubtitles&, FrameTime&, VideoFormat&) { t.shared.ViewSubtitles = 0; }},
        {"no entry at the frame's time",
         [](MixerTest&, CSubtitles&, FrameTime& time, VideoFormat&) { time = At(5000); }},
        {"no entry right after a shown one",
         [](MixerTest&, CSubtitles& mixer, FrameTime& time, VideoFormat& format) {
             Frame shown = MakeFrame(format.subtype, format.width, format.height);
             mixer.CheckInputType(format);
             mixer.Transform(shown.View(), At(1500));
             time = At(6000);
         }},
        {"frame without time stamp",
         [](MixerTest&, CSubtitles&, FrameTime& time, VideoFormat&) { time.valid = false; }},
        {"empty track",
         [](MixerTest& t, CSubtitles&, FrameTime&, VideoFormat&) { t.track.Clear(); }},
        {"subtype without a rule",
         [](MixerTest&, CSubtitles&, FrameTime&, VideoFormat& format) {
             format.subtype = VideoSubtype::Other;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shared.ViewSubtitles = 1;
        Show("Hidden", 1);
        CSubtitles mixer(track, shared);
        FrameTime time = At(1500);
        VideoFormat format{VideoSubtype::YUY2, 320, 240, 16};
        c.arrange(*this, mixer, time, format);
        Frame frame = MakeFrame(VideoSubtype::YUY2, 320, 240);
        frame.format = format;
        const Frame before = frame;
        mixer.CheckInputType(format);
        EXPECT_EQ(mixer.Transform(frame.View(), time), MixResult::Ok);
        EXPECT_TRUE(frame.plane[0] == before.plane[0]);
    }
}

TEST_F(MixerTest, NothingIsDrawnBeforeAFormatIsAccepted) {
    Show("Text", 1);
    Frame frame = MakeFrame(VideoSubtype::YUY2, 320, 240);
    const Frame before = frame;
    CSubtitles mixer(track, shared);
    EXPECT_EQ(mixer.Transform(frame.View(), At(1500)), MixResult::Ok);
    EXPECT_TRUE(frame.plane[0] == before.plane[0]);
    EXPECT_EQ(mixer.LayoutWidth(), 0);
    EXPECT_EQ(mixer.Transform(VideoPlanes{}, At(1500)), MixResult::Ok);
    mixer.CheckInputType(frame.format);
    EXPECT_EQ(mixer.Transform(VideoPlanes{}, At(1500)), MixResult::Drop) << "no pixels: dropped";
    EXPECT_EQ(mixer.CheckInputType(VideoFormat{VideoSubtype::YUY2, 0, 240, 16}),
              MixResult::TypeNotAccepted);
    EXPECT_EQ(mixer.CheckInputType(VideoFormat{VideoSubtype::YUY2, 320, 0, 16}),
              MixResult::TypeNotAccepted);
}

TEST_F(MixerTest, FrameBasedEntriesFollowTheFrameRate) {
    struct Case {
        const char* name;
        FrameTime time;  // start and duration in 100 ns
        bool shown;
    };
    // {25}{50}: 1000 ms to 2000 ms at 25 fps.
    const Case cases[] = {
        {"just before the start", {true, 9'999'999, 400'000, 1.0, 0}, false},
        {"at the start", {true, 10'000'000, 400'000, 1.0, 0}, true},
        {"last millisecond", {true, 19'999'999, 400'000, 1.0, 0}, true},
        {"at the end", {true, 20'000'000, 400'000, 1.0, 0}, false},
        {"format's rate without a duration", {true, 10'000'000, 0, 1.0, 25.0}, true},
        {"format's rate, outside", {true, 20'000'000, -1, 1.0, 25.0}, false},
        {"no rate known", {true, 15'000'000, 0, 1.0, 0.0}, false},
        {"times at double rate", {true, 10'000'000, 200'000, 2.0, 0}, true},
        {"times at double rate, before", {true, 9'990'000, 200'000, 2.0, 0}, false},
        {"50 fps moves the window", {true, 5'000'000, 200'000, 1.0, 0}, true},
    };
    SubtitleEntry entry;
    entry.text = "Frames";
    entry.lines = 1;
    entry.startFrame = 25;
    entry.endFrame = 50;
    track.Fill({entry});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSubtitles mixer(track, shared);
        mixer.CheckInputType(VideoFormat{VideoSubtype::YV12, 160, 120, 12});
        EXPECT_EQ(mixer.Prepare(c.time), c.shown);
    }
}

TEST_F(MixerTest, TimeBasedEntriesNeedNoFrameRate) {
    Show("Timed", 1);
    CSubtitles mixer(track, shared);
    mixer.CheckInputType(VideoFormat{VideoSubtype::YV12, 160, 120, 12});
    EXPECT_TRUE(mixer.Prepare(FrameTime{true, 15'000'000, 0, 1.0, 0.0}));
}

TEST_F(MixerTest, TextIsRedrawnOnlyWhenItsInputsChange) {
    // One long-lived mixer against a fresh one per step: the cached bitmap
    // must give exactly the frame a first drawing gives.
    struct Step {
        const char* name;
        std::function<void(MixerTest&)> change;
        bool redraws;
    };
    const Step steps[] = {
        {"first frame", [](MixerTest&) {}, true},
        {"next frame", [](MixerTest&) {}, false},
        {"new list, same text",
         [](MixerTest& t) { t.track.Fill({Timed(1000, 5000, "Cached\ntext", 2)}); }, false},
        {"offset moved a little", [](MixerTest& t) { t.shared.SubtitleOffset = 12; }, true},
        {"offset moved far", [](MixerTest& t) { t.shared.SubtitleOffset = 150; }, true},
        {"font replaced",
         [](MixerTest& t) { t.shared.SubtitleFont.Set(test::FontWithLineHeight(kCy + 6)); }, true},
        {"default font", [](MixerTest& t) { t.shared.SubtitleFont.Set(std::nullopt); }, true},
        {"text changed", [](MixerTest& t) { t.track.Fill({Timed(1000, 5000, "Other\nwords", 2)}); },
         true},
        {"line count changed",
         [](MixerTest& t) { t.track.Fill({Timed(1000, 5000, "Other\nwords", 3)}); }, true},
    };
    track.Fill({Timed(1000, 5000, "Cached\ntext", 2)});
    CSubtitles mixer(track, shared);
    const Frame pristine = MakeFrame(VideoSubtype::I420, 320, 240);
    mixer.CheckInputType(pristine.format);
    uint64_t redraws = 0;
    int64_t ms = 1500;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change(*this);
        Frame cached = pristine;
        mixer.Transform(cached.View(), At(ms += 40));
        redraws += step.redraws ? 1 : 0;
        EXPECT_EQ(mixer.Redraws(), redraws);
        Frame fresh = pristine;
        Run(fresh, ms);
        EXPECT_TRUE(cached.plane[0] == fresh.plane[0]);
        EXPECT_FALSE(cached.plane[0] == pristine.plane[0]);
    }
}

TEST_F(MixerTest, EveryLineIsCentredAndCutAtThePictureEdges) {
    struct Case {
        const char* name;
        int32_t width;
        const char* text;
    };
    const Case cases[] = {
        {"lines of different widths", 640, "Hi\nA much longer second line of text"},
        {"wider than the picture", 120, "This line is far wider than the picture\nMid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.text, 2);
        shared.SubtitleOffset = 5;
        const std::vector<uint8_t> levels = Levels(c.width, 240);
        const int32_t top = 240 - 5 - 2 * kCy;
        for (int line = 0; line < 2; ++line) {
            int32_t minX = c.width, maxX = -1;
            for (int32_t y = top + line * kCy; y < top + (line + 1) * kCy; ++y) {
                for (int32_t x = 0; x < c.width; ++x) {
                    if (levels[static_cast<size_t>(y) * c.width + x] != 0) {
                        minX = std::min(minX, x);
                        maxX = std::max(maxX, x);
                    }
                }
            }
            ASSERT_LE(minX, maxX) << "line " << line << " drawn";
            if (minX > 0 && maxX < c.width - 1) {
                EXPECT_NEAR((minX + maxX) / 2.0, c.width / 2.0, 2.5) << "line " << line;
            }
        }
        if (c.width == 120) {
            // The long first line reaches both edges.
            EXPECT_NE(levels[static_cast<size_t>(top + kCy / 2) * 120], 0);
        }
    }
}

TEST_F(MixerTest, RowPaddingIsHonoured) {
    // Mended: rows are addressed by the frame's stride, so a padded frame
    // receives the same picture as a packed one and its padding is kept.
    struct Case {
        const char* name;
        VideoSubtype subtype;
        int32_t height;
    };
    const Case cases[] = {
        {"RGB24, 101 wide", VideoSubtype::RGB24, 120},
        {"YUY2, 101 wide", VideoSubtype::YUY2, 120},
        {"I420, 101 wide", VideoSubtype::I420, 120},
    };
    Show("Pad\nded", 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame packed = MakeFrame(c.subtype, 101, c.height, 9, 0);
        Frame padded = MakeFrame(c.subtype, 101, c.height, 9, 7);
        for (int32_t y = 0; y < 120; ++y) {  // same picture, different padding
            std::memcpy(padded.plane[0].data() + y * padded.stride[0], packed.Row(y),
                        static_cast<size_t>(packed.stride[0]));
        }
        const Frame paddedBefore = padded;
        const Frame packedBefore = packed;
        Run(packed);
        Run(padded);
        EXPECT_FALSE(packed.plane[0] == packedBefore.plane[0]);
        for (int32_t y = 0; y < 120; ++y) {
            EXPECT_EQ(
                std::memcmp(padded.Row(y), packed.Row(y), static_cast<size_t>(packed.stride[0])), 0)
                << "row " << y;
            EXPECT_EQ(std::memcmp(padded.Row(y) + packed.stride[0],
                                  paddedBefore.Row(y) + packed.stride[0], 7),
                      0)
                << "padding of row " << y;
        }
    }
}

TEST_F(MixerTest, StrideShorterThanARowIsNotWritten) {
    Show("Text", 1);
    Frame frame = MakeFrame(VideoSubtype::RGB32, 64, 48);
    frame.stride[0] = 64;  // a quarter of a row: refuse instead of overrunning
    const Frame before = frame;
    Run(frame);
    EXPECT_TRUE(frame.plane[0] == before.plane[0]);
}

TEST_F(MixerTest, ALaterSizeBlendsOnlyTheSharedArea) {
    // Mended: the bitmap keeps the first size; a later frame of another size
    // receives exactly the first picture's text where both overlap, and
    // nothing elsewhere.
    Show("Centre of the first picture", 1);
    CSubtitles mixer(track, shared);
    Frame first = MakeFrame(VideoSubtype::YUY2, 640, 480);
    std::fill(first.plane[0].begin(), first.plane[0].end(), 16);
    mixer.CheckInputType(first.format);
    mixer.Transform(first.View(), At(1500));
    const int32_t top = mixer.TextTop();
    struct Case {
        const char* name;
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {"smaller", 320, top + kCy / 2},
        {"larger", 800, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame frame = MakeFrame(VideoSubtype::YUY2, c.width, c.height);
        std::fill(frame.plane[0].begin(), frame.plane[0].end(), 16);
        ASSERT_EQ(mixer.CheckInputType(frame.format), MixResult::Ok);
        mixer.Transform(frame.View(), At(1500));
        EXPECT_EQ(mixer.LayoutWidth(), 640);
        const int32_t sharedBytes = std::min(c.width, 640) * 2;
        for (int32_t y = 0; y < c.height; ++y) {
            const uint8_t* row = frame.Row(y);
            if (y < 480) {
                EXPECT_EQ(std::memcmp(row, first.Row(y), static_cast<size_t>(sharedBytes)), 0)
                    << "row " << y;
            }
            const int32_t from = y < 480 ? sharedBytes : 0;
            EXPECT_TRUE(
                std::all_of(row + from, row + frame.stride[0], [](uint8_t b) { return b == 16; }))
                << "outside the shared area, row " << y;
        }
    }
}

TEST_F(MixerTest, FontReplacedWhileFramesFlow) {
    // The UI thread swaps the font while the streaming thread draws; the
    // mixer must only ever draw with a font it holds itself.
    Show("Swapping fonts", 1);
    std::atomic<int> frames{0};
    std::atomic<bool> done{false};
    std::thread ui([&] {
        for (int i = 0; i < 100; ++i) {
            std::optional<QFont> font;
            if (i % 3 != 2) {
                font.emplace(QStringLiteral("DejaVu Sans"));
                font->setPixelSize(12 + i % 9);
            }
            shared.SubtitleFont.Set(font);
            const int seen = frames.load();
            while (frames.load() == seen) {
                std::this_thread::yield();
            }
        }
        done = true;
    });
    CSubtitles mixer(track, shared);
    Frame frame = MakeFrame(VideoSubtype::NV12, 160, 120);
    mixer.CheckInputType(frame.format);
    for (int i = 0; !done.load(); ++i) {
        mixer.Transform(frame.View(), At(1000 + i % 3000));
        frames.fetch_add(1);
    }
    ui.join();
    EXPECT_GT(mixer.Redraws(), 1u);
}

}  // namespace
}  // namespace tavimo
