// How tight the A-B loop is, two ways, in one run on the same clip (8 s,
// 25 frames/s, made with ffmpeg; sinks synchronised to the clock, no display):
//
//   segment  the player's loop: a segment seek from A to B, then the same
//            segment again without a flush at each end of segment;
//   timer    a check of the position every 100 ms (the position timer's
//            period) that seeks back to A, exactly, once B is passed.
//
// For each it plays a 1 s loop for `seconds` (default 6) and prints how far
// the position went past B at worst, and the longest the position stood
// still or went back other than at A (the gap of the jump), in milliseconds.
//
//   loop_bench [seconds]
#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

constexpr REFERENCE_TIME kMs = 10000;
constexpr REFERENCE_TIME kA = 1000 * kMs, kB = 2000 * kMs;

class Host : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

struct Figures {
    double worstPastBMs = 0;
    double longestGapMs = 0;
    int loops = 0;
};

// Plays `clip` from A with the loop `start` sets up and `tick` keeps, every
// 5 ms, for `seconds`.
template <typename Start>
Figures Measure(const std::string& clip, int seconds, Start start, bool timer) {
    GstMediaOptions options;
    options.videoSink = "fakesink";
    options.audioSink = "fakesink";
    auto media = NewGstMediaFramework(options);
    Host host;
    PlayerRecord record{host};
    record.UseMediaFramework(media.get());
    record.ClipPath = clip;
    record.OpenClip();
    GstElement* pipeline = GstPipelineOf(record.pGB.get());
    // The renderers are bins; their sinks are inside.
    GstIterator* sinks = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(sinks, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        if (!GST_IS_BIN(element) && GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK))
            g_object_set(element, "sync", TRUE, nullptr);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(sinks);
    auto now = [&] {
        REFERENCE_TIME position = -1;
        record.pMS->GetCurrentPosition(&position);
        return position;
    };
    start(record);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (now() >= kB) {
            REFERENCE_TIME a = kA;
            record.pMS->SetPositions(&a, AM_SEEKING_AbsolutePositioning, nullptr, 0);
        }
    });
    if (timer)
        check.start(100);
    Figures out;
    QElapsedTimer clock, still;
    clock.start();
    still.start();
    REFERENCE_TIME last = now();
    (void)QTest::qWaitFor(
        [&] {
            const REFERENCE_TIME position = now();
            out.worstPastBMs = std::max(out.worstPastBMs, double(position - kB) / kMs);
            if (position > last) {
                still.restart();
            } else {
                out.longestGapMs = std::max(out.longestGapMs, double(still.elapsed()));
            }
            if (last > kB - 300 * kMs && position < kA + 300 * kMs)
                ++out.loops;
            last = position;
            return clock.elapsed() > seconds * 1000;
        },
        seconds * 1000 + 1000);
    record.CloseClip();
    return out;
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    using namespace tavimo;
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavimo-loop-bench";
    std::filesystem::create_directories(dir);
    const std::string clip = (dir / "clip.mkv").string();
    const std::string make =
        "ffmpeg -v error -y -f lavfi -i testsrc=size=640x360:rate=25:duration=8 -f lavfi -i "
        "sine=frequency=440:duration=8 -c:v libx264 -preset ultrafast -g 25 -c:a aac " +
        clip;
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "loop_bench: ffmpeg could not make the clip\n");
        return 1;
    }
    auto seekToA = [](PlayerRecord& record) {
        REFERENCE_TIME a = kA;
        record.pMS->SetPositions(&a, AM_SEEKING_AbsolutePositioning, nullptr, 0);
    };
    const Figures segment = Measure(
        clip, seconds,
        [&](PlayerRecord& record) {
            REFERENCE_TIME a = kA, b = kB;
            record.Loop = {AbLoop::Stage::Looping, a, b};
            record.pMS->SetPositions(&a, AM_SEEKING_AbsolutePositioning | AM_SEEKING_Segment, &b,
                                     AM_SEEKING_AbsolutePositioning);
        },
        false);
    const Figures timer = Measure(clip, seconds, seekToA, true);
    std::printf("%-8s %12s %12s %6s\n", "loop", "past B (ms)", "gap (ms)", "loops");
    for (const auto& [name, f] : {std::pair{"segment", segment}, std::pair{"timer", timer}})
        std::printf("%-8s %12.1f %12.1f %6d\n", name, f.worstPastBMs, f.longestGapMs, f.loops);
    std::filesystem::remove_all(dir);
    return 0;
}
