// A seek into a stretch of a Matroska clip not read yet: the source reads
// from the key frame's cluster on, so the line running at the target that
// began before it must come from elsewhere. It is in the picture soon after
// the seek, paused and playing (paced sinks, a clip made at test time).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"

namespace tavimo {

// The folder of clips made at test time; the shared entry removes it.
std::filesystem::path gMedia;

namespace {

constexpr int64_t kSecond = 10'000'000;

class Host : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

std::string Media(const char* name) {
    return (gMedia / name).string();
}

// 50 s of black with a key frame every 10 s, and two long lines that each
// begin in the stretch before a key frame and run past it.
void MakeMedia() {
    char dir[] = "/tmp/tavimo-seekcues-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    gMedia = dir;
    std::ofstream(Media("long.srt")) << "1\n00:00:12,000 --> 00:00:25,000\nWWWWWWWW\n\n"
                                        "2\n00:00:32,000 --> 00:00:45,000\nMMMMMMMM\n";
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i color=c=black:s=320x240:r=25:d=50 -i " + Media("long.srt") +
        " -map 0 -map 1 -c:v libx264 -preset ultrafast -g 250 -c:s srt " + Media("long.mkv") +
        " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

class SeekCuesTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (gMedia.empty())
            MakeMedia();
    }
    SeekCuesTest() {
        GstMediaOptions options;
        options.videoSink = "fakevideosink";  // paced: the clip plays in real time
        options.audioSink = "fakeaudiosink";
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
    }
    ~SeekCuesTest() override { record.CloseClip(); }

    // White pixels in the lower half of the picture shown.
    int WhiteBelow() {
        std::shared_ptr<ICurrentImage> image;
        VideoImage bitmap;
        if (!record.pWC || FAILED(record.pWC->GetCurrentImage(&image)) || !image ||
            FAILED(image->GetBitmap(&bitmap)))
            return -1;
        int white = 0;
        for (int y = bitmap.height / 2; y < bitmap.height; ++y)
            for (int x = 0; x < bitmap.width; ++x) {
                const uint8_t* p = &bitmap.rgbx[(size_t(y) * bitmap.width + x) * 4];
                white += p[0] > 200 && p[1] > 200 && p[2] > 200;
            }
        return white;
    }

    std::unique_ptr<MediaFramework> media;
    Host host;
    PlayerRecord record{host};
};

TEST_F(SeekCuesTest, TheLineRunningAtASeeksTargetShows) {
    record.ClipPath = Media("long.mkv");
    record.OpenClip();
    ASSERT_EQ(record.ClipState, ClipState::Running);
    std::shared_ptr<IAMStreamSelect> tracks;
    ASSERT_EQ(record.pGB->QueryStreamSelect(&tracks), S_OK);
    ASSERT_EQ(tracks->Enable(0, AMSTREAMSELECTENABLE_ENABLE), S_OK);
    struct Row {
        const char* name;
        bool paused;
        int64_t at;
    } rows[] = {
        {"paused, at 22 s: the line from 12 s, the key frame at 20 s", true, 22 * kSecond},
        {"playing, at 42 s: the line from 32 s, the key frame at 40 s", false, 42 * kSecond},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.paused != (record.ClipState == ClipState::Paused))
            record.TogglePause();
        record.SeekTo(row.at);
        int white = -1;
        // A hang detector for a loaded machine; on an idle one it shows
        // within half a second.
        EXPECT_TRUE(QTest::qWaitFor([&] { return (white = WhiteBelow()) >= 40; }, 10000))
            << white << " white pixels";
    }
}

}  // namespace
}  // namespace tavimo
