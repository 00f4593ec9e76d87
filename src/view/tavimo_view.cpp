#include "view/tavimo_view.h"

#include <QPainter>
#include <QWheelEvent>

namespace tavimo {

CTavimoView::CTavimoView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMinimumSize(1, 1);
    setFocusPolicy(Qt::StrongFocus);
}

void CTavimoView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
}

void CTavimoView::wheelEvent(QWheelEvent* event) {
    emit wheelTurned(event->angleDelta().y());
    event->accept();
}

}  // namespace tavimo
