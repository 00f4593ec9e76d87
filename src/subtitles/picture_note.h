// A short note burnt into the picture's top left for two seconds: the
// subtitle delay, the track just chosen, and the like.
#pragma once

#include <functional>
#include <string>

#include <QTimer>

#include "subtitles/subtitle_shared.h"

namespace tavimo {

class PictureNote {
  public:
    static constexpr int kShownMs = 2000;

    // Writes the note of `shared`; `redraw` draws a still picture again (after
    // each note, and when it goes). UI thread.
    PictureNote(MixerShared& shared, std::function<void()> redraw);

    // Shows `text` for kShownMs, replacing any note shown. UI thread.
    void Show(std::string text);
    // The note's time is up: it goes from the picture.
    void Hide();
    // Another clip: no note, nothing redrawn.
    void Forget();
    bool Shown() const { return timer_.isActive(); }

  private:
    MixerShared& shared_;
    std::function<void()> redraw_;
    QTimer timer_;
};

}  // namespace tavimo
