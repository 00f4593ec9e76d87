#include "engine/media/night_dsp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavimo {
namespace {

constexpr double kBlockSeconds = 0.01;
// Dialogue is heard in this band, and taken to go on this long after the
// last block that sounded like it (the pauses between words and lines).
constexpr double kBandLowHz = 300, kBandHighHz = 3400;
constexpr int kSpeechHoldBlocks = 60;
// Speech rises and falls by this much within the last blocks
// (kHistoryBlocks); a music bed or a rumble keeps steadier.
constexpr size_t kHistoryBlocks = 40;
constexpr double kSpeechSwingDb = 8;
// The dialogue channel (the centre, or the middle of the fronts) carries
// this much more of the band than the rest (the sides).
constexpr double kSpeechDominanceDb = 2;
// The slow leveller: how far it lifts (dialogue, anything else) and cuts,
// and how fast it moves; under the floor it stands (silence, a fade).
constexpr double kLiftSpeechDb = 12, kLiftOtherDb = 8, kCutDb = 12;
constexpr double kSlowDbPerSecond = 1.5;
constexpr double kSilenceLufs = -55;
// The fast hold keeps the sound this far over the target at most (more
// for dialogue, so a shout stays a shout), and lets go at this pace.
constexpr double kOverSpeechDb = 6, kOverOtherDb = 3;
constexpr double kFastReleaseDbPerSecond = 6;
constexpr double kNoHoldDb = 20;
// The loudness measure's time constants: the slow one near EBU R128's
// momentary, the fast one rising at once, falling as a syllable.
constexpr double kSlowSeconds = 0.4, kFastRiseSeconds = 0.02, kFastFallSeconds = 0.1;
// Stereo's middle and sides: +2 dB and -2 dB.
constexpr float kMiddle = 1.2589f, kSide = 0.7943f;
// The limiter's gain comes back with this time constant once a peak passed.
constexpr double kLimiterReleaseSeconds = 0.08;

// RBJ's cookbook high and low pass, Q 1/sqrt(2).
NightDsp::Biquad Pass(double hz, int rate, bool high) {
    const double w = 2 * std::numbers::pi * hz / rate;
    const double alpha = std::sin(w) / std::numbers::sqrt2, c = std::cos(w), a0 = 1 + alpha;
    NightDsp::Biquad f;
    f.b1 = (high ? -(1 + c) : 1 - c) / a0;
    f.b0 = f.b2 = (high ? (1 + c) : (1 - c)) / 2 / a0;
    f.a1 = -2 * c / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

// ITU-R BS.1770's K weighting at any rate: its shelf, then its high pass.
NightDsp::Biquad KShelf(int rate) {
    const double k = std::tan(std::numbers::pi * 1681.974450955533 / rate);
    const double q = 0.7071752369554196, vh = std::pow(10.0, 3.999843853973347 / 20);
    const double vb = std::pow(vh, 0.4996667741545416), a0 = 1 + k / q + k * k;
    NightDsp::Biquad f;
    f.b0 = (vh + vb * k / q + k * k) / a0;
    f.b1 = 2 * (k * k - vh) / a0;
    f.b2 = (vh - vb * k / q + k * k) / a0;
    f.a1 = 2 * (k * k - 1) / a0;
    f.a2 = (1 - k / q + k * k) / a0;
    return f;
}

NightDsp::Biquad KHigh(int rate) {
    const double k = std::tan(std::numbers::pi * 38.13547087602444 / rate);
    const double q = 0.5003270373238773, a0 = 1 + k / q + k * k;
    NightDsp::Biquad f;
    f.b0 = f.b2 = 1;
    f.b1 = -2;
    f.a1 = 2 * (k * k - 1) / a0;
    f.a2 = (1 - k / q + k * k) / a0;
    return f;
}

double Db(double energy) {
    return 10 * std::log10(energy + 1e-15);
}

// The part of the way to a new value a one-pole average goes in one step
// of `step` seconds.
double Pole(double step, double seconds) {
    return 1 - std::exp(-step / seconds);
}

}  // namespace

std::vector<NightChannel> NightDsp::DefaultRoles(int channels) {
    using C = NightChannel;
    switch (channels) {
        case 1:
            return {C::Centre};
        case 6:
            return {C::Front, C::Front, C::Centre, C::Lfe, C::Surround, C::Surround};
        case 8:
            return {C::Front,    C::Front,    C::Centre,   C::Lfe,
                    C::Surround, C::Surround, C::Surround, C::Surround};
        default:
            return std::vector<NightChannel>(size_t(std::max(channels, 1)), C::Front);
    }
}

void NightDsp::Setup(int rate, std::span<const NightChannel> roles) {
    rate_ = rate;
    channels_ = roles.size();
    block_ = std::max<size_t>(1, size_t(rate * kBlockSeconds));
    lookAhead_ = std::max<size_t>(1, size_t(rate * kLookAheadMs / 1000));
    centre_ = -1;
    fronts_.clear();
    for (size_t c = 0; c < channels_; ++c) {
        if (roles[c] == NightChannel::Centre && centre_ < 0)
            centre_ = int(c);
        if (roles[c] == NightChannel::Front && fronts_.size() < 2)
            fronts_.push_back(int(c));
    }
    // A centre among other speakers carries the dialogue: +3 dB, the rest -3 dB.
    const bool weigh = centre_ >= 0 && channels_ > 1;
    // Stereo: what both sides share (the dialogue) +2 dB, what differs -2 dB.
    share_ = centre_ < 0 && channels_ == 2 ? (kMiddle - kSide) / 2 : 0;
    weight_.assign(channels_, 1.0f);
    loudWeight_.assign(channels_, 1.0f);
    for (size_t c = 0; c < channels_; ++c) {
        if (weigh)
            weight_[c] =
                int(c) == centre_ ? std::numbers::sqrt2_v<float> : 1 / std::numbers::sqrt2_v<float>;
        loudWeight_[c] = roles[c] == NightChannel::Lfe        ? 0.0f
                         : roles[c] == NightChannel::Surround ? 1.41f
                                                              : 1.0f;
    }
    kShelf_.assign(channels_, KShelf(rate));
    kHigh_.assign(channels_, KHigh(rate));
    dialogueHigh_ = restHigh_ = Pass(kBandLowHz, rate, true);
    dialogueLow_ = restLow_ = Pass(kBandHighHz, rate, false);
    slowDb_ = 0;
    releaseKeep_ = float(1 - Pole(1.0 / rate, kLimiterReleaseSeconds));
    Reset();
}

void NightDsp::Reset() {
    for (auto* filters : {&kShelf_, &kHigh_})
        for (Biquad& f : *filters)
            f.z1 = f.z2 = 0;
    for (Biquad* f : {&dialogueHigh_, &dialogueLow_, &restHigh_, &restLow_})
        f->z1 = f->z2 = 0;
    taken_ = 0;
    blockEnergy_ = dialogueBand_ = restBand_ = 0;
    slowEnergy_ = fastEnergy_ = 0;
    bandHistory_.assign(kHistoryBlocks, -150.0);
    historyAt_ = 0;
    dominance_ = 0;
    speechHold_ = 0;
    fastDb_ = kNoHoldDb;
    applied_ = float(std::pow(10.0, std::min(slowDb_, fastDb_) / 20));
    rampStep_ = 0;
    rampLeft_ = 0;
    delay_.assign(lookAhead_ * channels_, 0.0f);
    delayAt_ = 0;
    const size_t window = lookAhead_ + 1;
    need_.assign(window, 1.0f);
    minQueue_.assign(window, 0);
    minHead_ = minTail_ = 0;
    frameCount_ = 0;
    held_ = 1;
    average_.assign(window, 1.0f);
    averageSum_ = double(window);
    averageAt_ = 0;
}

double NightDsp::GainDb() const {
    return std::min(slowDb_, fastDb_);
}

void NightDsp::Process(float* data, size_t frames) {
    for (size_t i = 0; i < frames; ++i) {
        float* frame = data + i * channels_;
        if (share_ != 0) {
            const float left = frame[0], right = frame[1], own = (kMiddle + kSide) / 2;
            frame[0] = own * left + share_ * right;
            frame[1] = own * right + share_ * left;
        }
        for (size_t c = 0; c < channels_; ++c)
            frame[c] *= weight_[c];
        Measure(frame);
        if (++taken_ == block_)
            Decide();
        if (rampLeft_ > 0) {
            applied_ += rampStep_;
            --rampLeft_;
        }
        for (size_t c = 0; c < channels_; ++c)
            frame[c] *= applied_;
        Limit(frame);
    }
}

void NightDsp::Measure(const float* frame) {
    for (size_t c = 0; c < channels_; ++c) {
        const float k = kHigh_[c].Run(kShelf_[c].Run(frame[c]));
        blockEnergy_ += loudWeight_[c] * k * k;
    }
    float dialogue = 0, rest = 0;
    if (centre_ >= 0)
        dialogue = frame[centre_];
    if (fronts_.size() == 2) {
        const float middle = 0.5f * (frame[fronts_[0]] + frame[fronts_[1]]);
        const float side = 0.5f * (frame[fronts_[0]] - frame[fronts_[1]]);
        // Without a centre the dialogue is what both fronts share.
        rest = centre_ >= 0 ? middle : side;
        if (centre_ < 0)
            dialogue = middle;
    } else if (centre_ < 0 && channels_ > 0) {
        dialogue = frame[0];
    }
    const float d = dialogueLow_.Run(dialogueHigh_.Run(dialogue));
    const float r = restLow_.Run(restHigh_.Run(rest));
    dialogueBand_ += d * d;
    restBand_ += r * r;
}

void NightDsp::Decide() {
    const double n = double(taken_), step = n / rate_;
    const double energy = blockEnergy_ / n;
    slowEnergy_ += (energy - slowEnergy_) * Pole(step, kSlowSeconds);
    fastEnergy_ += (energy - fastEnergy_) *
                   Pole(step, energy > fastEnergy_ ? kFastRiseSeconds : kFastFallSeconds);
    // Speech: the dialogue channel's band swings with the syllables and
    // stands out of the rest.
    const double band = Db(dialogueBand_ / n);
    bandHistory_[historyAt_] = band;
    historyAt_ = (historyAt_ + 1) % bandHistory_.size();
    const auto [low, high] = std::minmax_element(bandHistory_.begin(), bandHistory_.end());
    const double dominance = band - Db(restBand_ / n);
    dominance_ += (std::min(dominance, 20.0) - dominance_) * Pole(step, 0.2);
    const bool speech =
        band > -70 && *high - *low > kSpeechSwingDb && dominance_ > kSpeechDominanceDb;
    speechHold_ = speech ? kSpeechHoldBlocks : std::max(speechHold_ - 1, 0);
    taken_ = 0;
    blockEnergy_ = dialogueBand_ = restBand_ = 0;

    // The slow leveller brings the sound towards the target, never down
    // under dialogue (the bed would breathe with the lines) and leaving
    // loud sound to the fast hold.
    const double slowLufs = -0.691 + Db(slowEnergy_);
    const bool talking = speechHold_ > 0;
    const double wanted =
        std::clamp(kTargetLufs - slowLufs, -kCutDb, talking ? kLiftSpeechDb : kLiftOtherDb);
    const double move = kSlowDbPerSecond * step;
    const bool loud = slowLufs + slowDb_ > kTargetLufs + kOverOtherDb;
    if (slowLufs > kSilenceLufs && !loud) {
        if (wanted > slowDb_)
            slowDb_ = std::min(wanted, slowDb_ + move);
        else if (!talking)
            slowDb_ = std::max(wanted, slowDb_ - move);
    }
    // The fast hold: loud sound down to the target and a little over, at once.
    const double fastLufs = -0.691 + Db(fastEnergy_);
    const double cap = kTargetLufs + (talking ? kOverSpeechDb : kOverOtherDb) - fastLufs;
    fastDb_ = std::min({cap, fastDb_ + kFastReleaseDbPerSecond * step, kNoHoldDb});

    const float target = float(std::pow(10.0, GainDb() / 20));
    rampStep_ = (target - applied_) / float(block_);
    rampLeft_ = block_;
}

void NightDsp::Limit(float* frame) {
    float peak = 0;
    for (size_t c = 0; c < channels_; ++c)
        peak = std::max(peak, std::fabs(frame[c]));
    const float need = peak > kCeiling ? kCeiling / peak : 1.0f;
    // The least gain any frame within the look-ahead needs.
    const size_t window = need_.size(), n = frameCount_++;
    if (minTail_ > minHead_ && minQueue_[minHead_ % window] + window <= n)
        ++minHead_;
    need_[n % window] = need;
    while (minTail_ > minHead_ && need_[minQueue_[(minTail_ - 1) % window] % window] >= need)
        --minTail_;
    minQueue_[minTail_++ % window] = n;
    const float least = need_[minQueue_[minHead_ % window] % window];
    // Held there, coming back slowly, and ramped into over the look-ahead:
    // every frame of the average is at or under the need of the frame leaving.
    held_ = std::min(least, 1 - (1 - held_) * releaseKeep_);
    averageSum_ += held_ - average_[averageAt_];
    average_[averageAt_] = held_;
    averageAt_ = (averageAt_ + 1) % window;
    const float gain = float(averageSum_ / double(window));
    float* slot = delay_.data() + delayAt_ * channels_;
    for (size_t c = 0; c < channels_; ++c) {
        const float leaving = slot[c];
        slot[c] = frame[c];
        frame[c] = leaving * gain;
    }
    delayAt_ = (delayAt_ + 1) % lookAhead_;
}

}  // namespace tavimo
