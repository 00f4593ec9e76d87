// The seek and volume bar band: a small dialog holding the seek bar `CSlider`
// and the volume trackbar (0..100). The view borrows the dialog across the
// top of the screen in full screen.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QSlider>
#include <QWidget>

class QPainter;

class QHBoxLayout;

namespace tavimo {

class PlayerRecord;

// What the seek bar marks besides the position: a tick at each chapter's
// start, and the A-B loop's points. Positions in 100-ns units.
struct SeekMarks {
    std::vector<int64_t> chapters;
    std::optional<int64_t> loopA, loopB;
};

// The seek bar: shows the position over a fill and seeks when clicked or
// dragged with the left button. A click, and the release that ends a drag,
// land on the very frame under the pointer; the drag in between goes from key
// frame to key frame, which is quick.
class CSlider : public QWidget {
    Q_OBJECT
  public:
    explicit CSlider(QWidget* parent = nullptr);
    // The record to seek in and what a mouse movement over the bar tells the
    // view; the record is not owned and outlives the bar. UI thread.
    void Attach(PlayerRecord& record, std::function<void()> activity);
    // The range (steps of 2^16 x 100 ns) and the clip's whole seconds.
    void SetRange(int32_t high, int totalSeconds);
    // The position (same steps) and the whole seconds played; drawn again.
    void SetPosition(int32_t position, int currentSeconds);
    // The marks over a clip `duration` long (100 ns); drawn again. UI thread.
    void SetMarks(int64_t duration, SeekMarks marks);
    int CurrentSeconds() const { return currentSeconds_; }
    int TotalSeconds() const { return totalSeconds_; }
    int32_t Position() const { return position_; }
    int32_t RangeHigh() const { return high_; }
    // The area inside the border, in the bar's coordinates.
    QRect ClientRect() const { return rect().adjusted(1, 1, -1, -1); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    enum class Landing { Exact, KeyFrame };
    // True when it seeked: the left button alone, no Shift or Ctrl, a clip.
    bool SeekFromMouse(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                       Landing landing);
    // The chapter ticks and the loop's points, over the fill.
    void PaintMarks(QPainter& painter, int width, int height) const;

    PlayerRecord* record_ = nullptr;
    bool dragged_ = false;  // a drag has seeked to a key frame since the press
    std::function<void()> activity_;
    int currentSeconds_ = 0;
    int totalSeconds_ = 0;
    int32_t position_ = 0;
    int32_t high_ = 0;
    int64_t marksDuration_ = 0;
    SeekMarks marks_;
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
    // The dialog with both bars; it lives in this band unless borrowed.
    QWidget* Dialog() const { return dialog_; }
    // Shows the dialog as a child of `parent` at `geometry`, above the
    // parent's other children; BorrowedBy() then answers `parent`.
    void Lend(QWidget* parent, const QRect& geometry);
    // Takes the dialog back into the band.
    void TakeBack();
    QWidget* BorrowedBy() const;

  signals:
    // The user moved the volume trackbar to `position` (0..100). UI thread.
    void volumeMoved(int position);

  private:
    QWidget* dialog_;
    QHBoxLayout* slot_;
    CSlider* seek_;
    QSlider* volume_;
};

}  // namespace tavimo
