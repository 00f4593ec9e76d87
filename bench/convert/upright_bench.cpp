// Standing a phone's clip upright, per frame: videoflip (which turns pixel
// by pixel) against tavimoupright, on I420 colour bars as the decoders give
// them, a quarter turn and a half turn. CPU time per frame; compare the rows
// of one run.
//
//   upright_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>
#include <gst/gst.h>

#include <string>

#include "engine/media/gst_upright.h"

namespace tavimo {
namespace {

struct Case {
    int width, height;
    const char* tag;        // image-orientation
    const char* direction;  // videoflip's for the same turn
};

constexpr Case kCases[] = {
    {1920, 1080, "rotate-270", "90l"},
    {3840, 2160, "rotate-270", "90l"},
    {1920, 1080, "rotate-180", "180"},
    {3840, 2160, "rotate-180", "180"},
};

void Run(benchmark::State& state, bool ours) {
    const Case& c = kCases[state.range(0)];
    const std::string in = "video/x-raw, format=I420, width=" + std::to_string(c.width) +
                           ", height=" + std::to_string(c.height) + ", framerate=30/1";
    GstHarness* source = gst_harness_new_parse(
        ("videotestsrc pattern=smpte ! capsfilter caps=\"" + in + "\"").c_str());
    gst_harness_play(source);
    GstBuffer* frame = gst_harness_pull(source);
    gst_harness_teardown(source);
    GstHarness* h = gst_harness_new_parse(
        ours ? "tavimoupright" : ("videoflip video-direction=" + std::string(c.direction)).c_str());
    gst_harness_set_src_caps_str(h, in.c_str());
    if (ours)
        gst_harness_push_event(
            h, gst_event_new_tag(gst_tag_list_new(GST_TAG_IMAGE_ORIENTATION, c.tag, nullptr)));
    for (auto _ : state) {
        gst_harness_push(h, gst_buffer_ref(frame));
        gst_buffer_unref(gst_harness_pull(h));
    }
    state.SetLabel(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + c.tag);
    gst_buffer_unref(frame);
    gst_harness_teardown(h);
}

void BM_Videoflip(benchmark::State& state) {
    Run(state, false);
}

void BM_Upright(benchmark::State& state) {
    Run(state, true);
}

void AllCases(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < int(std::size(kCases)); ++i)
        b->Arg(i);
    b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

BENCHMARK(BM_Videoflip)->Apply(AllCases);
BENCHMARK(BM_Upright)->Apply(AllCases);

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    gst_init(&argc, &argv);
    gst_object_unref(gst_object_ref_sink(tavimo::NewUpright()));  // registers it
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
