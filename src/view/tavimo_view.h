// The video view: the frame's client area. Black wherever the picture is not;
// the video sink draws into a native child surface placed on the picture's
// destination rectangle. Turns mouse input into size, full-screen and
// subtitle-position actions, and owns the position and hide timers.
#pragma once

#include <functional>
#include <memory>

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QWidget>

#include "engine/media/media.h"
#include "view/full_screen.h"
#include "view/view_geometry.h"
#include "view/window_fit.h"

namespace tavimo {

class PlayerRecord;
class CSliders;

namespace platform {
class DisplayModes;
class IdleInhibit;
class ScreenSaver;
}  // namespace platform

class CTavimoView : public QWidget, public VideoWindow {
    Q_OBJECT
  public:
    explicit CTavimoView(QWidget* parent = nullptr);
    ~CTavimoView() override;

    // The record whose graph draws here and that the seek bar seeks in; not
    // owned, outlives the view. UI thread.
    void SetRecord(PlayerRecord* record);
    // The frame's parts full screen works with: the seek-bar dialog the view
    // borrows, the display modes, and how the frame shows or hides its menu
    // and bands. Not owned; they outlive the view. Before or after SetRecord
    // alike. UI thread.
    void UseFrameParts(CSliders* sliders, platform::DisplayModes* modes,
                       std::function<void(bool shown)> showBands);
    // The screen saver held off in full screen; X11's unless given. UI thread.
    void UseScreenSaver(std::unique_ptr<platform::ScreenSaver> saver);

    // Places the picture on the whole view (after a resize or a mode change).
    void PlaceVideo();
    // Resizes the main window so the view shows the video at its native size
    // (one video pixel per logical pixel), or smaller, keeping its aspect,
    // where that would reach past the screen's work area; a maximised window
    // is restored first and the fit happens once the restore has arrived.
    void FitFrameToVideo();
    // "A": in full screen the picture fills the screen again, in a window
    // the frame fits the video.
    void ResetVideoSize();
    // The picture's rectangle grows by dx and dy on each side (negative
    // shrinks); a result without area, or growing past twice the view's size
    // either way, is refused. Logical pixels.
    void StretchVideo(int dx, int dy);
    // The frame grows by the step on each side (negative shrinks), about its
    // centre; it grows no larger than the desktop either way. Logical pixels.
    void ResizeFrameBy(Step step);
    // The whole view is painted again at once; without a graph it is all black.
    void Redraw();
    // The view outside the picture is painted black again.
    void PaintBorders();
    // Enters or leaves full screen; nothing without a picture or while
    // full screen is blocked.
    void ToggleFullScreen();
    bool IsFullScreen() const;
    // Whether full screen holds the desktop's idle timer off (its own hold,
    // beside the one playback takes).
    bool HoldsScreenAwake() const;
    // Forgets the zoom of the last full-screen period (a new clip).
    void ClearSavedFullScreenRect();
    // A mouse movement over the view at `point` (client coordinates): in
    // full screen the seek bar shows across the top and the cursor comes
    // back; with the left button held the subtitles follow the cursor.
    void MouseMoved(QPoint point, bool leftButton = false);
    // The context menu: the main menu's five popups, at `globalPos`.
    void ShowContextMenu(QPoint globalPos);

    // PositionTimer: every 100 ms the record polls the position. UI thread.
    void StartPositionTimer();
    void StopPositionTimer();
    bool PositionTimerActive() const { return positionTimer_.isActive(); }
    bool HideTimerActive() const { return hideTimer_.isActive(); }

    // The picture surface, for tests.
    QWidget* Surface() const { return surface_; }

    // VideoWindow; UI thread.
    uintptr_t NativeSurface() override;
    void PlaceSurface(const RECT& rect) override;
    double DevicePixelRatio() override { return devicePixelRatioF(); }
    void PictureRoom(int* width, int* height) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Gives the seek bar the record once both are known.
    void AttachSeekBar();
    void RepaintVideo();
    void HideTick();
    void DragSubtitles(int y);
    // The frame's size (logical pixels) that fits a picture of `native`
    // video pixels, and the resize that keeps the frame in the work area.
    QSize FittedFrameSize(QSize native) const;
    // The frame's size around the view and the room for it (logical pixels).
    void FrameRoom(FitSize* chrome, FitSize* room) const;
    void ResizeFrameInside(QSize size);
    void EnterFullScreen();
    void LeaveFullScreen();
    void ShowBar();
    void HideBarAndCursor();

    PlayerRecord* record_ = nullptr;
    QWidget* surface_;
    QSize placedPicture_;  // the picture's native size when the surface was placed
    QBasicTimer positionTimer_;
    QBasicTimer hideTimer_;
    QBasicTimer stillTimer_;     // redraws a still picture after a resize
    QPoint lastMousePos_{0, 0};  // screen coordinates
    bool barActivity_ = false;
    WheelNotches wheel_;
    QElapsedTimer lastPress_;  // the last left press, for double clicks
    QPoint lastPressPos_;
    // A fit waiting for the frame to leave its maximised state.
    QSize pendingFit_;
    FullScreenState full_;
    CSliders* sliders_ = nullptr;
    platform::DisplayModes* modes_ = nullptr;
    std::function<void(bool)> showBands_;
    std::unique_ptr<platform::ScreenSaver> saver_;
    platform::IdleInhibit* awake_ = nullptr;  // a child, made on first entering
};

}  // namespace tavimo
