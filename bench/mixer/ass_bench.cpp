// Per-frame cost of drawing an ASS script at 1920x1080 in YUY2, I420 and
// BGRx: the subtitle mixer with its script as the source, next to GStreamer's
// assrender (the same libass) in the same run. Two styled lines:
//   steady    later frames of one event (libass reports no change)
//   karaoke   a \kf sweep over the whole event (new images every frame)
// "Core" rows time the plain C++ mixer on a frame in memory; "Element" and
// "AssRender" rows push pooled, writable buffers through a GstHarness, so both
// elements carry the same harness overhead. assrender gets the script as its
// codec data and one text buffer covering the run, so it draws every frame.
//   ass_bench [--benchmark_format=json] | bench/mixer/ratios.py
#include "subtitles/subtitle_mixer.h"
#include "subtitles/subtitle_mixer_element.h"

#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>
#include <gst/video/video.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tavimo {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr GstClockTime kFrame = 40 * GST_MSECOND;
constexpr int kFrames = 1000;  // frames of the event cycled through: 40 s

const char kHeader[] =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 1920\nPlayResY: 1080\n\n"
    "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
    "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, "
    "Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
    "Style: Main,DejaVu Sans,64,&H00FFFFFF,&H0000FFFF,&H00101010,&H80000000,0,0,0,0,100,100,0,"
    "0,1,3,2,2,40,40,40,1\n"
    "Style: Sign,DejaVu Sans,56,&H0030C0FF,&H00FFFFFF,&H00402000,&H80000000,1,1,0,0,100,100,0,"
    "0,1,2,3,8,40,40,40,1\n\n"
    "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";

const char kSteady[] =
    "Dialogue: 0,0:00:00.00,0:01:00.00,Main,,0,0,0,,This is the first line of a subtitle\\N"
    "and {\\i1}here{\\i0} is the second one\n"
    "Dialogue: 0,0:00:00.00,0:01:00.00,Sign,,0,0,0,,{\\fad(200,200)}A styled sign at the top\n";

// Syllables of \kf 400 (4 s each): the sweep moves every frame.
const char kKaraoke[] =
    "Dialogue: 0,0:00:00.00,0:01:00.00,Main,,0,0,0,,{\\kf400}This {\\kf400}is {\\kf400}the "
    "{\\kf400}first {\\kf400}line {\\kf400}of {\\kf400}a {\\kf400}song\\N{\\kf400}and "
    "{\\kf400}here {\\kf400}is {\\kf400}the {\\kf400}second\n"
    "Dialogue: 0,0:00:00.00,0:01:00.00,Sign,,0,0,0,,A styled sign at the top\n";

struct Format {
    const char* gst;
    VideoSubtype subtype;
    uint16_t bitCount;
};
constexpr Format kFormats[] = {
    {"YUY2", VideoSubtype::YUY2, 16},
    {"I420", VideoSubtype::I420, 12},
    {"BGRx", VideoSubtype::RGB32, 32},
};

struct Scenario {
    const char* name;
    const char* events;
};
constexpr Scenario kScenarios[] = {{"steady", kSteady}, {"karaoke", kKaraoke}};

std::string Caps(const Format& f) {
    return std::string("video/x-raw,format=") + f.gst + ",width=" + std::to_string(kWidth) +
           ",height=" + std::to_string(kHeight) + ",framerate=25/1";
}

// Frame n of the cycle: from 1 s on, one frame of 40 ms after another.
GstClockTime PtsOf(int64_t frame) {
    return GST_SECOND + static_cast<GstClockTime>(frame % kFrames) * kFrame;
}

struct MixerState {
    SubtitleTrack track;
    MixerShared shared;
    explicit MixerState(const Scenario& scenario) {
        shared.Ass.LoadFile(std::string(kHeader) + scenario.events);
        shared.SubtitleSource = 1;
    }
};

void BM_Core(benchmark::State& state, Format format, Scenario scenario) {
    MixerState mixer(scenario);
    CSubtitles core(mixer.track, mixer.shared);
    core.CheckInputType(VideoFormat{format.subtype, kWidth, kHeight, format.bitCount});
    const int bpp = format.bitCount == 12 ? 1 : format.bitCount / 8;
    std::vector<uint8_t> luma(static_cast<size_t>(kWidth) * bpp * kHeight, 16);
    std::vector<uint8_t> chroma(static_cast<size_t>(kWidth) * kHeight / 4, 128);
    VideoPlanes planes;
    planes.data[0] = luma.data();
    planes.stride[0] = kWidth * bpp;
    if (format.bitCount == 12) {
        planes.data[1] = chroma.data();
        planes.data[2] = chroma.data();
        planes.stride[1] = planes.stride[2] = kWidth / 2;
    }
    int64_t frame = 0;
    for (auto _ : state) {
        const auto pts = static_cast<int64_t>(PtsOf(frame++) / 100);
        if (core.Prepare(FrameTime{true, pts, 400'000, 1.0, 25.0}))
            core.Blend(planes);
        benchmark::ClobberMemory();
    }
}

// A harness around one element's video pads with a pool of writable buffers.
class Harness {
  public:
    Harness(GstHarness* h, const Format& format) : h_(h) {
        gst_harness_set_src_caps_str(h_, Caps(format).c_str());
        // Plain caps downstream: assrender blends instead of attaching its
        // overlay as meta.
        gst_harness_set_sink_caps_str(h_, Caps(format).c_str());
        GstCaps* caps = gst_caps_from_string(Caps(format).c_str());
        GstVideoInfo info;
        gst_video_info_from_caps(&info, caps);
        pool_ = gst_video_buffer_pool_new();
        GstStructure* config = gst_buffer_pool_get_config(pool_);
        gst_buffer_pool_config_set_params(config, caps, static_cast<guint>(info.size), 4, 0);
        gst_buffer_pool_set_config(pool_, config);
        gst_buffer_pool_set_active(pool_, TRUE);
        gst_caps_unref(caps);
    }
    ~Harness() {
        gst_buffer_pool_set_active(pool_, FALSE);
        gst_object_unref(pool_);
        gst_harness_teardown(h_);
    }
    // Pushes a black frame at `pts`; returns how many bytes of its first row
    // range [row0, row1) came out changed (only counted when asked).
    size_t Push(GstClockTime pts, bool count = false) {
        GstBuffer* buffer = nullptr;
        gst_buffer_pool_acquire_buffer(pool_, &buffer, nullptr);
        GST_BUFFER_PTS(buffer) = pts;
        GST_BUFFER_DURATION(buffer) = kFrame;
        if (count)
            gst_buffer_memset(buffer, 0, 16, gst_buffer_get_size(buffer));
        gst_harness_push(h_, buffer);
        GstBuffer* out = gst_harness_pull(h_);
        size_t changed = 0;
        if (count && out != nullptr) {
            GstMapInfo map;
            gst_buffer_map(out, &map, GST_MAP_READ);
            for (size_t i = 0; i < map.size; ++i)
                changed += map.data[i] != 16;
            gst_buffer_unmap(out, &map);
        }
        if (out != nullptr)
            gst_buffer_unref(out);
        return changed;
    }
    GstHarness* Raw() const { return h_; }

  private:
    GstHarness* h_;
    GstBufferPool* pool_ = nullptr;
};

// Stops the run when a path draws nothing: its figure would mean nothing.
void RequireDrawn(Harness& harness, const char* who) {
    if (harness.Push(PtsOf(0), true) < 1000) {
        std::fprintf(stderr, "%s draws no subtitles; the comparison is void\n", who);
        std::exit(1);
    }
}

void BM_Element(benchmark::State& state, Format format, Scenario scenario) {
    MixerState mixer(scenario);
    GstElement* element = NewSubtitleMixer(std::make_shared<CSubtitles>(mixer.track, mixer.shared));
    gst_object_ref_sink(element);
    Harness harness(gst_harness_new_with_element(element, "sink", "src"), format);
    gst_object_unref(element);
    RequireDrawn(harness, "the mixer");
    int64_t frame = 0;
    for (auto _ : state) {
        harness.Push(PtsOf(frame++));
    }
}

void BM_AssRender(benchmark::State& state, Format format, Scenario scenario) {
    Harness harness(gst_harness_new_with_padnames("assrender", "video_sink", "src"), format);
    GstHarness* text = gst_harness_new_with_element(harness.Raw()->element, "text_sink", nullptr);
    const std::string script = std::string(kHeader) + scenario.events;
    GstBuffer* codecData = gst_buffer_new_memdup(script.data(), script.size());
    GstCaps* caps =
        gst_caps_new_simple("application/x-ass", "codec_data", GST_TYPE_BUFFER, codecData, nullptr);
    gst_harness_set_src_caps(text, caps);
    gst_buffer_unref(codecData);
    // One text buffer over the whole run keeps assrender drawing; its own
    // event adds nothing to the picture.
    const char chunk[] = "999,0,Main,,0,0,0,,";
    GstBuffer* keep = gst_buffer_new_memdup(chunk, sizeof chunk - 1);
    GST_BUFFER_PTS(keep) = 0;
    GST_BUFFER_DURATION(keep) = 3600 * GST_SECOND;
    gst_harness_push(text, keep);
    RequireDrawn(harness, "assrender");
    int64_t frame = 0;
    for (auto _ : state) {
        harness.Push(PtsOf(frame++));
    }
    gst_harness_teardown(text);
}

void RegisterAll() {
    for (const Format& f : kFormats) {
        for (const Scenario& s : kScenarios) {
            const std::string suffix = std::string("/") + f.gst + "/" + s.name;
            benchmark::RegisterBenchmark(("Core" + suffix).c_str(), BM_Core, f, s)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("Element" + suffix).c_str(), BM_Element, f, s)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("AssRender" + suffix).c_str(), BM_AssRender, f, s)
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    gst_init(&argc, &argv);
    benchmark::Initialize(&argc, argv);
    tavimo::RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
