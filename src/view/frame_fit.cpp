// The frame's fit to the clip: the view at the picture's own size at the
// desktop's scale, within the screen's work area, a maximised frame restored
// first.
#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "engine/player_record.h"
#include "view/tavimo_view.h"
#include "view/window_fit.h"

namespace tavimo {
namespace {

// A maximised frame restored for a fit gets this long for the window
// manager's answer before the fit is made anyway.
constexpr int kRestoreWaitMs = 300;

}  // namespace

void CTavimoView::FitFrameToVideo() {
    if (!record_ || !record_->pWC)
        return;
    QWidget* frame = window();
    if (record_->FullScreen) {
        // The display changed under full screen: cover the screen as it is now.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            frame->setGeometry(screen->geometry());
        return;
    }
    long width = 0, height = 0;
    if (FAILED(record_->pWC->GetNativeVideoSize(&width, &height)))
        return;
    const QSize target = FittedFrameSize(QSize(int(width), int(height)));
    if (!frame->isMaximized() && !frame->isMinimized()) {
        pendingFit_ = QSize();
        ResizeFrameInside(target);
        return;
    }
    // The window manager answers the restore later, with the old normal
    // size: the fit waits for that answer (or a short while without one).
    pendingFit_ = target;
    frame->installEventFilter(this);
    frame->showNormal();
    QTimer::singleShot(kRestoreWaitMs, this, [this] {
        if (pendingFit_.isValid() && !window()->isMaximized() && !IsFullScreen())
            ResizeFrameInside(pendingFit_);
    });
    QTimer::singleShot(kRestoreWaitMs * 4, this, [this] { pendingFit_ = QSize(); });
}

// One video pixel per logical pixel: at a desktop scale of 2 a 640 x 360 clip
// covers 1280 x 720 device pixels, as the rest of the program is scaled too.
// A picture that would take the frame past the work area (the window
// manager's _NET_WORKAREA, which Qt reads, or the whole screen) is made
// smaller, keeping its aspect.
QSize CTavimoView::FittedFrameSize(QSize native) const {
    FitSize chrome, room;
    FrameRoom(&chrome, &room);
    const FitSize view = FitViewSize({native.width(), native.height()}, chrome, room);
    return QSize(view.width, view.height) + window()->size() - size();
}

void CTavimoView::FrameRoom(FitSize* chrome, FitSize* room) const {
    const QWidget* frame = window();
    const QSize extra = frame->size() - size();
    const QSize decoration = frame->frameGeometry().size() - frame->geometry().size();
    const QScreen* screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
    *chrome = {extra.width() + decoration.width(), extra.height() + decoration.height()};
    *room = {work.width(), work.height()};
}

// The video renderer sizes the first frame by it, before the frame is fitted
// to the clip: a picture larger than the screen is then never converted at
// its own size only to be made smaller a moment later.
void CTavimoView::PictureRoom(int* width, int* height) {
    const QScreen* screen = window()->screen();
    if (IsFullScreen() && screen) {
        *width = screen->geometry().width();
        *height = screen->geometry().height();
        return;
    }
    FitSize chrome, room;
    FrameRoom(&chrome, &room);
    *width = std::max(1, room.width - chrome.width);
    *height = std::max(1, room.height - chrome.height);
}

// The frame takes `size` and, where that would reach past the work area,
// moves back inside it.
void CTavimoView::ResizeFrameInside(QSize size) {
    QWidget* frame = window();
    frame->resize(size);
    const QScreen* screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QSize outer = size + frame->frameGeometry().size() - frame->geometry().size();
    const QPoint at = frame->frameGeometry().topLeft();
    const FitRect inside = KeepInside({at.x(), at.y(), outer.width(), outer.height()},
                                      {room.x(), room.y(), room.width(), room.height()});
    if (QPoint(inside.left, inside.top) != at)
        frame->move(inside.left, inside.top);
}

bool CTavimoView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::Resize && pendingFit_.isValid() &&
        !IsFullScreen()) {
        QWidget* frame = window();
        if (!frame->isMaximized() && frame->size() != pendingFit_)
            QTimer::singleShot(0, this, [this] {
                if (pendingFit_.isValid() && !window()->isMaximized() && !IsFullScreen())
                    ResizeFrameInside(pendingFit_);
            });
    }
    return QWidget::eventFilter(watched, event);
}

void CTavimoView::ResetVideoSize() {
    if (record_ && record_->FullScreen) {
        PlaceVideo();
    } else {
        FitFrameToVideo();
    }
}

}  // namespace tavimo
