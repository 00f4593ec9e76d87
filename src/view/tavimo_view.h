// The video view: the frame's client area. Black while no picture is shown;
// the video sink draws into a native child surface placed inside it.
#pragma once

#include <QBasicTimer>
#include <QWidget>

#include "engine/media/media.h"

namespace tavimo {

class PlayerRecord;

class CTavimoView : public QWidget, public VideoWindow {
    Q_OBJECT
  public:
    explicit CTavimoView(QWidget* parent = nullptr);

    // The record whose graph draws here; not owned, outlives the view. UI thread.
    void SetRecord(PlayerRecord* record) { record_ = record; }

    // Places the picture on the whole view (after a resize or a mode change).
    void PlaceVideo();
    // Resizes the main window so the view shows the video at its native size
    // (one video pixel per device pixel); a maximised window is restored first.
    void FitFrameToVideo();
    // "A": in full screen the picture fills the screen again, in a window
    // the frame fits the video.
    void ResetVideoSize();
    // The picture's rectangle grows by dx and dy on each side (negative
    // shrinks); a result without area is refused. Logical pixels.
    void StretchVideo(int dx, int dy);
    // The frame's stand-in for a mouse movement over the view at `point`
    // with no button down (shows the full-screen bar, restarts its timer).
    void MouseMoved(QPoint /*point*/) {}

    // PositionTimer: every 100 ms the record polls the position. UI thread.
    void StartPositionTimer();
    void StopPositionTimer();
    bool PositionTimerActive() const { return positionTimer_.isActive(); }

    // The picture surface, for tests.
    QWidget* Surface() const { return surface_; }

    // VideoWindow; UI thread.
    uintptr_t NativeSurface() override;
    void PlaceSurface(const RECT& rect) override;
    double DevicePixelRatio() override { return devicePixelRatioF(); }

  signals:
    // Mouse wheel over the view (angle in eighths of a degree). UI thread.
    void wheelTurned(int angleDelta);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // A move with the left button held sets SubtitleOffset: the text follows
    // the cursor.
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void RepaintVideo();

    PlayerRecord* record_ = nullptr;
    QWidget* surface_;
    QBasicTimer positionTimer_;
};

}  // namespace tavimo
