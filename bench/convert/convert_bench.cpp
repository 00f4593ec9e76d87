// The display's conversion of one frame to the X server's BGRx, before (the
// elements the player used: videoconvert, then videoscale where the window's
// size differs) and after (tavimoswscale, one pass), on moving colour bars
// as the decoders give them. CPU time per frame; the machine's load moves
// the absolute figures, so compare the rows of one run.
//
//   convert_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <malloc.h>

#include <string>

#include "engine/media/swscale_convert.h"

namespace tavimo {
namespace {

struct Case {
    const char* format;
    int width, height;        // the decoded frame
    int outWidth, outHeight;  // the window's
};

constexpr Case kCases[] = {
    {"I420", 1920, 1080, 1920, 1080},       // 1080p at its own size
    {"I420", 3840, 2160, 3840, 2160},       // 2160p at its own size
    {"I420", 3840, 2160, 1920, 1080},       // 2160p on a 1080p screen
    {"I420", 1280, 720, 1920, 1200},        // 720p full screen on 1920x1200
    {"NV12", 1920, 1080, 1920, 1080},       // a hardware-style layout
    {"I420_10LE", 1920, 1080, 1920, 1080},  // 10-bit HEVC / AV1
    {"I420", 1920, 1080, 1280, 720},        // 1080p in a 720p window: rows with room
    {"I420", 1920, 1080, 1272, 712},        // in a window of odd size, with borders: no room
    {"I420", 1920, 1080, 1283, 962},        // the same, taller than the picture
    {"I420", 1440, 1080, 1440, 1080},       // anamorphic HDV: chroma rows of 720 bytes
};

// A harness around `pipeline` fed the first of moving colour bars in the
// case's input; the bars are pushed again and again.
GstHarness* Prepare(const std::string& pipeline, const Case& c, GstBuffer** frame) {
    GstHarness* h = gst_harness_new_parse(pipeline.c_str());
    const std::string in =
        "video/x-raw, format=" + std::string(c.format) + ", width=" + std::to_string(c.width) +
        ", height=" + std::to_string(c.height) + ", framerate=30/1, pixel-aspect-ratio=1/1";
    gst_harness_set_src_caps_str(h, in.c_str());
    gst_harness_set_sink_caps_str(
        h, ("video/x-raw, format=BGRx, width=" + std::to_string(c.outWidth) +
            ", height=" + std::to_string(c.outHeight) + ", pixel-aspect-ratio=1/1")
               .c_str());
    GstHarness* source = gst_harness_new_parse(
        ("videotestsrc pattern=smpte horizontal-speed=3 ! capsfilter caps=\"" + in + "\"").c_str());
    gst_harness_play(source);
    *frame = gst_harness_pull(source);
    gst_harness_teardown(source);
    return h;
}

void Run(benchmark::State& state, const std::string& pipeline) {
    const Case& c = kCases[state.range(0)];
    GstBuffer* frame = nullptr;
    GstHarness* h = Prepare(pipeline, c, &frame);
    for (auto _ : state) {
        gst_harness_push(h, gst_buffer_ref(frame));
        gst_buffer_unref(gst_harness_pull(h));
    }
    state.SetLabel(std::string(c.format) + " " + std::to_string(c.width) + "x" +
                   std::to_string(c.height) + " -> " + std::to_string(c.outWidth) + "x" +
                   std::to_string(c.outHeight));
    gst_buffer_unref(frame);
    gst_harness_teardown(h);
}

void BM_Videoconvert(benchmark::State& state) {
    Run(state, "videoconvert ! videoscale");
}

// What the player used at 2160p: videoconvert on as many threads as cores.
void BM_VideoconvertThreads(benchmark::State& state) {
    Run(state,
        "videoconvert n-threads=" + std::to_string(g_get_num_processors()) + " ! videoscale");
}

void BM_Swscale(benchmark::State& state) {
    Run(state, "tavimoswscale");
}

void AllCases(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < int(std::size(kCases)); ++i)
        b->Arg(i);
    b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_Videoconvert)->Apply(AllCases);
BENCHMARK(BM_VideoconvertThreads)->Apply(AllCases);
BENCHMARK(BM_Swscale)->Apply(AllCases);

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    // Output frames come back to the heap and are taken again, as from the
    // sink's pool, instead of being mapped afresh (and faulted in) each time.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    gst_init(&argc, &argv);
    tavimo::RegisterSwscaleConvert();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
