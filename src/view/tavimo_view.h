// The video view: the frame's client area. Black while no picture is shown;
// the video sink draws into a native child surface placed inside it.
#pragma once

#include <QWidget>

namespace tavimo {

class CTavimoView : public QWidget {
    Q_OBJECT
public:
    explicit CTavimoView(QWidget* parent = nullptr);

signals:
    // Mouse wheel over the view (angle in eighths of a degree). UI thread.
    void wheelTurned(int angleDelta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace tavimo
