// Night mode's sound on sound written out: peaks held under the ceiling by
// the look-ahead, the dialogue channels weighed up, loud sound held back.
#include "engine/media/night_dsp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace tavimo {
namespace {

constexpr int kRate = 48000;

// `seconds` of white noise of `level` (peak) on the channels `on` marks.
std::vector<float> Noise(int channels, double seconds, float level, std::vector<bool> on) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> noise(-level, level);
    std::vector<float> sound(size_t(seconds * kRate) * channels);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] = on[i % channels] ? noise(random) : 0.0f;
    return sound;
}

// Runs `sound` through a core set up for `channels` in buffers of 1024
// frames; the delay is left in.
void RunThrough(std::vector<float>& sound, int channels) {
    NightDsp dsp;
    dsp.Setup(kRate, NightDsp::DefaultRoles(channels));
    for (size_t at = 0; at < sound.size(); at += 1024 * size_t(channels))
        dsp.Process(sound.data() + at, std::min<size_t>(1024, (sound.size() - at) / channels));
}

// The RMS of `channel` over the frames from `from` s to the end, in dB.
double RmsDb(const std::vector<float>& sound, int channels, int channel, double from) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = size_t(from * kRate) * channels + channel; i < sound.size(); i += channels, ++n)
        sum += double(sound[i]) * sound[i];
    return 10 * std::log10(sum / double(n));
}

double Peak(const std::vector<float>& sound) {
    return std::fabs(std::ranges::max(sound, {}, [](float v) { return std::fabs(v); }));
}

TEST(NightDspTest, SoundThroughTheCore) {
    struct Row {
        const char* name;
        int channels;
        std::vector<float> sound;
        std::function<void(const std::vector<float>&)> check;
    } rows[] = {
        {"a step from silence to full scale never passes -2 dBFS", 2,
         [] {
             std::vector<float> s(size_t(kRate) * 2, 0.0f);
             for (size_t i = s.size() / 2; i < s.size(); ++i)
                 s[i] = (i / 2) % 2 ? 1.0f : -1.0f;
             return s;
         }(),
         [](const std::vector<float>& s) {
             EXPECT_LE(Peak(s), 0.7943f);
             EXPECT_GT(Peak(s), 0.7f) << "the step itself comes out";
         }},
        {"a peak among quiet noise is held under the ceiling", 6,
         [] {
             std::vector<float> s = Noise(6, 2, 0.01f, {true, true, true, true, true, true});
             s[size_t(kRate) * 6 + 2] = 1.0f;  // 1 s in, the centre
             return s;
         }(),
         [](const std::vector<float>& s) { EXPECT_LE(Peak(s), 0.7943f); }},
        {"5.1: the centre comes out 6 dB over a front with the same sound", 6,
         Noise(6, 2, 0.02f, {true, false, true, false, false, false}),
         [](const std::vector<float>& s) {
             EXPECT_NEAR(RmsDb(s, 6, 2, 0.5) - RmsDb(s, 6, 0, 0.5), 6.02, 0.05);
         }},
        {"stereo: what both sides share comes out 4 dB over what differs", 2,
         Noise(2, 2, 0.02f, {true, false}),
         [](const std::vector<float>& s) {
             // Left only: middle and side alike; out, the left holds 1.026 and
             // the right 0.232 of it (+2 dB middle, -2 dB side).
             EXPECT_NEAR(RmsDb(s, 2, 0, 0.5) - RmsDb(s, 2, 1, 0.5), 12.9, 0.1);
         }},
        {"loud noise for 4 s is held near -18 LUFS, 20 dB down", 2, Noise(2, 4, 0.9f, {true, true}),
         [](const std::vector<float>& s) {
             // Full-scale uniform noise of peak 0.9: about -5.6 dB RMS per side.
             EXPECT_LT(RmsDb(s, 2, 0, 1.0), -20.0);
             EXPECT_GT(RmsDb(s, 2, 0, 1.0), -30.0);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<float> sound = row.sound;
        RunThrough(sound, row.channels);
        row.check(sound);
    }
}

}  // namespace
}  // namespace tavimo
