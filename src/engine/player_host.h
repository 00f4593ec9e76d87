// What the player record needs from the window that holds it. The main frame
// implements it; tests give a fake. Every call on the UI thread. Only Dialogs
// and SetWindowTitle must be given; the rest default to doing nothing.
#pragma once

#include <cstdint>
#include <string>

namespace tavimo {

namespace platform {
class Dialogs;
}
class VideoWindow;

class PlayerHost {
  public:
    virtual ~PlayerHost() = default;
    // Every box and file dialog of the engine goes through these.
    virtual platform::Dialogs& Dialogs() = 0;
    // Sets the main window's title (UTF-8).
    virtual void SetWindowTitle(const std::string& title) = 0;

    // The view as the video renderer's clipping window; null: no picture.
    virtual VideoWindow* VideoSurface() { return nullptr; }
    // Resizes the frame so the view shows the video at its native size.
    virtual void FitFrameToVideo() {}
    // Seek bar: range 0..`high` (steps of 2^16 x 100 ns) and the clip's
    // length in whole seconds.
    virtual void SetSeekRange(int32_t /*high*/, int64_t /*totalSeconds*/) {}
    // Seek bar: position (same scale as the range) and whole seconds played;
    // the bar is drawn again.
    virtual void SetSeekPosition(int32_t /*position*/, int64_t /*currentSeconds*/) {}
    // The view's PositionTimer (100 ms); starting it while it runs restarts it.
    virtual void StartPositionTimer() {}
    virtual void StopPositionTimer() {}
    // Repaints the whole view at once.
    virtual void RedrawView() {}
    // Queues a resize of the view to itself so it lays the picture out.
    virtual void PostViewSize() {}
    // Forgets the window rectangle saved for leaving full screen.
    virtual void ClearSavedFullScreenRect() {}
    // A new graph runs: the Filters menu lists its filters.
    virtual void GraphStarted() {}
    // The graph is gone: what was built for its clip goes with it.
    virtual void GraphReleased() {}
    // Puts `path` at the top of the recent-file list and saves the list.
    virtual void AddRecent(const std::string& /*path*/) {}
    // Opens the next file of the clip's folder (Auto Next).
    virtual void NextFile() {}
    // Busy cursor on or off while the UI thread waits for a pipeline.
    virtual void SetBusy(bool /*busy*/) {}
    // The record's Chapters or Loop changed: the seek bar's marks and the
    // Chapters menu follow.
    virtual void MarksChanged() {}
};

}  // namespace tavimo
