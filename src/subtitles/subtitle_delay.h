// The subtitle delay: Z shows the subtitles earlier, X later, Shift+Z puts
// them back. Each change shows its notice on the picture for a while.
#pragma once

#include <string>

#include "subtitles/picture_note.h"
#include "subtitles/subtitle_shared.h"

namespace tavimo {

// "Subtitle delay: +0.3 s" for a delay of `ms` (a multiple of 100 ms).
std::string DelayNoticeText(int ms);

class SubtitleDelay {
  public:
    static constexpr int kStepMs = 100;
    // The delay stays within an hour either way.
    static constexpr int kLimitMs = 3'600'000;

    // Writes the delay of `shared` and shows each change through `note`.
    // UI thread.
    SubtitleDelay(MixerShared& shared, PictureNote& note) : shared_(shared), note_(note) {}

    // Changes the delay by `stepMs`; 0 sets it back to 0 and drops a
    // synchronisation's retiming. Shows the notice.
    void Step(int stepMs);
    // Another clip: no delay, no retiming, no notice, nothing redrawn.
    void Forget();

  private:
    MixerShared& shared_;
    PictureNote& note_;
};

}  // namespace tavimo
