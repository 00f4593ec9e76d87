// The sound's delay against the picture, kept for each sound output: the
// headset that plays late keeps its delay, the speakers theirs.
#pragma once

#include <map>
#include <string>

namespace tavimo {

// One press of the audio delay keys, and how far the delay goes either way.
inline constexpr int kAudioDelayStepMs = 50;
inline constexpr int kAudioDelayLimitMs = 5'000;

// "Audio delay: +150 ms", "Audio delay: -50 ms", "Audio delay: 0 ms". Any thread.
std::string AudioDelayNoteText(int ms);

// The delay of each sound output (by its name, as IAudioDelay gives it), in
// ms; 0 for an output never given one. Plain data; any one thread.
class AudioDelays {
  public:
    // At most this many outputs are kept; past it the one changed longest
    // ago goes (outputs come and go with each headset and dock).
    static constexpr size_t kMaximumOutputs = 32;

    int For(const std::string& output) const;
    // `ms` limited to kAudioDelayLimitMs either way; 0 forgets the output.
    // An empty output name keeps nothing.
    void Set(const std::string& output, int ms);

    // "name=ms;name=ms", in the order of the changes, oldest first: the stored
    // text. FromText reads it back; anything it cannot read is skipped.
    std::string Text() const;
    static AudioDelays FromText(const std::string& text);

  private:
    struct Delay {
        int ms = 0;
        unsigned changed = 0;  // the order of the changes
    };
    std::map<std::string, Delay> delays_;
    unsigned changes_ = 0;
};

}  // namespace tavimo
