// The video view: the frame's client area. Black while no picture is shown;
// the video sink draws into a native child surface placed inside it.
#pragma once

#include <QWidget>

namespace tavimo {

class CTavimoView : public QWidget {
    Q_OBJECT
  public:
    explicit CTavimoView(QWidget* parent = nullptr);

    // Places the picture in the view again (after a resize or a mode change).
    void PlaceVideo() {}
    // Resizes the main window so the view shows the video at its native size.
    void FitFrameToVideo() {}
    // "A": back to the native size, letterboxed.
    void ResetVideoSize() {}
    // Full screen stretch: the destination grows by dx and dy on each side.
    void StretchVideo(int /*dx*/, int /*dy*/) {}
    // The frame's stand-in for a mouse movement over the view at `point`
    // with no button down (shows the full-screen bar, restarts its timer).
    void MouseMoved(QPoint /*point*/) {}

  signals:
    // Mouse wheel over the view (angle in eighths of a degree). UI thread.
    void wheelTurned(int angleDelta);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace tavimo
