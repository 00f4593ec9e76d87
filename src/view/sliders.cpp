#include "view/sliders.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

#include "engine/player_record.h"
#include "resources/command_ids.h"
#include "view/view_geometry.h"

namespace tavimo {
namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int kDialogHeight = 20;
constexpr QSize kVolumeSize(66, 18);
const QColor kFill(214, 165, 0);
const QColor kChapterTick(60, 60, 60);
const QColor kLoopMark(0, 90, 200);

// The x of `position` on a bar `width` pixels wide for a clip of `duration`,
// held within the bar; nothing without a length.
std::optional<int> MarkX(int width, int64_t duration, int64_t position) {
    if (duration <= 0 || width <= 0)
        return std::nullopt;
    const int64_t x =
        static_cast<int64_t>(width) * std::clamp<int64_t>(position, 0, duration) / duration;
    return static_cast<int>(std::min<int64_t>(x, width - 1));
}

// The dialog: places its two bars by hand whenever its size changes.
class SlidersDialog : public QWidget {
  public:
    SlidersDialog(QWidget* parent) : QWidget(parent) {
        setAutoFillBackground(true);
        setMinimumHeight(kDialogHeight);
    }
    QWidget* seek = nullptr;
    QWidget* volume = nullptr;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        const SlidersLayout layout = LayOutSliders(width());
        if (seek)
            seek->setGeometry(0, 0, layout.seekWidth, height());
        if (volume)
            volume->move(layout.volumeX, layout.volumeY);
    }
};

}  // namespace

CSlider::CSlider(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);  // movement without a button keeps the full-screen bar up
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSlider::Attach(PlayerRecord& record, std::function<void()> activity) {
    record_ = &record;
    activity_ = std::move(activity);
}

void CSlider::SetRange(int32_t high, int totalSeconds) {
    high_ = high;
    totalSeconds_ = totalSeconds;
    update();
}

void CSlider::SetPosition(int32_t position, int currentSeconds) {
    position_ = position;
    if (currentSeconds != currentSeconds_) {
        currentSeconds_ = currentSeconds;
        update();
    }
}

void CSlider::SetMarks(int64_t duration, SeekMarks marks) {
    marksDuration_ = duration;
    marks_ = std::move(marks);
    update();
}

// Ticks a third of the bar high rise from its bottom edge; the loop's points
// are two pixels wide across the whole height, joined along the top while
// the loop runs.
void CSlider::PaintMarks(QPainter& painter, int width, int height) const {
    const int tick = std::max(3, height / 3);
    for (int64_t start : marks_.chapters) {
        if (std::optional<int> x = MarkX(width, marksDuration_, start))
            painter.fillRect(QRect(*x, height - tick, 1, tick), kChapterTick);
    }
    const std::optional<int> a =
        marks_.loopA ? MarkX(width, marksDuration_, *marks_.loopA) : std::nullopt;
    const std::optional<int> b =
        marks_.loopB ? MarkX(width, marksDuration_, *marks_.loopB) : std::nullopt;
    if (a && b)
        painter.fillRect(QRect(*a, 0, *b - *a + 2, 2), kLoopMark);
    for (const std::optional<int>& x : {a, b}) {
        if (x)
            painter.fillRect(QRect(*x, 0, 2, height), kLoopMark);
    }
}

void CSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));  // the thin border
    const QRect client = ClientRect();
    painter.translate(client.topLeft());
    const int edge = SeekBarFillEdge(client.width(), totalSeconds_, currentSeconds_);
    painter.fillRect(QRect(0, 0, edge, client.height()), kFill);
    painter.fillRect(QRect(edge, 0, client.width() - edge, client.height()), palette().button());
    PaintMarks(painter, client.width(), client.height());
    const QString text = QString::fromStdString(SeekBarText(currentSeconds_, totalSeconds_));
    const int textWidth = fontMetrics().horizontalAdvance(text);
    painter.drawText(QRect(client.width() / 2 - textWidth / 2, 0, textWidth, client.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void CSlider::mousePressEvent(QMouseEvent* event) {
    dragged_ = false;
    SeekFromMouse(event->buttons(), event->modifiers(), static_cast<int>(event->position().x()),
                  Landing::Exact);
}

void CSlider::mouseMoveEvent(QMouseEvent* event) {
    if (SeekFromMouse(event->buttons(), event->modifiers(), static_cast<int>(event->position().x()),
                      Landing::KeyFrame))
        dragged_ = true;
}

// A drag's last key frame is near the pointer, not at it: the release puts
// the clip where the pointer was let go.
void CSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!std::exchange(dragged_, false) || event->button() != Qt::LeftButton)
        return;
    SeekFromMouse(event->buttons() | event->button(), event->modifiers(),
                  static_cast<int>(event->position().x()), Landing::Exact);
}

// The press grabs the mouse for the bar until the button is released, so a
// drag seeks on outside the bar.
bool CSlider::SeekFromMouse(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                            Landing landing) {
    if (activity_)
        activity_();
    if (buttons != Qt::LeftButton || (modifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
        return false;
    if (!record_ || !record_->HasSeeking())
        return false;
    const std::optional<int64_t> target =
        SeekTargetFromX(record_->Duration, ClientRect().width(), x - ClientRect().left());
    if (!target)
        return false;
    position_ = static_cast<int32_t>(*target >> 16);
    if (landing == Landing::Exact)
        record_->SeekTo(*target);
    else
        record_->SeekToKeyFrame(*target);
    currentSeconds_ = static_cast<int>(*target / kUnitsPerSecond);
    update();
    return true;
}

CSliders::CSliders(QWidget* parent)
    : QWidget(parent),
      dialog_(new SlidersDialog(this)),
      slot_(new QHBoxLayout(this)),
      seek_(new CSlider(dialog_)),
      volume_(new QSlider(Qt::Horizontal, dialog_)) {
    auto* dialog = static_cast<SlidersDialog*>(dialog_);
    dialog->seek = seek_;
    dialog->volume = volume_;
    volume_->setObjectName(QString("control%1").arg(IDC_VOLUME));
    volume_->setRange(0, 100);
    volume_->setFixedSize(kVolumeSize);
    volume_->setFocusPolicy(Qt::NoFocus);
    volume_->setToolTip(tr("Volume"));
    slot_->setContentsMargins(0, 0, 0, 0);
    slot_->addWidget(dialog_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kDialogHeight);
    setMinimumWidth(140);
    connect(volume_, &QSlider::valueChanged, this, &CSliders::volumeMoved);
    connect(volume_, &QSlider::sliderReleased, seek_, [this] { seek_->setFocus(); });
}

void CSliders::SetVolumePosition(int position) {
    const QSignalBlocker quiet(volume_);
    volume_->setValue(position);
}

void CSliders::Lend(QWidget* parent, const QRect& geometry) {
    slot_->removeWidget(dialog_);
    // A window of its own, so that it shows above the native picture surface.
    dialog_->setAttribute(Qt::WA_NativeWindow);
    dialog_->setParent(parent);
    dialog_->setGeometry(geometry);
    dialog_->show();
    dialog_->raise();
}

void CSliders::TakeBack() {
    if (dialog_->parentWidget() == this)
        return;
    dialog_->setParent(this);
    slot_->addWidget(dialog_);
    dialog_->show();
}

QWidget* CSliders::BorrowedBy() const {
    return dialog_->parentWidget() == this ? nullptr : dialog_->parentWidget();
}

}  // namespace tavimo
