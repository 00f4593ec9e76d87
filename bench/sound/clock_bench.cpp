// The player's clock through the real sound path (pulsesink into whatever
// PulseAudio server PULSE_SERVER names), two ways:
//
//   clock_bench drift <clip> <seconds>
//       plays <clip> from its start at speed 1 and prints, for every picture
//       shown at a whole second of the clip, "picture <second> <monotonic us>"
//       (the video sink keeps to the clock, no display); drift.sh sets the
//       sound card and reads when the sound of each second was played.
//   clock_bench stall <clip> <runs>
//       each run: pause, a seek to 2 s, play, then the speed steps up to 4x
//       and back down to 1x, as quick presses; the position's pace is taken
//       over 1.5 s at 4x and again at 1x. A run stalls when either pace is
//       below 0.6 of the speed, or when the server holds over 2 s of the
//       stream's sound (written far ahead: silence). Prints one line per run and a total, how
//       often the clock stopped following the card (SoundCardClockLapses)
//       and whether it follows it again (SoundCardClockStuck).
//
// TAVIMO_BENCH_SYSTEM_CLOCK=1 plays by the system clock instead of the
// card's, as before (for comparison).
#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/media/audio_output.h"
#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

class Host : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

// Every sink of the pipeline keeps to the clock; the video sink reports
// each picture it shows through `shown` (a "handoff" handler).
void SyncSinks(GstElement* pipeline, GCallback shown) {
    GstIterator* sinks = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(sinks, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        const bool fake =
            g_str_has_prefix(GST_OBJECT_NAME(gst_element_get_factory(element)), "fakesink");
        if (fake && !GST_IS_BIN(element) &&
            GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK)) {
            g_object_set(element, "sync", TRUE, nullptr);
            if (shown) {
                g_object_set(element, "signal-handoffs", TRUE, nullptr);
                g_signal_connect(element, "handoff", shown, nullptr);
            }
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(sinks);
}

void OnPicture(GstElement*, GstBuffer* buffer, GstPad*, gpointer) {
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    // 25 pictures a second: the one that starts a second.
    if (GST_CLOCK_TIME_IS_VALID(pts) && pts % GST_SECOND < 20 * GST_MSECOND)
        std::printf("picture %d %lld\n", int(pts / GST_SECOND), (long long)g_get_monotonic_time());
}

struct Player {
    explicit Player(const std::string& clip, GCallback shown) {
        GstMediaOptions options;
        options.videoSink = "fakesink";
        options.audioSink = "pulsesink";
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
        record.ClipPath = clip;
        record.OpenClip();
        pipeline = GstPipelineOf(record.pGB.get());
        if (std::getenv("TAVIMO_BENCH_SYSTEM_CLOCK")) {
            // Taken at the next start of play.
            gst_pipeline_use_clock(GST_PIPELINE(pipeline), gst_system_clock_obtain());
            record.TogglePause();
            record.TogglePause();
        }
        SyncSinks(pipeline, shown);
    }
    ~Player() { record.CloseClip(); }
    REFERENCE_TIME Position() {
        REFERENCE_TIME now = 0;
        record.pMS->GetCurrentPosition(&now);
        return now;
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
    int Lapses() {
        GstClock* clock = gst_pipeline_get_clock(GST_PIPELINE(pipeline));
        const int lapses = SoundCardClockLapses(clock);
        gst_object_unref(clock);
        return lapses;
    }
    bool Stuck() {
        GstClock* clock = gst_pipeline_get_clock(GST_PIPELINE(pipeline));
        const bool stuck = SoundCardClockStuck(clock);
        gst_object_unref(clock);
        return stuck;
    }

    std::unique_ptr<MediaFramework> media;
    Host host;
    PlayerRecord record{host};
    GstElement* pipeline = nullptr;
};

// The largest buffer latency of the server's playback streams, in us
// ("pactl list sink-inputs" on PULSE_SERVER): how far ahead of what plays
// the sink has written. -1 when none plays.
long long StreamAheadUs() {
    long long most = -1;
    FILE* pipe = popen("pactl list sink-inputs 2>/dev/null", "r");
    if (!pipe)
        return most;
    char line[512];
    while (std::fgets(line, sizeof line, pipe))
        if (const char* at = std::strstr(line, "Buffer Latency:"))
            most = std::max(most, std::atoll(at + std::strlen("Buffer Latency:")));
    pclose(pipe);
    return most;
}

int Drift(const std::string& clip, int seconds) {
    Player player(clip, G_CALLBACK(&OnPicture));
    if (player.record.ClipState != ClipState::Running)
        return 1;
    QTest::qWait(seconds * 1000);
    return 0;
}

int Stall(const std::string& clip, int runs) {
    Player player(clip, nullptr);
    if (player.record.ClipState != ClipState::Running)
        return 1;
    int stalls = 0;
    for (int run = 0; run < runs; ++run) {
        PlayerRecord& record = player.record;
        record.SetSpeed(1.0);
        record.TogglePause();
        record.SeekTo(20000000);  // 2 s
        record.TogglePause();
        for (double step : {1.1, 1.25, 1.5, 2.0, 3.0, 4.0})
            record.SetSpeed(step);
        const double fast = player.Pace();
        const long long ahead = StreamAheadUs();
        for (double step : {3.0, 2.0, 1.5, 1.25, 1.1, 1.0})
            record.SetSpeed(step);
        const double normal = player.Pace();
        const long long aheadAfter = std::max(ahead, StreamAheadUs());
        // Sound written seconds ahead is silence for as long, whatever the
        // position says.
        const bool stalled = fast < 4 * 0.6 || normal < 0.6 || aheadAfter > 2000000;
        stalls += stalled;
        std::printf("run %d pace4 %.2f pace1 %.2f ahead %lld us lapses %d%s%s\n", run, fast, normal,
                    aheadAfter, player.Lapses(), player.Stuck() ? " (card time stuck)" : "",
                    stalled ? " STALLED" : "");
        std::fflush(stdout);
    }
    std::printf("stalls %d of %d runs, clock lapses %d\n", stalls, runs, player.Lapses());
    return 0;
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    gst_init(&argc, &argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: clock_bench drift|stall <clip> <seconds|runs>\n");
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "drift")
        return tavimo::Drift(argv[2], std::atoi(argv[3]));
    if (mode == "stall")
        return tavimo::Stall(argv[2], std::atoi(argv[3]));
    return 2;
}
