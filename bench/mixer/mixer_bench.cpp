// Per-frame cost of the subtitle mixer at 1920x1080 in YUY2, I420 and BGRx,
// next to GStreamer's textoverlay drawing the same two lines in the same font
// size, in the same run:
//   no_entry      no subtitle is due (the mixer passes the buffer through)
//   first_frame   every frame starts a new entry (text drawn again)
//   later_frames  later frames of one entry (cached text blended)
//   styled_first, styled_later  the same with markup: SubRip tags with the
//                 mixer's styles on, the same styles as Pango markup for
//                 textoverlay (italic, bold, a coloured word)
// "Core/I420/first_frame_default/<height>" rows draw every frame's new entry
// in the font a player gets when none is chosen, sized to the picture (68 px
// at 1080p, 135 at 2160p: larger glyphs than Qt caches, drawn as paths).
// "Core" rows time the plain C++ mixer on a frame in memory; "Element" and
// "TextOverlay" rows push pooled, writable buffers through a GstHarness, so
// both elements carry the same harness overhead.
//   mixer_bench [--benchmark_format=json] | bench/mixer/ratios.py
#include "subtitles/subtitle_mixer.h"
#include "subtitles/subtitle_mixer_element.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <gst/check/gstharness.h>
#include <gst/video/video.h>

#include <memory>
#include <string>
#include <vector>

namespace tavimo {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPixelSize = 48;
constexpr GstClockTime kFrame = 40 * GST_MSECOND;
constexpr int kEntries = 20000;
const char* const kTexts[2] = {"This is the first line of a subtitle\nand here is the second one",
                               "This is the first line of a subtitle\nand here is the second two"};
const char* const kSubRipTexts[2] = {
    "<i>This is the first line</i> of a <font color=\"yellow\">subtitle</font>\nand here is the "
    "<b>second</b> one",
    "<i>This is the first line</i> of a <font color=\"yellow\">subtitle</font>\nand here is the "
    "<b>second</b> two"};
const char* const kPangoTexts[2] = {
    "<i>This is the first line</i> of a <span foreground=\"yellow\">subtitle</span>\nand here is "
    "the <b>second</b> one",
    "<i>This is the first line</i> of a <span foreground=\"yellow\">subtitle</span>\nand here is "
    "the <b>second</b> two"};

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

enum class Scenario { NoEntry, FirstFrame, LaterFrames, StyledFirst, StyledLater };

bool Styled(Scenario s) {
    return s == Scenario::StyledFirst || s == Scenario::StyledLater;
}
bool EveryFrameNew(Scenario s) {
    return s == Scenario::FirstFrame || s == Scenario::StyledFirst;
}
struct ScenarioName {
    Scenario scenario;
    const char* name;
};
constexpr ScenarioName kScenarios[] = {
    {Scenario::NoEntry, "no_entry"},         {Scenario::FirstFrame, "first_frame"},
    {Scenario::LaterFrames, "later_frames"}, {Scenario::StyledFirst, "styled_first"},
    {Scenario::StyledLater, "styled_later"},
};

// Tracks for each scenario: a film-sized track with the frame in a gap near
// its start; one entry per frame, texts alternating; one long entry.
SubtitleEntries EntriesFor(Scenario scenario) {
    SubtitleEntries entries;
    auto add = [&](int64_t start, int64_t end, const char* text) {
        SubtitleEntry e;
        e.start = start;
        e.end = end;
        e.text = text;
        e.lines = 2;
        entries.push_back(e);
    };
    if (scenario == Scenario::NoEntry) {
        for (int i = 0; i < 1500; ++i) {
            add(3'600'000 + i * 4000, 3'600'000 + i * 4000 + 3000, kTexts[0]);
        }
    } else if (EveryFrameNew(scenario)) {
        for (int i = 0; i < kEntries; ++i) {
            add(i * 40, i * 40 + 40, (Styled(scenario) ? kSubRipTexts : kTexts)[i % 2]);
        }
    } else {
        add(0, int64_t{kEntries} * 40, (Styled(scenario) ? kSubRipTexts : kTexts)[0]);
    }
    return entries;
}

std::string Caps(const Format& f) {
    return std::string("video/x-raw,format=") + f.gst + ",width=" + std::to_string(kWidth) +
           ",height=" + std::to_string(kHeight) + ",framerate=25/1";
}

struct MixerState {
    SubtitleTrack track;
    MixerShared shared;
    explicit MixerState(Scenario scenario) {
        track.Fill(EntriesFor(scenario));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(kPixelSize);
        shared.SubtitleFont.Set(font);
        shared.SubtitleOffset = 40;
        shared.SubtitleStyles = Styled(scenario) ? 1 : 0;
    }
};

// Prepares and blends one frame an iteration, its time in `scenario`'s entries.
void TimeFrames(benchmark::State& state, CSubtitles& core, const VideoPlanes& planes,
                Scenario scenario) {
    int64_t frame = 0;
    for (auto _ : state) {
        const int64_t ms = EveryFrameNew(scenario) ? (frame % kEntries) * 40 : 1000;
        if (core.Prepare(FrameTime{true, ms * 10'000, 400'000, 1.0, 25.0}))
            core.Blend(planes);
        ++frame;
        benchmark::ClobberMemory();
    }
}

void BM_Core(benchmark::State& state, Format format, Scenario scenario) {
    MixerState mixer(scenario);
    CSubtitles core(mixer.track, mixer.shared);
    core.CheckInputType(VideoFormat{format.subtype, kWidth, kHeight, format.bitCount});
    const int bpp = format.bitCount == 12 ? 1 : format.bitCount / 8;
    std::vector<uint8_t> luma(static_cast<size_t>(kWidth) * bpp * kHeight, 16);
    VideoPlanes planes;
    planes.data[0] = luma.data();
    planes.stride[0] = kWidth * bpp;
    TimeFrames(state, core, planes, scenario);
}

// A new entry at every frame of an I420 picture `height` rows high (16:9),
// in the default font.
void BM_CoreDefaultFont(benchmark::State& state, int height) {
    MixerState mixer(Scenario::FirstFrame);
    mixer.shared.SubtitleFont.Set(std::nullopt);
    const int width = height * 16 / 9;
    CSubtitles core(mixer.track, mixer.shared);
    core.CheckInputType(VideoFormat{VideoSubtype::I420, width, height, 12});
    std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 3 / 2, 16);
    VideoPlanes planes;
    planes.data[0] = picture.data();
    planes.data[1] = planes.data[0] + width * height;
    planes.data[2] = planes.data[1] + width * height / 4;
    planes.stride[0] = width;
    planes.stride[1] = planes.stride[2] = width / 2;
    TimeFrames(state, core, planes, Scenario::FirstFrame);
}

// A harness around one element with a pool of writable buffers.
class Harness {
  public:
    Harness(GstHarness* h, const Format& format) : h_(h) {
        gst_harness_set_src_caps_str(h_, Caps(format).c_str());
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
    void Push(GstClockTime pts) {
        GstBuffer* buffer = nullptr;
        gst_buffer_pool_acquire_buffer(pool_, &buffer, nullptr);
        GST_BUFFER_PTS(buffer) = pts;
        GST_BUFFER_DURATION(buffer) = kFrame;
        gst_harness_push(h_, buffer);
        gst_buffer_unref(gst_harness_pull(h_));
    }
    GstElement* Element() const { return h_->element; }

  private:
    GstHarness* h_;
    GstBufferPool* pool_ = nullptr;
};

GstClockTime PtsFor(Scenario scenario, int64_t frame) {
    if (EveryFrameNew(scenario)) {
        return static_cast<GstClockTime>(frame % kEntries) * kFrame;
    }
    return GST_SECOND + static_cast<GstClockTime>(frame % 1000) * kFrame;
}

void BM_Element(benchmark::State& state, Format format, Scenario scenario) {
    MixerState mixer(scenario);
    GstElement* element = NewSubtitleMixer(std::make_shared<CSubtitles>(mixer.track, mixer.shared));
    gst_object_ref_sink(element);
    Harness harness(gst_harness_new_with_element(element, "sink", "src"), format);
    gst_object_unref(element);
    int64_t frame = 0;
    for (auto _ : state) {
        harness.Push(PtsFor(scenario, frame++));
    }
}

void BM_TextOverlay(benchmark::State& state, Format format, Scenario scenario) {
    Harness harness(gst_harness_new_with_padnames("textoverlay", "video_sink", "src"), format);
    const std::string font = "DejaVu Sans " + std::to_string(kPixelSize) + "px";
    g_object_set(harness.Element(), "font-desc", font.c_str(), "auto-resize", FALSE, "draw-shadow",
                 FALSE, "draw-outline", TRUE, "valignment", 2 /* bottom */, "halignment",
                 1 /* center */, nullptr);
    const char* const* texts = Styled(scenario) ? kPangoTexts : kTexts;
    g_object_set(harness.Element(), "text", scenario == Scenario::NoEntry ? "" : texts[0], nullptr);
    int64_t frame = 0;
    for (auto _ : state) {
        if (EveryFrameNew(scenario)) {
            g_object_set(harness.Element(), "text", texts[frame % 2], nullptr);
        }
        harness.Push(PtsFor(scenario, frame++));
    }
}

void RegisterAll() {
    for (const Format& f : kFormats) {
        for (const ScenarioName& s : kScenarios) {
            const std::string suffix = std::string("/") + f.gst + "/" + s.name;
            benchmark::RegisterBenchmark(("Core" + suffix).c_str(), BM_Core, f, s.scenario)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("Element" + suffix).c_str(), BM_Element, f, s.scenario)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("TextOverlay" + suffix).c_str(), BM_TextOverlay, f,
                                         s.scenario)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    for (int height : {1080, 2160}) {
        const std::string name = "Core/I420/first_frame_default/" + std::to_string(height);
        benchmark::RegisterBenchmark(name.c_str(), BM_CoreDefaultFont, height)
            ->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    gst_init(&argc, &argv);
    benchmark::Initialize(&argc, argv);
    tavimo::RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
