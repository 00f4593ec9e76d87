// State the player record shares with the subtitle mixer of the running
// pipeline: the UI thread writes it, the streaming thread reads it per frame.
#pragma once

#include "subtitles/ass_script.h"

#include <QFont>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavimo {

// The selected subtitle font. The UI thread replaces it; the mixer takes its
// own copy under the lock, so replacing never frees a font the mixer draws
// with. The generation changes with every Set, letting the mixer notice a new
// font with one atomic read per frame.
class SubtitleFontSlot {
  public:
    // Replaces the font (nullopt: the default font) and warms the font
    // database and metrics for it, so that the first subtitle drawn with it
    // does not stall a frame. UI thread.
    void Set(std::optional<QFont> font);

    // Copy of the current font, nullopt for the default. Any thread.
    std::optional<QFont> Get() const {
        std::lock_guard lock(mutex_);
        return font_;
    }

    // Copies the font and its generation together. Any thread.
    uint64_t Copy(std::optional<QFont>& out) const {
        std::lock_guard lock(mutex_);
        out = font_;
        return generation_.load(std::memory_order_relaxed);
    }

    // Changes with every Set. Any thread; lock-free.
    uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }

  private:
    mutable std::mutex mutex_;  // guards font_
    std::optional<QFont> font_;
    std::atomic<uint64_t> generation_{0};
};

// The note burnt in at the picture's top left for a moment ("Subtitle delay:
// +0.3 s", "Audio: 2/2 Deutsch (AC-3, 5.1)"). The UI thread sets and clears
// it; the mixer copies the text when the generation changes, with one atomic
// read per frame otherwise.
class NoteSlot {
  public:
    // Shows `text` (UTF-8; empty: no note). UI thread.
    void Set(std::string text) {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
        generation_.fetch_add(1, std::memory_order_release);
    }

    // Copies the text and its generation together. Any thread.
    uint64_t Copy(std::string& out) const {
        std::lock_guard lock(mutex_);
        out = text_;
        return generation_.load(std::memory_order_relaxed);
    }

    // Changes with every Set. Any thread; lock-free.
    uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }

  private:
    mutable std::mutex mutex_;  // guards text_
    std::string text_;
    std::atomic<uint64_t> generation_{0};
};

// A retiming of the subtitles beyond their delay, as a synchronisation to
// the speech found it: a frame-rate change and parts with offsets of their
// own. A subtitle at script time s shows at ratio x s + the offset of its part
// (then the delay on top). The UI thread sets and clears it; the mixer maps
// each frame's time through it.
class SubtitleTiming {
  public:
    struct Part {
        int64_t fromMs = 0;    // script time the part starts at (the first: 0)
        int64_t offsetMs = 0;  // ms added after scaling
    };

    // Replaces the retiming; `parts` sorted by fromMs, at least one. A ratio
    // that is not positive clears it. UI thread.
    void Set(double ratio, std::vector<Part> parts);
    // Back to the subtitles' own times. UI thread.
    void Clear();
    // Whether a retiming is set. Any thread.
    bool Active() const { return active_.load(std::memory_order_acquire); }

    // The script time shown at `ms` (clip time less the delay). A time in a
    // stretch that a part's offset skipped maps to just before that part, so
    // nothing of it shows early. Any thread; lock-free while none is set.
    int64_t ToScript(int64_t ms) const;

    // Changes with every Set and Clear. Any thread.
    uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }

  private:
    mutable std::mutex mutex_;  // guards ratio_ and parts_
    double ratio_ = 1;
    std::vector<Part> parts_;
    std::atomic<bool> active_{false};
    std::atomic<uint64_t> generation_{0};
};

// The subtitle fields of the player record that the mixer reads every frame.
struct MixerShared {
    std::atomic<int> ViewSubtitles{1};   // non-zero: draw subtitles
    std::atomic<int> SubtitleOffset{5};  // px from picture bottom to text bottom
    std::atomic<int> SubtitleDelay{0};   // ms added to every entry's times at lookup
    std::atomic<int> SubtitleStyles{0};  // non-zero: SubRip markup is drawn as styles
    SubtitleFontSlot SubtitleFont;
    NoteSlot Note;  // shown at the top left in the subtitle font
    AssScript Ass;  // the clip's ASS/SSA script, drawn when SubtitleSource is 1
    std::atomic<int> SubtitleSource{0};  // 0: the text track is drawn, 1: the ASS script
    SubtitleTiming Timing;               // a synchronisation's rate and parts, under the delay
};

}  // namespace tavimo
