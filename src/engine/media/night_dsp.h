// Night mode's sound: quiet dialogue lifted, loud effects and music held
// back, no peak over a ceiling, the centre of a 5.1 mix weighed up. Plain
// C++ on interleaved float samples, no framework: the audio element wraps it.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace tavimo {

// What a channel carries, for the weights and the loudness measure.
enum class NightChannel { Front, Centre, Lfe, Surround };

// The leveller and look-ahead limiter. One streaming thread; Setup first.
class NightDsp {
  public:
    // How far the limiter looks ahead, which is also the delay the sound
    // takes through Process.
    static constexpr double kLookAheadMs = 5.0;
    // No sample leaves Process above this (full scale 1.0): -2 dBFS, which
    // keeps the true peak under -1 dBTP for sound as films carry it.
    static constexpr float kCeiling = 0.794f;
    // The loudness dialogue is brought to and loud sound held down to
    // (LUFS, as EBU R128 measures it).
    static constexpr double kTargetLufs = -21.0;

    // `rate` in Hz, one role per channel (the sound's channel order).
    // Forgets all that was before. Sets the weights: a centre among other
    // channels +3 dB, the other speakers -3 dB; stereo's middle (what both
    // sides share) +2 dB, its sides -2 dB.
    void Setup(int rate, std::span<const NightChannel> roles);
    // Forgets the sound so far (a seek), the delay line silent again; the
    // leveller keeps its gain (the same film goes on).
    void Reset();
    // The delay through Process, in frames.
    size_t LatencyFrames() const { return lookAhead_; }
    // In place: `frames` interleaved frames of float samples. What comes out
    // is the sound that went in LatencyFrames() earlier (silence at first).
    void Process(float* data, size_t frames);

    // Roles for `channels` channels laid out as WAVE and GStreamer order them
    // by default: 1 mono (taken as a centre), 2 stereo, 6 as 5.1 (L R C LFE
    // Ls Rs), 8 as 7.1; other counts all fronts.
    static std::vector<NightChannel> DefaultRoles(int channels);

    // One biquad section (direct form II transposed). Public for the filters'
    // tables in night_dsp.cpp.
    struct Biquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double z1 = 0, z2 = 0;
        float Run(float x) {
            const double y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return float(y);
        }
    };

  private:
    // Adds one weighted frame to the block's measures.
    void Measure(const float* frame);
    // At the end of each block: speech or not, and the gains moved.
    void Decide();
    // The leveller's gain now, in dB: the slow one, or the fast hold's.
    double GainDb() const;
    // The frame entering (levelled) goes into the delay line; the frame
    // leaving, limited, is written over it.
    void Limit(float* frame);

    int rate_ = 48000;
    size_t channels_ = 0;
    size_t block_ = 480;
    size_t lookAhead_ = 240;
    std::vector<float> weight_;           // per channel
    float share_ = 0;                     // stereo: how much of each side goes to the other
    std::vector<float> loudWeight_;       // per channel, the loudness measure's
    std::vector<Biquad> kShelf_, kHigh_;  // per channel: K weighting
    int centre_ = -1;                     // the dialogue channel, or -1: the fronts' middle
    std::vector<int> fronts_;             // left and right fronts
    Biquad dialogueHigh_, dialogueLow_, restHigh_, restLow_;

    // Sums over the block being taken: loudness, dialogue band, the rest's band.
    size_t taken_ = 0;
    double blockEnergy_ = 0, dialogueBand_ = 0, restBand_ = 0;
    double slowEnergy_ = 0, fastEnergy_ = 0;
    std::vector<double> bandHistory_;  // the dialogue band in dB, last blocks
    size_t historyAt_ = 0;
    double dominance_ = 0;  // dB, smoothed
    int speechHold_ = 0;    // blocks dialogue is still taken to go on

    // Gains in dB: the slow leveller, the fast hold on loud sound; linear
    // gain last applied, for the ramp across the next block.
    double slowDb_ = 0, fastDb_ = 0;
    float applied_ = 1, rampStep_ = 0;
    size_t rampLeft_ = 0;

    // The limiter: the delay line, the required gains' running minimum (a
    // deque of positions with rising values), the held gain and the moving
    // average over the look-ahead.
    std::vector<float> delay_;
    size_t delayAt_ = 0;
    std::vector<float> need_;
    std::vector<size_t> minQueue_;
    size_t minHead_ = 0, minTail_ = 0;
    size_t frameCount_ = 0;
    float held_ = 1;
    std::vector<float> average_;
    double averageSum_ = 0;
    size_t averageAt_ = 0;
    float releaseKeep_ = 1;  // the part of the held gain's cut kept per frame
};

}  // namespace tavimo
