// Speed and frame steps on GStreamer with a clip made at test time whose
// frames carry their number in their brightness: the pitch and the silence
// of the sound, and the frame shown after each step and after Stop. The
// pace of each speed is speed_sound_gst_test's; the note a change shows is
// the view's end-to-end test's.
#include <gst/audio/audio.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <QTest>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "support/gst_player.h"
#include "support/gst_tools.h"

namespace tavimo {

// The folder of clips made at test time; the shared entry removes it.
std::filesystem::path gMedia;

namespace {

class Host : public test::ScriptedHost {
  public:
    void SetSeekPosition(int32_t at, int64_t) override {
        ++seekBarSets;
        seekBarAt = at;
    }
    int seekBarSets = 0;
    int32_t seekBarAt = -1;  // the bar's position, in units of 2^16 x 100 ns
};

// frames.mp4: 8 s at 25 frames/s, 320 x 240, a key frame each second,
// losslessly coded: frame N has luma 16 + (N mod 50) * 4 in its top half and
// 16 + (N div 50) * 50 in its bottom half, without frames out of order; a
// 440 Hz tone beside it. The same pictures, scaled, coded as films come:
// H.264 with B-frames and one key frame in 10 s (film.mp4), and an MPEG-2
// program stream of 12-frame groups (dvd.mpg).
void MakeClip() {
    gMedia = test::NewFolder("speed");
    ASSERT_FALSE(gMedia.empty());
    const std::string frames =
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i "
        "\"nullsrc=s=320x240:r=25,format=yuv420p,geq=lum='if(lt(Y\\,H/2)\\,16+mod(N\\,50)*4\\,"
        "16+floor(N/50)*50)':cb=128:cr=128";
    const std::string tone = " -f lavfi -i sine=f=440:r=44100:d=8 -t 8 ";
    const std::string commands[] = {
        frames + "\"" + tone + "-c:v libx264 -qp 0 -g 25 -bf 0 -c:a aac -shortest " +
            test::Media("frames.mp4"),
        frames + ",scale=640:360:flags=neighbor\"" + tone +
            "-c:v libx264 -preset veryfast -crf 12 -g 250 -bf 3 -c:a aac -shortest " +
            test::Media("film.mp4"),
        frames + ",scale=720:576:flags=neighbor\"" + tone +
            "-c:v mpeg2video -q:v 2 -g 12 -bf 2 -c:a mp2 -f vob -shortest " +
            test::Media("dvd.mpg"),
    };
    for (const std::string& command : commands)
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

class SpeedStepsTest : public test::GstRecordTest<Host, MakeClip> {
  protected:
    // Opens `clip` with `tempo` as the tempo filter, played at the clock's pace.
    void Start(const std::string& tempo = "scaletempo",
               const std::string& clip = test::Media("frames.mp4")) {
        GstMediaOptions options = test::FakeSinks();
        options.tempoFilter = tempo;
        Use(options);
        ASSERT_TRUE(Open(clip));
        PlayAtPace();
    }
    // The number the shown frame carries, read in its luma near the right
    // edge (away from the note); -1 without a picture.
    int ShownFrame() {
        g_autoptr(GstSample) sample = Shown();
        GstVideoInfo info;
        GstVideoFrame frame;
        int number = -1;
        if (sample && gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
            GST_VIDEO_INFO_IS_YUV(&info) &&
            gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
            const auto level = [&](int quarter, double step) {
                const auto* luma =
                    static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
                const size_t row =
                    size_t(GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0)) * (info.height * quarter / 4);
                return int(std::lround((luma[row + info.width * 15 / 16] - 16) / step));
            };
            number = level(3, 50) * 50 + level(1, 4);
            gst_video_frame_unmap(&frame);
        }
        return number;
    }
};

// The tone as the sink plays it: the frequency in its samples times the rate
// the sink plays them at; 0 when the samples are silent.
double HeardFrequency(GstElement* sink) {
    g_autoptr(GstSample) sample = test::LastSample(sink);
    // The sink takes what the tempo filter or the converter gives.
    const std::vector<double> sound = test::FirstChannel(sample);
    if (sound.empty())
        return -1;  // none yet, or a gap
    GstAudioInfo info;
    gst_audio_info_from_caps(&info, gst_sample_get_caps(sample));
    const double rate = gst_sample_get_segment(sample)->rate;
    int crossings = 0;
    double loudest = 0;
    for (size_t i = 1; i < sound.size(); ++i) {
        crossings += (sound[i - 1] < 0) != (sound[i] < 0);
        loudest = std::max(loudest, std::abs(sound[i]));
    }
    return loudest < 0.01 ? 0 : crossings / 2.0 * info.rate / double(sound.size()) * rate;
}

TEST_F(SpeedStepsTest, SoundKeepsItsPitchOrGoesSilent) {
    struct Row {
        const char* name;
        const char* tempo;
        double speed;
        double heard;  // Hz; 0: silent
    } rows[] = {
        {"normal speed", "scaletempo", 1.0, 440},
        {"2x keeps the pitch", "scaletempo", 2.0, 440},
        {"0.5x keeps the pitch", "scaletempo", 0.5, 440},
        {"without a tempo filter 2x is silent", "", 2.0, 0},
        {"without a tempo filter normal speed sounds", "", 1.0, 440},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(Start(row.tempo));
        record.SetSpeed(row.speed);
        QTest::qWait(300);
        double heard = -1;
        (void)QTest::qWaitFor(
            [&] { return (heard = HeardFrequency(SinkOf("Audio Renderer"))) >= 0; }, 2000);
        EXPECT_NEAR(heard, row.heard, 25);
        record.CloseClip();
    }
}

// Each clip paused by E while playing at 2x, then stepped on and back: back
// is one frame back, however far the key frame before it lies and however
// the frames are ordered in the stream.
TEST_F(SpeedStepsTest, FrameStepsShowTheNextAndThePreviousFrame) {
    struct Row {
        const char* name;
        long frames;
        int shown;  // relative to the first frame after the pause
    } rows[] = {
        {"E", 1, 1},
        {"E again", 1, 2},
        {"Shift+E", -1, 1},
        {"Shift+E again", -1, 0},
        {"Shift+E once more", -1, -1},
        {"Shift+E a third time", -1, -2},
        {"E after going back", 1, -1},
    };
    for (const char* clip : {"frames.mp4", "film.mp4", "dvd.mpg"}) {
        SCOPED_TRACE(clip);
        ASSERT_NO_FATAL_FAILURE(Start("scaletempo", test::Media(clip)));
        record.SeekTo(30000000);
        record.SetSpeed(2.0);
        QTest::qWait(600);
        record.StepFrame(1);
        EXPECT_EQ(record.ClipState, ClipState::Paused) << "E pauses a playing clip";
        // A frame on, the sound (left behind) no longer counts in the
        // position, which tells where the clip's own time puts frame 0 (a
        // program stream's clock starts late).
        record.StepFrame(1);
        const int first = ShownFrame();
        ASSERT_GT(first, 80);
        const REFERENCE_TIME zero = Position() - first * 400000;
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const int sets = host.seekBarSets;
            record.StepFrame(row.frames);
            EXPECT_EQ(ShownFrame(), first + row.shown);
            EXPECT_EQ(record.ClipState, ClipState::Paused);
            // The position the seek bar is given lies in the frame shown.
            EXPECT_GE(Position(), zero + (first + row.shown) * 400000);
            EXPECT_LT(Position(), zero + (first + row.shown + 1) * 400000);
            EXPECT_GT(host.seekBarSets, sets) << "the seek bar follows at once";
        }
        // Playing on after steps: the picture moves on from where it stood.
        record.TogglePause();
        QTest::qWait(500);
        EXPECT_GT(ShownFrame(), first + 3);
        double rate = 0;
        record.pMS->GetRate(&rate);
        EXPECT_EQ(rate, 2.0) << "steps and seeks keep the speed";
        record.CloseClip();
    }
}

// Stop shows the first frame and keeps the pipeline paused; a step back on
// the first frame, or on from the last, stays there.
TEST_F(SpeedStepsTest, StopShowsTheFirstFrameAndStepsStayWithinTheClip) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // Played on past 0.2 s; a loaded machine may take longer than real time.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShownFrame() > 5; }, 5000));
    record.StopClip();
    EXPECT_EQ(record.ClipState, ClipState::Stopped);
    GstState state;
    gst_element_get_state(Pipeline(), &state, nullptr, 0);
    EXPECT_EQ(state, GST_STATE_PAUSED);
    ASSERT_EQ(ShownFrame(), 0);
    EXPECT_EQ(host.seekBarAt, 0) << "the seek bar, no longer polled, at the first frame";
    record.StepFrame(-1);
    EXPECT_EQ(ShownFrame(), 0);
    EXPECT_EQ(record.ClipState, ClipState::Paused) << "a stopped clip counts as paused";
    record.StepFrame(1);
    EXPECT_EQ(ShownFrame(), 1);
    REFERENCE_TIME last = 79600000;
    record.pMS->SetPositions(&last, AM_SEEKING_AbsolutePositioning, nullptr, 0);
    ASSERT_EQ(ShownFrame(), 199);
    record.StepFrame(1);
    EXPECT_EQ(ShownFrame(), 199) << "no step past the last frame";
    record.StepFrame(-1);
    EXPECT_EQ(ShownFrame(), 198);
}

}  // namespace
}  // namespace tavimo
