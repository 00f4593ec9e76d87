// The seek and volume bar band: the seek bar `CSlider` and the volume
// trackbar (0..100).
#pragma once

#include <QSlider>
#include <QWidget>

namespace tavimo {

// The seek bar: position and duration of the clip in whole seconds.
class CSlider : public QWidget {
    Q_OBJECT
  public:
    explicit CSlider(QWidget* parent = nullptr);
    // Position and duration in seconds. UI thread.
    void SetTimes(int currentSeconds, int totalSeconds);
    int CurrentSeconds() const { return currentSeconds_; }
    int TotalSeconds() const { return totalSeconds_; }
    QSize sizeHint() const override { return {200, 18}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int currentSeconds_ = 0;
    int totalSeconds_ = 0;
};

class CSliders : public QWidget {
    Q_OBJECT
  public:
    explicit CSliders(QWidget* parent = nullptr);
    CSlider* SeekBar() const { return seek_; }
    // The volume trackbar, control 204.
    QSlider* VolumeBar() const { return volume_; }
    // Moves the volume trackbar without reporting it as the user's move.
    void SetVolumePosition(int position);

  signals:
    // The user moved the volume trackbar to `position` (0..100). UI thread.
    void volumeMoved(int position);

  private:
    CSlider* seek_;
    QSlider* volume_;
};

}  // namespace tavimo
