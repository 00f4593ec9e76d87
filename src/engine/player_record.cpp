#include "engine/player_record.h"

#include "engine/player_host.h"

namespace tavimo {

// Until playback lands, the operations keep only the record's own state.

void PlayerRecord::OpenClip() {}

void PlayerRecord::StopClip() {
    if (ClipState != tavimo::ClipState::Closed) {
        ClipState = tavimo::ClipState::Stopped;
    }
}

void PlayerRecord::TogglePause() {}

void PlayerRecord::SeekBy(int64_t) {}

void PlayerRecord::SeekTo(int64_t) {}

void PlayerRecord::SetVolume(int volume) {
    Volume = volume;
}

void PlayerRecord::CloseClip() {
    ClipState = tavimo::ClipState::Stopped;
    FullScreenBlocked = true;
    ClipState = tavimo::ClipState::Closed;
    UpdateTitle();
}

void PlayerRecord::UpdateTitle() {
    host_.SetWindowTitle("Tavimo - " + ClipPath);
}

void PlayerRecord::ToggleAspectRatioMode() {}

void PlayerRecord::SetAspectRatioNone() {}

void PlayerRecord::DisplayModeChanged() {}

void PlayerRecord::LoadSubtitles() {}

void PlayerRecord::ToggleViewSubtitles() {
    Mixer.ViewSubtitles = Mixer.ViewSubtitles.load() == 0 ? 1 : 0;
}

void PlayerRecord::SetSubtitleFont() {}

}  // namespace tavimo
