#include "view/sliders.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QSignalBlocker>

#include "resources/command_ids.h"

namespace tavimo {

CSlider::CSlider(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(18);
}

void CSlider::SetTimes(int currentSeconds, int totalSeconds) {
    if (currentSeconds == currentSeconds_ && totalSeconds == totalSeconds_) {
        return;
    }
    currentSeconds_ = currentSeconds;
    totalSeconds_ = totalSeconds;
    update();
}

void CSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(frame, palette().base());
    if (totalSeconds_ > 0) {
        QRect fill = frame;
        fill.setWidth(static_cast<int>(int64_t{frame.width()} * currentSeconds_ / totalSeconds_));
        painter.fillRect(fill, palette().highlight());
    }
    painter.setPen(palette().mid().color());
    painter.drawRect(frame);
}

CSliders::CSliders(QWidget* parent)
    : QWidget(parent), seek_(new CSlider(this)), volume_(new QSlider(Qt::Horizontal, this)) {
    volume_->setObjectName(QString("control%1").arg(IDC_VOLUME));
    volume_->setRange(0, 100);
    volume_->setFixedWidth(80);
    volume_->setFocusPolicy(Qt::NoFocus);
    volume_->setToolTip("Volume");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->addWidget(seek_, 1);
    layout->addWidget(volume_);
    connect(volume_, &QSlider::valueChanged, this, &CSliders::volumeMoved);
}

void CSliders::SetVolumePosition(int position) {
    const QSignalBlocker quiet(volume_);
    volume_->setValue(position);
}

}  // namespace tavimo
