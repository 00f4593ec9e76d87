// Speed changes through the real sound path: pulsesink into a PulseAudio
// null sink of the test's own (no sound card needed). A fake sink takes
// whatever it is given at any pace; the sound server keeps time and refuses
// data written hours ahead, which is what left playback stopped for good at
// 2x and above.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "support/gst_player.h"
#include "support/null_sound_server.h"

namespace tavimo {
namespace {}  // namespace

// The folder of clips made at test time; the shared entry removes it.
std::filesystem::path gMedia;

namespace {

// 40 s of a moving test picture and a stereo 44.1 kHz AAC tone.
std::string Clip() {
    return (gMedia / "tone.mp4").string();
}

bool MakeClip() {
    gMedia = test::NewFolder("speed-sound");
    return !gMedia.empty() &&
           test::Ffmpeg(
               "-f lavfi -i testsrc=s=320x240:r=25 -f lavfi -i sine=f=440:r=44100 -t 40 "
               "-ac 2 -c:v libx264 -preset ultrafast -g 25 -c:a aac " +
               Clip());
}

bool HavePulseAudio() {
    return std::system("command -v pulseaudio >/dev/null 2>&1") == 0;
}

class SpeedSoundTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!HavePulseAudio())
            return;
        server = new test::NullSoundServer;
        server->UseInThisProcess();
        clipMade = MakeClip();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!HavePulseAudio())
            GTEST_SKIP() << "no pulseaudio";
        ASSERT_TRUE(server->Running()) << "the null-sink server did not start";
        ASSERT_TRUE(clipMade);
        GstMediaOptions options;
        options.videoSink = "fakesink";
        options.audioSink = "pulsesink";
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
        record.ClipPath = Clip();
        Open();
    }
    // Opens the clip, playing, with the picture at the clock's pace, as a
    // screen takes it.
    void Open() {
        record.OpenClip();
        ASSERT_EQ(record.ClipState, ClipState::Running);
        g_object_set(test::RendererSink(record, "Video Mixing Renderer 9"), "sync", TRUE, nullptr);
    }
    void TearDown() override { record.CloseClip(); }

    REFERENCE_TIME Position() { return test::PositionOf(record); }
    // The position's advance over wall time for 1.5 s, after a moment to settle.
    double Pace() {
        QTest::qWait(400);
        QElapsedTimer wall;
        const REFERENCE_TIME from = Position();
        wall.start();
        QTest::qWait(1500);
        return double(Position() - from) / (double(wall.nsecsElapsed()) / 100.0);
    }

    static inline test::NullSoundServer* server = nullptr;
    static inline bool clipMade = false;
    std::unique_ptr<MediaFramework> media;
    test::ScriptedHost host;
    PlayerRecord record{host};
};

// Each round: pause, a seek, play, then `]` up the steps to the speed asked,
// every step a flushing seek that corks and uncorks the server's stream.
// The position keeps up with the speed (generous bounds: a loaded machine
// may lag, never stop), and the server's stream stays about a buffer deep.
TEST_F(SpeedSoundTest, PlaybackKeepsThePaceOfEverySpeedThroughTheSoundServer) {
    struct Row {
        const char* name;
        double speed;
    } rows[] = {{"2x", 2.0},       {"3x", 3.0},       {"4x", 4.0},
                {"2x again", 2.0}, {"3x again", 3.0}, {"4x again", 4.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        record.SetSpeed(1.0);
        record.TogglePause();
        record.SeekTo(20000000);  // 2 s
        record.TogglePause();
        ASSERT_EQ(record.ClipState, ClipState::Running);
        for (double step : {1.1, 1.25, 1.5, row.speed})
            record.SetSpeed(step);
        EXPECT_EQ(record.Speed, row.speed);
        const double pace = Pace();
        EXPECT_GT(pace, row.speed * 0.6) << "stopped or lagging";
        EXPECT_LT(pace, row.speed * 1.4);
        for (long long latency : server->StreamLatenciesUs())
            EXPECT_LT(latency, 2000000) << "written far ahead of what plays";
    }
}

// Through a sound card whose pace is off (a pipe the server's own thread
// reads slow or fast), the picture keeps to the sound the card has taken,
// not to the wall clock: otherwise it moves away from the sound by the
// card's error every second (100 ms/s here), for as long as the film plays.
TEST_F(SpeedSoundTest, PictureKeepsToTheSoundCardsPace) {
    struct Row {
        const char* name;
        double pace;
    } rows[] = {{"card 10 % slow", 0.9}, {"card 10 % fast", 1.1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        record.CloseClip();
        test::NullSoundServer card(row.pace);
        ASSERT_TRUE(card.Running()) << card.Log();
        card.UseInThisProcess();
        Open();
        QTest::qWait(2500);  // started, and the server has learnt the card's pace
        const REFERENCE_TIME shownFrom = Position();
        const long long heardFrom = card.CardFramesTaken();
        QTest::qWait(3000);
        const double shown = double(Position() - shownFrom) / 1e7;
        const double heard = double(card.CardFramesTaken() - heardFrom) / 44100.0;
        EXPECT_NEAR(shown / heard, 1.0, 0.05) << shown << " s shown, " << heard << " s heard";
        record.CloseClip();
        server->UseInThisProcess();
    }
    Open();  // for TearDown
}

}  // namespace
}  // namespace tavimo
