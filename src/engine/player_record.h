// The state of the current clip and the operations that act on it.
#pragma once

#include <cstdint>
#include <string>

#include "subtitles/subtitle_shared.h"
#include "subtitles/subtitle_track.h"

namespace tavimo {

class PlayerHost;

enum class ClipState : int { Stopped = 0, Paused = 1, Running = 2, Closed = 3 };

class PlayerRecord {
  public:
    explicit PlayerRecord(PlayerHost& host) : host_(host) {}
    PlayerRecord(const PlayerRecord&) = delete;
    PlayerRecord& operator=(const PlayerRecord&) = delete;

    // --- operations; UI thread ---

    // Opens `ClipPath` (the Open Media File dialog when it is empty) and plays it.
    void OpenClip();
    // Stops and rewinds; the first frame stays shown.
    void StopClip();
    // Runs when stopped or paused, pauses when running.
    void TogglePause();
    // Relative seek by `offset` in 100 ns units; no bound is applied.
    void SeekBy(int64_t offset);
    // Absolute seek to `position` in 100 ns units.
    void SeekTo(int64_t position);
    // Stores `volume` (0..100) and sets the audio level.
    void SetVolume(int volume);
    // Stops, releases the pipeline, `ClipState` = Closed.
    void CloseClip();
    // Main window title "Tavimo - " + `ClipPath`.
    void UpdateTitle();

    // While the windowless control is held: letterbox becomes none and
    // anything else letterbox (the control's current mode decides).
    void ToggleAspectRatioMode();
    // While the windowless control is held: aspect mode none (stretch keys).
    void SetAspectRatioNone();
    // The display's mode changed: the renderer is told.
    void DisplayModeChanged();

    // Loads `SubtitlePath` (the Open Subtitles dialog when it is empty).
    void LoadSubtitles();
    // Flips `ViewSubtitles`.
    void ToggleViewSubtitles();
    // Font dialog for the subtitles.
    void SetSubtitleFont();

    // Whether a pipeline's seeking / windowless control is held.
    bool HasSeeking() const { return hasGraph_; }
    bool HasWindowlessControl() const { return hasGraph_; }
    bool HasControl() const { return hasGraph_; }

    // --- fields ---
    std::string ClipPath;
    std::string SubtitlePath;
    std::string LastDir;           // setting
    std::string LastSubtitlesDir;  // setting
    tavimo::ClipState ClipState = tavimo::ClipState::Stopped;
    bool FullScreenBlocked = false;
    int Volume = 100;  // setting
    int64_t Duration = 0;
    float VideoAspect = 4.0f / 3.0f;
    int AutoNext = 0;                         // setting
    int KeepWindowSize = 0;                   // setting
    int AlwaysOnTop = 0;                      // setting
    int ResolutionIndex = 0;                  // setting, as an index into the display modes
    uint32_t SubtitleFontColor = 0x00FFFFFF;  // setting, COLORREF
    int StretchStep = 10;
    bool FullScreen = false;

    SubtitleTrack Track;
    MixerShared Mixer;  // ViewSubtitles (setting), SubtitleOffset, SubtitleFont (setting)

  protected:
    PlayerHost& host_;
    bool hasGraph_ = false;
};

}  // namespace tavimo
