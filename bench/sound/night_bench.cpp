// Night mode's sound, two ways:
//
//   night_bench [benchmark options]
//       the time NightDsp takes per second of sound at 48 kHz, stereo and
//       5.1 (film-like noise and tones, the limiter busy now and then): the
//       share of one core is the time per iteration over one second.
//   night_bench process <channels> < in.f32 > out.f32
//       runs raw interleaved float sound at 48 kHz through NightDsp, the
//       delay taken off (for trying the core on a file).
//   night_bench play <clip> <on|off>
//       plays <clip> to its end through the player (pulsesink into whatever
//       PulseAudio server PULSE_SERVER names), night mode on or off, as
//       night.sh records it from the server's null sink.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine/media/gst_media.h"
#include "engine/media/night_dsp.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

constexpr int kRate = 48000;

// One second of sound: noise and a tone on every channel, loud bursts.
std::vector<float> Second(int channels) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.1f, 0.1f);
    std::vector<float> sound(size_t(kRate) * channels);
    for (int i = 0; i < kRate; ++i)
        for (int c = 0; c < channels; ++c) {
            const float burst = (i / 4800) % 3 == 0 ? 8.0f : 1.0f;
            sound[size_t(i) * channels + c] =
                burst * (noise(random) + 0.05f * std::sin(0.05f * float(i * (c + 1))));
        }
    return sound;
}

void BM_NightDspSecond(benchmark::State& state) {
    const int channels = int(state.range(0));
    const std::vector<float> second = Second(channels);
    std::vector<float> work(second.size());
    NightDsp dsp;
    dsp.Setup(kRate, NightDsp::DefaultRoles(channels));
    for (auto _ : state) {
        std::memcpy(work.data(), second.data(), work.size() * sizeof(float));
        // In buffers of 1024 frames, as a decoder hands them over.
        for (size_t at = 0; at < work.size(); at += 1024 * size_t(channels))
            dsp.Process(work.data() + at, std::min<size_t>(1024, (work.size() - at) / channels));
        benchmark::DoNotOptimize(work.data());
    }
}
BENCHMARK(BM_NightDspSecond)->Arg(2)->Arg(6)->Unit(benchmark::kMillisecond);

int Process(int channels) {
    NightDsp dsp;
    dsp.Setup(kRate, NightDsp::DefaultRoles(channels));
    std::vector<float> buffer(1024 * size_t(channels));
    size_t skip = dsp.LatencyFrames();
    size_t frames;
    while ((frames = std::fread(buffer.data(), sizeof(float) * channels, 1024, stdin)) > 0) {
        dsp.Process(buffer.data(), frames);
        const size_t from = std::min(skip, frames);
        skip -= from;
        std::fwrite(buffer.data() + from * channels, sizeof(float) * channels, frames - from,
                    stdout);
    }
    return 0;
}

class Host : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

int Play(int argc, char** argv) {
    QApplication app(argc, argv);
    GstMediaOptions options;
    options.videoSink = "fakesink";
    options.audioSink = "pulsesink";
    std::unique_ptr<MediaFramework> media = NewGstMediaFramework(options);
    Host host;
    PlayerRecord record(host);
    record.UseMediaFramework(media.get());
    record.NightMode = std::strcmp(argv[3], "on") == 0 ? 1 : 0;
    record.ClipPath = argv[2];
    record.OpenClip();
    if (record.ClipState != ClipState::Running)
        return 1;
    QTest::qWait(int(record.Duration / 10000) + 1500);
    record.CloseClip();
    return 0;
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "process") == 0)
        return tavimo::Process(std::atoi(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "play") == 0)
        return tavimo::Play(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
