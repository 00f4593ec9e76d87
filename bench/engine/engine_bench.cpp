// Opening a clip: time from OpenClip to the first frame reaching the video
// sink, beside playbin doing the same on the same sink. Frame steps: E and
// Shift+E on the paused clip, from a frame in the middle of a key-frame
// interval (the step back decodes from the key frame before it). Run it under an X
// server so both use the probed X sink; without one both use fakesink.
// Playing whole clips beside playbin and mpv is bench/playback/compare.sh.
//
//   engine_bench [google benchmark flags]
#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

bool HaveDisplay() {
    return std::getenv("DISPLAY") != nullptr;
}

std::string VideoSink() {
    return HaveDisplay() ? "" : "fakesink";
}

class Frame : public QMainWindow, public PlayerHost {
  public:
    Frame() {
        GstMediaOptions options;
        options.videoSink = VideoSink();
        options.audioSink = "fakesink";
        media = NewGstMediaFramework(options);
        view = new CTavimoView(this);
        setCentralWidget(view);
        view->SetRecord(&record);
        record.UseMediaFramework(media.get());
        record.KeepWindowSize = 1;
        resize(640, 360);
        show();
    }
    ~Frame() override { record.CloseClip(); }
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    VideoWindow* VideoSurface() override { return view; }
    void PostViewSize() override { view->PlaceVideo(); }
    void FitFrameToVideo() override { view->FitFrameToVideo(); }
    void StartPositionTimer() override { view->StartPositionTimer(); }
    void StopPositionTimer() override { view->StopPositionTimer(); }

    platform::ScriptedDialogs dialogs;
    std::unique_ptr<MediaFramework> media;
    PlayerRecord record{*this};
    CTavimoView* view;
};

std::string gClip;

// Counts buffers reaching the sink pad of `element`'s first sink.
gulong WatchFirstFrame(GstElement* bin, std::atomic<bool>* seen) {
    GstElement* sink = bin;
    if (GST_IS_BIN(bin)) {
        GstIterator* it = gst_bin_iterate_sinks(GST_BIN(bin));
        GValue item = G_VALUE_INIT;
        if (gst_iterator_next(it, &item) == GST_ITERATOR_OK)
            sink = GST_ELEMENT(g_value_get_object(&item));
        g_value_unset(&item);
        gst_iterator_free(it);
    }
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gulong id = gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_BUFFER,
        [](GstPad*, GstPadProbeInfo*, gpointer data) {
            static_cast<std::atomic<bool>*>(data)->store(true);
            return GST_PAD_PROBE_REMOVE;
        },
        seen, nullptr);
    gst_object_unref(pad);
    return id;
}

void WaitFor(const std::atomic<bool>& flag) {
    while (!flag)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void BM_OpenClipToFirstFrame(benchmark::State& state) {
    Frame frame;
    for (auto _ : state) {
        frame.record.ClipPath = gClip;
        // Returns once the pipeline plays, after the first frame was drawn
        // as the preroll frame.
        frame.record.OpenClip();
        state.PauseTiming();
        if (frame.record.ClipState != ClipState::Running)
            state.SkipWithError("open failed");
        frame.record.CloseClip();
        state.ResumeTiming();
    }
}

void BM_PlaybinToFirstFrame(benchmark::State& state) {
    gchar* uri = gst_filename_to_uri(gClip.c_str(), nullptr);
    for (auto _ : state) {
        GstElement* playbin = gst_element_factory_make("playbin", nullptr);
        GstElement* sink =
            gst_element_factory_make(HaveDisplay() ? "ximagesink" : "fakesink", nullptr);
        g_object_set(playbin, "uri", uri, "video-sink", sink, "audio-sink",
                     gst_element_factory_make("fakesink", nullptr), nullptr);
        std::atomic<bool> seen{false};
        WatchFirstFrame(sink, &seen);
        gst_element_set_state(playbin, GST_STATE_PLAYING);
        WaitFor(seen);
        state.PauseTiming();
        gst_element_set_state(playbin, GST_STATE_NULL);
        gst_object_unref(playbin);
        state.ResumeTiming();
    }
    g_free(uri);
}

// The clip paused on frame 37 of 125 (25/s, a key frame every 25 frames).
void PauseMidInterval(Frame& frame) {
    if (frame.record.ClipState == ClipState::Running)
        frame.record.TogglePause();
    REFERENCE_TIME at = 37 * 400000;
    frame.record.pMS->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0);
}

void BM_StepFrame(benchmark::State& state) {
    const long frames = state.range(0);
    Frame frame;
    frame.record.ClipPath = gClip;
    frame.record.OpenClip();
    if (frame.record.ClipState != ClipState::Running) {
        state.SkipWithError("open failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        PauseMidInterval(frame);
        state.ResumeTiming();
        frame.record.StepFrame(frames);
    }
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    const char* clip = std::getenv("TAVIMO_BENCH_CLIP");
    tavimo::gClip = clip ? clip : "/tmp/tavimo-bench-720p.mp4";
    if (!std::filesystem::exists(tavimo::gClip)) {
        const std::string make =
            "gst-launch-1.0 -q videotestsrc num-buffers=125 ! "
            "video/x-raw,width=1280,height=720,framerate=25/1 ! x264enc speed-preset=ultrafast "
            "key-int-max=25 ! h264parse ! queue ! mux. audiotestsrc num-buffers=220 ! "
            "audioconvert ! avenc_aac ! aacparse ! queue ! mux. mp4mux name=mux ! filesink "
            "location=" +
            tavimo::gClip;
        if (std::system(make.c_str()) != 0)
            return 1;
    }
    benchmark::RegisterBenchmark("OpenClipToFirstFrame", tavimo::BM_OpenClipToFirstFrame)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PlaybinToFirstFrame", tavimo::BM_PlaybinToFirstFrame)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("StepFrame", tavimo::BM_StepFrame)
        ->Arg(1)
        ->Arg(-1)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
