// Speed changes through the real sound path: pulsesink into a PulseAudio
// null sink of the test's own (no sound card needed). A fake sink takes
// whatever it is given at any pace; the sound server keeps time and refuses
// data written hours ahead, which is what left playback stopped for good at
// 2x and above.
// The audio delay through the same path: where each beep of a clip reaches
// the card against the clip's position, and the output the delay belongs to.
// Night mode through the same path: the loudness range of what the sink
// played, measured by EBU R128; and the element alone: off, the sound passes
// through untouched; on, each sound keeps its time.
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <sstream>
#include <vector>

#include "engine/media/gst_night_mode.h"
#include "support/gst_player.h"
#include "support/gst_tools.h"
#include "support/null_sound_server.h"
#include "support/shell.h"

namespace tavimo {

// The folder of clips made at test time; the shared entry removes it.
std::filesystem::path gMedia;

namespace {

// tone.mp4: 40 s of a moving test picture and a stereo 44.1 kHz AAC tone;
// beeps.mp4: the same picture and a 1 kHz beep of 0.1 s at every even
// second, silence between.
std::string Clip() {
    return test::Media("tone.mp4");
}
bool MakeClip() {
    gMedia = test::NewFolder("speed-sound");
    const std::string picture = "-f lavfi -i testsrc=s=320x240:r=25 -f lavfi -i ";
    const std::string rest = " -t 40 -ac 2 -c:v libx264 -preset ultrafast -g 25 -c:a aac ";
    return !gMedia.empty() && test::Ffmpeg(picture + "sine=f=440:r=44100" + rest + Clip()) &&
           test::Ffmpeg(picture +
                        "\"aevalsrc=if(lt(mod(t\\,2)\\,0.1)\\,0.8*sin(2*PI*1000*t)\\,0):s=44100\"" +
                        rest + test::Media("beeps.mp4"));
}

bool HavePulseAudio() {
    return std::system("command -v pulseaudio >/dev/null 2>&1") == 0;
}

// What a card had taken (frames), where the clip stood (s) and the wall
// clock (s), read together.
struct Reading {
    long long frames;
    double position;
    double wall;
};

class SpeedSoundTest : public test::GstRecordTest<> {
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
        server->UseInThisProcess();  // a test may have played through a card of its own
        ASSERT_TRUE(clipMade);
        GstMediaOptions options = test::FakeSinks();
        options.audioSink = "";  // chosen as for a user: the server's
        Use(options);
        Start(Clip());
    }
    // Opens `clip`, playing, with the picture at the clock's pace, as a
    // screen takes it.
    void Start(const std::string& clip) {
        ASSERT_TRUE(Open(clip));
        g_object_set(SinkOf("Video Mixing Renderer 9"), "sync", TRUE, nullptr);
    }
    // The position's advance over wall time for 1.5 s, after a moment to settle.
    double Pace() {
        QTest::qWait(400);
        QElapsedTimer wall;
        const REFERENCE_TIME from = Position();
        wall.start();
        QTest::qWait(1500);
        return double(Position() - from) / (double(wall.nsecsElapsed()) / 100.0);
    }

    // What the card had taken, where the clip stood and the wall clock, read
    // together every 10 ms for `ms`, added to `readings`. Together means
    // within 2 ms: a reading the thread lost the processor in the middle of
    // (the wall clock's too) is left out.
    void Read(const test::NullSoundServer& card, int ms, std::vector<Reading>& readings) {
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < ms) {
            const long long before = card.CardFramesTaken();
            const double position = double(Position()) / 1e7, now = wall_.nsecsElapsed() / 1e9;
            if (const long long after = card.CardFramesTaken(); after - before < 88)
                readings.push_back({(before + after) / 2, position, now});
            QTest::qWait(10);
        }
    }

    // The pipeline's state, where it is going, the boxes shown and the
    // elements whose change is still under way: why a pause or a start did
    // not take.
    std::string PipelineState() {
        GstState state = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
        gst_element_get_state(Pipeline(), &state, &pending, 0);
        std::string out = std::string("pipeline ") + gst_element_state_get_name(state) + ", to " +
                          gst_element_state_get_name(pending);
        for (const std::string& box : host.Boxes())
            out += "; box: " + box;
        for (GstElement* element : test::Elements(gst_bin_iterate_recurse(GST_BIN(Pipeline()))))
            if (gst_element_get_state(element, &state, &pending, 0) == GST_STATE_CHANGE_ASYNC)
                out += std::string("; ") + GST_OBJECT_NAME(element) + " still going to " +
                       gst_element_state_get_name(pending);
        return out;
    }

    QElapsedTimer wall_;
    static inline test::NullSoundServer* server = nullptr;
    static inline bool clipMade = false;
};

// Each round: pause, a seek, play, then `]` up the steps to the speed asked,
// every step a flushing seek that corks and uncorks the server's stream,
// then a seek, which keeps the speed. The position keeps up with the speed
// (generous bounds: a loaded machine may lag, never stop), and the server's
// stream stays about a buffer deep.
TEST_F(SpeedSoundTest, PlaybackKeepsThePaceOfEverySpeedThroughTheSoundServer) {
    struct Row {
        const char* name;
        double speed;
    } rows[] = {{"2x", 2.0},       {"3x", 3.0},       {"4x", 4.0},        {"2x again", 2.0},
                {"3x again", 3.0}, {"4x again", 4.0}, {"half speed", 0.5}};
    int read = 0;  // rounds whose buffer the server reported
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        record.SetSpeed(1.0);
        record.TogglePause();
        ASSERT_EQ(record.ClipState, ClipState::Paused) << PipelineState();
        record.SeekTo(20000000);  // 2 s
        record.TogglePause();
        ASSERT_EQ(record.ClipState, ClipState::Running) << PipelineState();
        for (double step : {1.1, 1.25, 1.5, row.speed})
            record.SetSpeed(step);
        EXPECT_EQ(record.Speed, row.speed);
        record.SeekTo(30000000);
        const double pace = Pace();
        EXPECT_GT(pace, row.speed * 0.6) << "stopped or lagging";
        EXPECT_LT(pace, row.speed * 1.4);
        // Right after a flush the server may report the stream's buffer with
        // its counter wrapped (years), on a loaded machine for a second or
        // more: such a reading says nothing of ours and is taken again. A
        // buffer a few seconds deep, the fault looked for, reads as it is.
        std::vector<long long> latencies = server->StreamLatenciesUs();
        for (int i = 0; i < 30 && !latencies.empty() &&
                        *std::max_element(latencies.begin(), latencies.end()) > 3'600'000'000LL;
             ++i) {
            QTest::qWait(100);
            latencies = server->StreamLatenciesUs();
        }
        std::erase_if(latencies, [](long long us) { return us > 3'600'000'000LL; });
        read += !latencies.empty();
        for (long long latency : latencies)
            EXPECT_LT(latency, 2000000) << "written far ahead of what plays";
    }
    EXPECT_GE(read, 4) << "the server reported no buffer in most rounds";
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
        Start(Clip());
        QTest::qWait(2500);  // started, and the server has learnt the card's pace
        const REFERENCE_TIME shownFrom = Position();
        const long long heardFrom = card.CardFramesTaken();
        QTest::qWait(3000);
        const double shown = double(Position() - shownFrom) / 1e7;
        const double heard = double(card.CardFramesTaken() - heardFrom) / 44100.0;
        EXPECT_NEAR(shown / heard, 1.0, 0.05) << shown << " s shown, " << heard << " s heard";
        record.CloseClip();  // before its card goes
    }
}

// The server moves the clip's stream (its only one) to `sink`, as it does
// when a headset connects.
void MoveStream(const test::NullSoundServer& server, const std::string& sink) {
    const std::string streams = server.Pactl("list short sink-inputs");
    server.Pactl("move-sink-input " + streams.substr(0, streams.find('\t')) + " " + sink);
}

// The delay belongs to the sound output: set while the clip plays on one
// sink, gone when the server moves the stream to another, back when the
// stream comes back, and the other keeps its own.
TEST_F(SpeedSoundTest, AudioDelayFollowsTheSoundOutput) {
    ASSERT_NE(server->Pactl("load-module module-null-sink sink_name=tavimo_headset"), "");
    record.PollPosition();
    EXPECT_EQ(record.AudioOutput, "tavimo_null");
    record.StepAudioDelay(150);
    struct Row {
        const char* name;
        const char* sink;
        int delayFound;  // when the stream arrives there
        int delaySet;    // then
    } rows[] = {{"to the headset", "tavimo_headset", 0, -100},
                {"back to the speakers", "tavimo_null", 150, 150},
                {"to the headset again", "tavimo_headset", -100, -100}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MoveStream(*server, row.sink);
        QTest::qWait(300);
        record.PollPosition();
        EXPECT_EQ(record.AudioOutput, row.sink);
        EXPECT_EQ(record.AudioDelay, row.delayFound);
        if (row.delaySet != row.delayFound)
            record.StepAudioDelay(row.delaySet - row.delayFound);
    }
    EXPECT_EQ(record.OutputDelays.Text(), "tavimo_null=150;tavimo_headset=-100");
    MoveStream(*server, "tavimo_null");
}

// Where each beep of BeepClip (one every 2 s) stood against the position
// when the card took it: the position then, less the beep's own time, in ms,
// for every beep the readings span.
std::vector<double> BeepLags(const std::vector<long long>& onsets,
                             const std::vector<Reading>& readings) {
    std::vector<double> lags;
    for (long long onset : onsets)
        for (size_t i = 1; i < readings.size(); ++i) {
            const auto &a = readings[i - 1], &b = readings[i];
            if (onset < a.frames || onset >= b.frames)
                continue;
            const double at = a.position + (b.position - a.position) * double(onset - a.frames) /
                                               double(b.frames - a.frames);
            lags.push_back((at - 2.0 * std::round(at / 2.0)) * 1000.0);
        }
    return lags;
}

// Whether the position moved with the wall clock between every two readings
// (within 100 ms): it neither jumped nor stood nor went back.
bool PositionKeepsPace(const std::vector<Reading>& readings) {
    return std::adjacent_find(readings.begin(), readings.end(), [](auto& a, auto& b) {
               return std::abs(b.position - a.position - (b.wall - a.wall)) > 0.1;
           }) == readings.end();
}

// J and K set while playing, through a card that notes when each beep
// reaches it: against the clip's position (the picture, the seek bar and
// the subtitles), every beep moves by the delay, sound later and earlier,
// and the position itself keeps going as the card plays while it changes.
TEST_F(SpeedSoundTest, AudioDelayMovesTheSoundAgainstThePosition) {
    record.CloseClip();
    test::NullSoundServer card(1.0);
    ASSERT_TRUE(card.Running()) << card.Log();
    card.UseInThisProcess();
    Start(test::Media("beeps.mp4"));
    struct Row {
        const char* name;
        int delayMs;
        double shiftMs;     // of every beep against the position, from in step
        bool pictureSkips;  // a shorter hold of the picture: it skips ahead
    } rows[] = {{"in step", 0, 0.0, false},
                {"sound 200 ms later", 200, 200.0, false},
                {"sound 200 ms earlier", -200, -200.0, false},
                {"in step again", 0, 0.0, true}};
    double inStep = 0;
    wall_.start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Reading> change;
        Read(card, 300, change);
        record.StepAudioDelay(0);  // Shift+J
        const int step = row.delayMs < 0 ? -kAudioDelayStepMs : kAudioDelayStepMs;
        for (int delay = 0; delay != row.delayMs; delay += step)
            record.StepAudioDelay(step);  // J or K
        EXPECT_EQ(record.AudioDelay, row.delayMs);
        Read(card, 1500, change);
        if (!row.pictureSkips) {
            EXPECT_TRUE(PositionKeepsPace(change)) << "while the delay changed";
        }
        std::vector<Reading> readings;
        Read(card, 4500, readings);
        EXPECT_TRUE(PositionKeepsPace(readings));
        const std::vector<double> lags = BeepLags(card.CardOnsets(), readings);
        ASSERT_GE(lags.size(), 2u);
        const double mean = std::accumulate(lags.begin(), lags.end(), 0.0) / double(lags.size());
        if (&row == &rows[0])
            inStep = mean;
        // The delay moves the sound as a whole; a single beep's reading also
        // carries the jitter of the sink's clock under load.
        EXPECT_NEAR(mean - inStep, row.shiftMs, 20.0);
        for (double lag : lags)
            EXPECT_NEAR(lag - inStep, row.shiftMs, 30.0)
                << "beep " << lag << " ms from the position";
    }
    record.CloseClip();  // before its card goes
}

// 16 s of a small picture and a film's sound: dialogue over a music bed,
// then a burst of effects (tests/support/film_clip.py); made on first use.
std::string FilmClip() {
    const std::filesystem::path clip = gMedia / "film.mkv";
    if (!std::filesystem::exists(clip)) {
        const std::string parts = (gMedia / "film").string();
        if (!test::Quietly(
                "python3 " TAVIMO_SOURCE_DIR "/tests/support/film_clip.py " + parts +
                " 16 >/dev/null && ffmpeg -v error -y -f lavfi -i testsrc=s=160x120:r=10 -i " +
                parts + "/film2.wav -t 16 -c:v libx264 -preset ultrafast -c:a flac " +
                clip.string()))
            return "";
    }
    return clip.string();
}

// The loudness range (LU) of a recording, as ffmpeg's EBU R128 filter
// gives it; -1 when it cannot be read.
double LoudnessRange(const std::string& wav) {
    std::istringstream out(test::CommandOutput("ffmpeg -nostats -i " + wav +
                                               " -af ebur128 -f null - 2>&1 | grep -A20 Summary"));
    double lra = -1;
    for (std::string line; std::getline(out, line);)
        std::sscanf(line.c_str(), " LRA: %lf LU", &lra);
    return lra;
}

// parec recording the null sink's monitor to `wav` (float stereo, 48 kHz)
// until the process is ended with SIGINT; its pid, or -1.
pid_t Record(const std::string& wav) {
    const char* argv[] = {
        "parec",        "-d",           "tavimo_null.monitor", "--format=float32le",
        "--rate=48000", "--channels=2", "--file-format=wav",   wav.c_str(),
        nullptr};
    pid_t pid = -1;
    return posix_spawnp(&pid, "parec", nullptr, nullptr, const_cast<char**>(argv), environ) == 0
               ? pid
               : -1;
}

// The film's sound as the null sink played it, night mode off and switched
// on with N while playing: on, its loudness range is narrow (the speech
// lifted, the burst held back); off, as wide as the film has it.
TEST_F(SpeedSoundTest, NightModeNarrowsTheLoudnessRange) {
    record.CloseClip();
    const std::string film = FilmClip();
    ASSERT_FALSE(film.empty());
    struct Row {
        const char* name;
        bool pressN;
        double lowest, highest;  // LU
    } rows[] = {{"off", false, 12.0, 40.0}, {"on, N pressed while playing", true, 0.5, 7.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        record.NightMode = 0;
        const std::string wav = (gMedia / (std::string("night-") + row.name[1] + ".wav")).string();
        const pid_t parec = Record(wav);
        ASSERT_GT(parec, 0);
        QTest::qWait(300);
        Start(film);
        if (row.pressN)
            record.ToggleNightMode();
        QTest::qWait(17000);  // the whole film
        record.CloseClip();
        kill(parec, SIGINT);
        waitpid(parec, nullptr, 0);
        const double lra = LoudnessRange(wav);
        std::printf("night mode %s: loudness range %.1f LU\n", row.name, lra);
        EXPECT_GE(lra, row.lowest);
        EXPECT_LE(lra, row.highest);
    }
    record.NightMode = 0;
}

// What a chain of elements gave its fakesink "out": the last caps, every
// byte, and for mono float sound the times (s) where sound began after at
// least 50 ms of silence.
struct Played {
    std::string caps, bytes;
    std::vector<double> onsets;
    int rate = 0;
    double quietSince = -1;
};

void Take(GstElement*, GstBuffer* buffer, GstPad* pad, gpointer data) {
    Played& into = *static_cast<Played*>(data);
    if (g_autoptr(GstCaps) caps = gst_pad_get_current_caps(pad)) {
        g_autofree gchar* text = gst_caps_to_string(caps);
        into.caps = text;
        gst_structure_get_int(gst_caps_get_structure(caps, 0), "rate", &into.rate);
    }
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_READ);
    into.bytes.append(reinterpret_cast<const char*>(map.data), map.size);
    if (into.caps.find("F32LE") != std::string::npos &&
        into.caps.find("channels=(int)1") != std::string::npos) {
        const auto* samples = reinterpret_cast<const float*>(map.data);
        for (size_t i = 0; i < map.size / sizeof(float); ++i) {
            const double at = double(GST_BUFFER_PTS(buffer)) / GST_SECOND + double(i) / into.rate;
            if (std::fabs(samples[i]) < 0.02f) {
                if (into.quietSince < 0)
                    into.quietSince = at;
            } else {
                if (into.quietSince >= 0 && at - into.quietSince >= 0.05)
                    into.onsets.push_back(at);
                into.quietSince = -1;
            }
        }
    }
    gst_buffer_unmap(buffer, &map);
}

// Runs `launch` (with a fakesink "out" and, where `nightOn`, a night mode
// element "night" switched on) to its end.
Played PlayThrough(const std::string& launch, bool nightOn) {
    Played out;
    out.quietSince = 0;
    g_autoptr(GstElement) pipeline = gst_parse_launch(launch.c_str(), nullptr);
    EXPECT_NE(pipeline, nullptr) << launch;
    if (!pipeline)
        return out;
    g_autoptr(GstElement) sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    g_signal_connect(sink, "handoff", G_CALLBACK(Take), &out);
    if (g_autoptr(GstElement) night = gst_bin_get_by_name(GST_BIN(pipeline), "night"))
        SetNightMode(night, nightOn);
    EXPECT_TRUE(test::PlayToEnd(pipeline, 10));
    return out;
}

void RegisterNightMode() {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    GstElement* probe = NewNightMode();  // registers the element's factory
    ASSERT_NE(probe, nullptr);
    gst_object_unref(gst_object_ref_sink(probe));
}

// The renderer's chain around night mode while off, against the chain
// without it, for sound in several formats: the same caps and the same
// bytes come out (a float format forced on it would change 32-bit sound).
TEST(NightModeElement, OffPassesTheSoundThroughUntouched) {
    RegisterNightMode();
    struct Row {
        const char* name;
        const char* caps;
    } rows[] = {{"16-bit stereo", "audio/x-raw,format=S16LE,rate=44100,channels=2"},
                {"32-bit 5.1", "audio/x-raw,format=S32LE,rate=48000,channels=6"},
                {"float mono", "audio/x-raw,format=F32LE,rate=48000,channels=1"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string from =
            std::string("audiotestsrc freq=997 volume=0.9 num-buffers=50 ! ") + row.caps;
        const std::string to = " ! fakesink name=out sync=false signal-handoffs=true";
        const Played without = PlayThrough(from + " ! audioconvert" + to, false);
        const Played with = PlayThrough(
            from + " ! audioconvert ! tavimonightmode name=night ! audioconvert" + to, false);
        EXPECT_EQ(with.caps, without.caps);
        EXPECT_FALSE(without.bytes.empty());
        EXPECT_TRUE(with.bytes == without.bytes) << "the samples differ";
    }
}

// On, the element holds the sound back by its look-ahead and moves the
// times back to match: every tick of a clip comes out at the time it went
// in (to the sample), not 5 ms late, and none is lost at the end.
TEST(NightModeElement, OnKeepsEachSoundAtItsTime) {
    RegisterNightMode();
    const std::string from =
        "audiotestsrc wave=ticks tick-interval=500000000 volume=0.5 samplesperbuffer=1000 "
        "num-buffers=144 ! audio/x-raw,format=S16LE,rate=48000,channels=1 ! audioconvert";
    const std::string to =
        " ! audioconvert ! audio/x-raw,format=F32LE ! fakesink name=out signal-handoffs=true";
    const Played off = PlayThrough(from + " ! tavimonightmode name=night" + to, false);
    const Played on = PlayThrough(from + " ! tavimonightmode name=night" + to, true);
    ASSERT_EQ(off.onsets.size(), 6u) << "a tick every 0.5 s from 0.5 s to 3 s";
    ASSERT_EQ(on.onsets.size(), off.onsets.size());
    for (size_t i = 0; i < on.onsets.size(); ++i)
        EXPECT_NEAR(on.onsets[i], off.onsets[i], 1.0 / 48000) << "tick " << i;
    EXPECT_EQ(on.bytes.size(), off.bytes.size()) << "the held sound comes out at the end";
}

}  // namespace
}  // namespace tavimo
