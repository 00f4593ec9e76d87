// The rows a note covers, kept as they were before it was blended: put back
// into the frame, they give the frame with its subtitle and without the
// note, byte for byte, whatever the layout (what a screenshot holds).
#include <gtest/gtest.h>

#include <QFont>
#include <cstring>
#include <optional>
#include <string>

#include "mixer_frame.h"
#include "subtitles/subtitle_mixer.h"

namespace tavimo {
namespace {

using VS = VideoSubtype;

// `frame` blended with the subtitle, and with the note when `note` is set;
// the rows kept under the note into `under`.
void Blend(Frame& frame, const std::string& note, NoteUnder* under) {
    SubtitleTrack track;
    MixerShared shared;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(17);
    shared.SubtitleFont.Set(font);
    shared.Note.Set(note);
    track.Fill({{.start = 1000, .end = 5000, .text = "Under the note", .lines = 1}});
    CSubtitles mixer(track, shared);
    ASSERT_EQ(mixer.CheckInputType(frame.format), MixResult::Ok);
    ASSERT_TRUE(mixer.Prepare(FrameTime{true, 15'000'000, 400'000, 1.0, 25.0}));
    mixer.Blend(frame.View(), under);
}

TEST(NoteUnder, PutBackTheRowsGiveTheFrameWithItsSubtitleAndNoNote) {
    struct Case {
        const char* name;
        VS subtype;
        int32_t height;  // RGB: positive is bottom-up
        int bytesPerPixel;
    } cases[] = {
        {"I420: the luma plane", VS::I420, 240, 1},
        {"YUY2: packed pairs", VS::YUY2, 240, 2},
        {"BGRx top-down", VS::RGB32, -240, 4},
        {"BGRx bottom-up: the note's rows are the last in memory", VS::RGB32, 240, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame noted = MakeFrame(c.subtype, 320, c.height, {}, 8);  // rows padded
        Frame plain = noted;
        NoteUnder under;
        Blend(noted, "Subtitles: Off", &under);
        Blend(plain, "", nullptr);
        ASSERT_GT(under.rows, 0);
        EXPECT_LT(under.rows, 120) << "the note's rows only";
        EXPECT_EQ(under.rowBytes, 320 * c.bytesPerPixel);
        EXPECT_NE(noted.plane[0], plain.plane[0]) << "the note was drawn";
        for (int32_t i = 0; i < under.rows; ++i)
            std::memcpy(noted.plane[0].data() + size_t(under.firstRow + i) * noted.stride[0],
                        under.bytes.data() + size_t(i) * under.rowBytes, size_t(under.rowBytes));
        // 4:2:0: the note turned the chroma under it neutral; its rows come back too.
        EXPECT_EQ(under.chromaRows > 0, c.subtype == VS::I420);
        for (int p = 1; p <= 2 && under.chromaRows > 0; ++p) {
            ASSERT_EQ(under.chroma[p - 1].size(), size_t(under.chromaRows * under.chromaRowBytes));
            for (int32_t i = 0; i < under.chromaRows; ++i)
                std::memcpy(
                    noted.plane[p].data() + size_t(under.chromaFirstRow + i) * noted.stride[p],
                    under.chroma[p - 1].data() + size_t(i) * under.chromaRowBytes,
                    size_t(under.chromaRowBytes));
        }
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(noted.plane[p], plain.plane[p]) << "plane " << p;
    }
    NoteUnder none;
    Frame frame = MakeFrame(VS::I420, 320, 240);
    Blend(frame, "", &none);
    EXPECT_EQ(none.rows, 0) << "no note, nothing kept";
    EXPECT_TRUE(none.bytes.empty());
}

}  // namespace
}  // namespace tavimo
