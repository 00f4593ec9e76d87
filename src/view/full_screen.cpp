// Full screen: the frame without caption and border, above other windows,
// over the whole primary screen (in the chosen display mode), its menu and
// bands hidden, the screen saver and power saving held off. Leaving puts all
// of it back.
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "engine/player_record.h"
#include "platform/display_modes.h"
#include "platform/idle_inhibit.h"
#include "platform/screen_saver.h"
#include "view/sliders.h"
#include "view/tavimo_view.h"

namespace tavimo {
namespace {

constexpr Qt::WindowFlags kFullScreenFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

Qt::WindowFlags FlagsOf(QWidget* frame) {
    QWindow* window = frame->windowHandle();
    return window ? window->flags() : frame->windowFlags();
}

void SetFlags(QWidget* frame, Qt::WindowFlags flags) {
    if (QWindow* window = frame->windowHandle()) {
        window->setFlags(flags);  // the native window stays, and the picture with it
    } else {
        frame->setWindowFlags(flags);
    }
}

}  // namespace

bool CTavimoView::IsFullScreen() const {
    return record_ && record_->FullScreen;
}

bool CTavimoView::HoldsScreenAwake() const {
    return awake_ && awake_->Held();
}

// Leaving is always possible: a clip that failed to open while in full screen
// blocks only the next entering.
void CTavimoView::ToggleFullScreen() {
    if (!record_)
        return;
    if (record_->FullScreen)
        LeaveFullScreen();
    else if (!record_->FullScreenBlocked && record_->pWC)
        EnterFullScreen();
}

void CTavimoView::EnterFullScreen() {
    QWidget* frame = window();
    record_->FullScreen = true;
    full_.on = true;
    pendingFit_ = QSize();
    // Held for this process only: the X server and the desktop both drop the
    // holds of a program that ends, however it ends.
    if (!saver_)
        saver_ = platform::MakeScreenSaver();
    saver_->Suspend(true);
    // The desktop's own idle timer, through its session service, also when paused.
    if (!awake_)
        awake_ =
            new platform::IdleInhibit(QCoreApplication::translate("Desktop", "Full screen"), this);
    awake_->Hold();
    full_.maximized = frame->isMaximized();
    full_.placement = full_.maximized ? frame->normalGeometry() : frame->geometry();
    full_.flags = FlagsOf(frame);
    SetFlags(frame, full_.flags | kFullScreenFlags);
    if (showBands_)
        showBands_(false);
    // The screen full screen covers is the one after the mode switch.
    QScreen* primary = QGuiApplication::primaryScreen();
    full_.screen = primary ? primary->geometry() : QRect(0, 0, 640, 480);
    full_.modeSwitched = false;
    platform::DisplayMode mode;
    if (record_->ResolutionIndex != 0 && modes_ &&
        modes_->EnumMode(record_->ResolutionIndex, &mode) &&
        modes_->SwitchTo(record_->ResolutionIndex)) {
        full_.modeSwitched = true;
        const qreal ratio = primary ? primary->devicePixelRatio() : 1.0;
        full_.screen.setSize(QSize(mode.width, mode.height) / ratio);
    }
    // A window manager that knows full-screen windows takes them over its
    // panels; without one the geometry alone covers the screen.
    frame->setWindowState((frame->windowState() & ~Qt::WindowMaximized) | Qt::WindowFullScreen);
    frame->show();
    frame->setGeometry(full_.screen);
    if (full_.saved.IsEmpty()) {
        full_.zoom = RECT{};
        QMetaObject::invokeMethod(this, &CTavimoView::ResetVideoSize, Qt::QueuedConnection);
    } else {
        full_.zoom = full_.saved;
        record_->pWC->SetVideoPosition(nullptr, &full_.zoom);
        PaintBorders();
    }
}

void CTavimoView::LeaveFullScreen() {
    QWidget* frame = window();
    full_.zoom = RECT{};
    if (record_->pWC)
        record_->pWC->GetVideoPosition(nullptr, &full_.saved);
    if (full_.modeSwitched && modes_)
        modes_->Restore();  // even when "Default" was chosen meanwhile
    full_.modeSwitched = false;
    record_->FullScreen = false;
    full_.on = false;
    hideTimer_.stop();
    unsetCursor();
    // The z-order as Always On Top says now.
    Qt::WindowFlags flags = full_.flags & ~kFullScreenFlags;
    if (record_->AlwaysOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    SetFlags(frame, flags);
    if (showBands_)
        showBands_(true);
    frame->setWindowState(frame->windowState() & ~Qt::WindowFullScreen);
    if (full_.maximized) {
        frame->setGeometry(full_.placement);
        frame->showMaximized();
    } else {
        frame->showNormal();
        frame->setGeometry(full_.placement);
    }
    if (saver_)
        saver_->Suspend(false);
    if (awake_)
        awake_->Release();
    frame->activateWindow();
    setFocus();
    if (sliders_)
        sliders_->TakeBack();
    PlaceVideo();
}

void CTavimoView::ClearSavedFullScreenRect() {
    full_.saved = RECT{};
}

}  // namespace tavimo
