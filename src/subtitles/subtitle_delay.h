// The subtitle delay: Z shows the subtitles earlier, X later, Shift+Z puts
// them back. Each change shows its notice on the picture for a while.
#pragma once

#include <functional>
#include <string>

#include <QTimer>

#include "subtitles/subtitle_shared.h"

namespace tavimo {

// "Subtitle delay: +0.3 s" for a delay of `ms` (a multiple of 100 ms).
std::string DelayNoticeText(int ms);

class SubtitleDelay {
  public:
    static constexpr int kStepMs = 100;
    static constexpr int kNoticeMs = 2000;
    // The delay stays within an hour either way.
    static constexpr int kLimitMs = 3'600'000;

    // Writes the delay and the notice flag of `shared`; `redraw` draws a still
    // picture again (after each change, and when the notice goes). UI thread.
    SubtitleDelay(MixerShared& shared, std::function<void()> redraw);

    // Changes the delay by `stepMs`; 0 sets it back to 0. Shows the notice.
    void Step(int stepMs);
    // Another clip: no delay, no notice, nothing redrawn.
    void Forget();
    // The notice's time is up: it goes from the picture.
    void HideNotice();
    bool NoticeShown() const { return shared_.DelayNotice.load() != 0; }

  private:
    MixerShared& shared_;
    std::function<void()> redraw_;
    QTimer noticeTimer_;
};

}  // namespace tavimo
