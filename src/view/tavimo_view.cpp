#include "view/tavimo_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimerEvent>
#include <QWheelEvent>
#include <vector>

#include "engine/player_record.h"
#include "platform/display_modes.h"
#include "platform/screen_saver.h"
#include "subtitles/subtitle_loading.h"
#include "view/sliders.h"

namespace tavimo {
namespace {

constexpr int kPositionTimerMs = 100;
constexpr int kHideTimerMs = 3000;
// A still picture is drawn again at its new size once the resizing settles.
constexpr int kStillRedrawMs = 80;

// The native window the video sink draws into. Qt never paints it; an expose
// asks the sink to draw the current frame again. The X server gives the
// pointer's events to this window: they are handed on to the view as its own.
class VideoSurface : public QWidget {
  public:
    VideoSurface(QWidget* parent, std::function<void()> repaint)
        : QWidget(parent), repaint_(std::move(repaint)) {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        hide();
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override { repaint_(); }
    bool event(QEvent* event) override {
        QWidget* view = parentWidget();
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove: {
                auto* e = static_cast<QMouseEvent*>(event);
                QMouseEvent mapped(e->type(), mapToParent(e->position()), e->scenePosition(),
                                   e->globalPosition(), e->button(), e->buttons(), e->modifiers(),
                                   e->pointingDevice());
                QCoreApplication::sendEvent(view, &mapped);
                return true;
            }
            case QEvent::Wheel: {
                auto* e = static_cast<QWheelEvent*>(event);
                QWheelEvent mapped(mapToParent(e->position()), e->globalPosition(), e->pixelDelta(),
                                   e->angleDelta(), e->buttons(), e->modifiers(), e->phase(),
                                   e->inverted(), e->source(), e->pointingDevice());
                QCoreApplication::sendEvent(view, &mapped);
                return true;
            }
            case QEvent::ContextMenu: {
                auto* e = static_cast<QContextMenuEvent*>(event);
                QContextMenuEvent mapped(e->reason(), mapToParent(e->pos()), e->globalPos(),
                                         e->modifiers());
                QCoreApplication::sendEvent(view, &mapped);
                return true;
            }
            default:
                return QWidget::event(event);
        }
    }

  private:
    std::function<void()> repaint_;
};

RECT ClientRect(const QWidget* widget) {
    return RECT{0, 0, widget->width(), widget->height()};
}

}  // namespace

CTavimoView::CTavimoView(QWidget* parent)
    : QWidget(parent), surface_(new VideoSurface(this, [this] { RepaintVideo(); })) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMinimumSize(1, 1);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

// The record may be gone already: only what full screen changed outside the
// program is given back (the screen saver's hold goes with its connection).
CTavimoView::~CTavimoView() {
    if (full_.on && full_.modeSwitched && modes_)
        modes_->Restore();
}

void CTavimoView::UseFrameParts(CSliders* sliders, platform::DisplayModes* modes,
                                std::function<void(bool)> showBands) {
    sliders_ = sliders;
    modes_ = modes;
    showBands_ = std::move(showBands);
    AttachSeekBar();
}

void CTavimoView::SetRecord(PlayerRecord* record) {
    record_ = record;
    AttachSeekBar();
}

void CTavimoView::AttachSeekBar() {
    if (sliders_ && record_)
        sliders_->SeekBar()->Attach(*record_, [this] { barActivity_ = true; });
}

void CTavimoView::UseScreenSaver(std::unique_ptr<platform::ScreenSaver> saver) {
    saver_ = std::move(saver);
}

uintptr_t CTavimoView::NativeSurface() {
    return static_cast<uintptr_t>(surface_->winId());
}

void CTavimoView::PlaceSurface(const RECT& rect) {
    // A graph without a picture (an audio-only clip) leaves the view black.
    long width = 0, height = 0;
    const bool sized =
        record_ && record_->pWC && SUCCEEDED(record_->pWC->GetNativeVideoSize(&width, &height));
    placedPicture_ = sized ? QSize(int(width), int(height)) : QSize();
    if (rect.IsEmpty() || !sized) {
        surface_->hide();
        return;
    }
    // A running clip's next frame comes at the new size by itself; a stopped
    // or paused one shows its old frame until it is decoded again.
    if (surface_->size() != QSize(rect.Width(), rect.Height()))
        stillTimer_.start(kStillRedrawMs, this);
    surface_->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    surface_->show();
    if (sliders_ && sliders_->BorrowedBy() == this)
        sliders_->Dialog()->raise();
}

void CTavimoView::PlaceVideo() {
    if (!record_ || !record_->pWC)
        return;
    RECT client = ClientRect(this);
    record_->pWC->SetVideoPosition(nullptr, &client);
}

void CTavimoView::StretchVideo(int dx, int dy) {
    if (!record_ || !record_->pWC)
        return;
    RECT dest;
    record_->pWC->GetVideoPosition(nullptr, &dest);
    dest = RECT{dest.left - dx, dest.top - dy, dest.right + dx, dest.bottom + dy};
    // The picture's frames are made at the rectangle's size: held down, the
    // keys grew them to hundreds of megabytes each, past what X can place.
    const bool bounded =
        (dx <= 0 || dest.Width() <= 2 * width()) && (dy <= 0 || dest.Height() <= 2 * height());
    if (dest.Width() > 0 && dest.Height() > 0 && bounded)
        record_->pWC->SetVideoPosition(nullptr, &dest);
    PaintBorders();
}

// The picture surface covers the destination rectangle; Qt paints the rest of
// the view black.
void CTavimoView::PaintBorders() {
    if (record_ && record_->pWC)
        update();
}

void CTavimoView::StartPositionTimer() {
    positionTimer_.start(kPositionTimerMs, this);
}

void CTavimoView::StopPositionTimer() {
    positionTimer_.stop();
}

void CTavimoView::RepaintVideo() {
    if (record_ && record_->pWC)
        record_->pWC->RepaintVideo();
}

// Without a graph nothing may show through: a sink that keeps its window's
// contents would otherwise leave the last frame there.
void CTavimoView::Redraw() {
    if (!record_ || !record_->pWC)
        surface_->hide();
    repaint();
}

void CTavimoView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
}

void CTavimoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (record_ && record_->FullScreen && !full_.zoom.IsEmpty() && record_->pWC) {
        // The zoom of the last full-screen period, once the view covers the screen.
        record_->pWC->SetVideoPosition(nullptr, &full_.zoom);
        if (size() == full_.screen.size())
            full_.zoom = RECT{};
        PaintBorders();
    } else {
        PlaceVideo();
    }
    if (sliders_ && sliders_->BorrowedBy() == this)
        sliders_->Dialog()->setGeometry(0, 0, width(), sliders_->Dialog()->height());
}

void CTavimoView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == positionTimer_.timerId()) {
        if (!record_)
            return;
        record_->PollPosition();
        // A picture whose size came after the surface was placed shows now;
        // one whose shape changed is sized again for that shape.
        RECT dest;
        long width = 0, height = 0;
        if (record_->pWC && SUCCEEDED(record_->pWC->GetNativeVideoSize(&width, &height)) &&
            QSize(int(width), int(height)) != placedPicture_ &&
            SUCCEEDED(record_->pWC->GetVideoPosition(nullptr, &dest)))
            record_->pWC->SetVideoPosition(nullptr, &dest);
    } else if (event->timerId() == hideTimer_.timerId()) {
        HideTick();
    } else if (event->timerId() == stillTimer_.timerId()) {
        stillTimer_.stop();
        if (record_)
            record_->RefreshPausedPicture();
    } else {
        QWidget::timerEvent(event);
    }
}

// Bar and cursor go 3 to 6 seconds after the last movement: a tick after
// movement only clears the mark.
void CTavimoView::HideTick() {
    if (barActivity_) {
        barActivity_ = false;
        return;
    }
    hideTimer_.stop();
    if (record_ && record_->FullScreen)
        HideBarAndCursor();
}

void CTavimoView::ShowBar() {
    if (sliders_ && sliders_->BorrowedBy() != this) {
        const int height = sliders_->Dialog()->minimumHeight();
        sliders_->Lend(this, QRect(0, 0, width(), height));
    }
    unsetCursor();
    PaintBorders();
}

void CTavimoView::HideBarAndCursor() {
    if (sliders_)
        sliders_->TakeBack();
    setCursor(Qt::BlankCursor);
    PaintBorders();
}

void CTavimoView::MouseMoved(QPoint point, bool leftButton) {
    if (!record_ || !record_->pWC)
        return;
    const QPoint screen = mapToGlobal(point);
    if (screen == lastMousePos_)
        return;  // a repeat, not a movement
    if (record_->FullScreen) {
        if (sliders_ && sliders_->BorrowedBy() == this)
            barActivity_ = true;
        else
            ShowBar();
        hideTimer_.start(kHideTimerMs, this);
    }
    if (leftButton)
        DragSubtitles(point.y());
    lastMousePos_ = screen;
}

void CTavimoView::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    MouseMoved(event->position().toPoint(), (event->buttons() & Qt::LeftButton) != 0);
}

// The text follows the cursor: its bottom edge sits under it.
void CTavimoView::DragSubtitles(int y) {
    RECT source, dest;
    record_->pWC->GetVideoPosition(&source, &dest);
    VMR9AspectRatioMode mode = VMR9ARMode_None;
    record_->pWC->GetAspectRatioMode(&mode);
    const DragGeometry geometry{source.Width(), source.Height(), dest.top,
                                dest.Width(),   dest.Height(),   mode == VMR9ARMode_LetterBox};
    record_->Mixer.SubtitleOffset =
        SubtitleOffsetForDrag(geometry, y, record_->Mixer.SubtitleOffset);
    record_->RefreshPausedPicture();
}

// Double clicks are told from the presses themselves: Qt does not make
// them for the picture's native window.
void CTavimoView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        ResetVideoSize();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->globalPosition().toPoint();
    if (lastPress_.isValid() && lastPress_.elapsed() < QApplication::doubleClickInterval() &&
        (at - lastPressPos_).manhattanLength() <= QApplication::startDragDistance()) {
        lastPress_.invalidate();
        ToggleFullScreen();
        return;
    }
    lastPress_.start();
    lastPressPos_ = at;
}

void CTavimoView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();  // the presses decide
}

// One action per notch, whatever the delta: in a window the frame grows or
// shrinks about its centre, in full screen the picture.
void CTavimoView::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!record_ || !record_->pWC)
        return;
    const int notch = wheel_.Feed(event->angleDelta().y());
    if (notch == 0)
        return;
    const Step step = WheelStep(record_->StretchStep, record_->VideoAspect, notch > 0);
    if (record_->FullScreen)
        StretchVideo(step.dx, step.dy);
    else
        ResizeFrameBy(step);
}

// As Windows keeps a window within its largest size, the desktop's: held
// down, the keys grew the frame past what X can place (32767 pixels), and
// the picture's frames with it to hundreds of megabytes each.
void CTavimoView::ResizeFrameBy(Step step) {
    QWidget* frame = window();
    const QRect now = frame->geometry();
    QRect grown = now.adjusted(-step.dx, -step.dy, step.dx, step.dy);
    const QSize most = frame->screen()->virtualSize();
    if (step.dx > 0 && grown.width() > most.width()) {
        grown.setLeft(now.left());
        grown.setRight(now.right());
    }
    if (step.dy > 0 && grown.height() > most.height()) {
        grown.setTop(now.top());
        grown.setBottom(now.bottom());
    }
    frame->setGeometry(grown);
}

void CTavimoView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The keyboard's menu key opens the menu at the middle of the view.
    ShowContextMenu(event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(rect().center())
                                                                   : event->globalPos());
}

// The same popups as the main menu, so that marks and states match; a choice
// reaches the frame's command table through the popups' own actions.
void CTavimoView::ShowContextMenu(QPoint globalPos) {
    auto* frame = qobject_cast<QMainWindow*>(window());
    if (!frame)
        return;
    QMenu menu(this);
    for (QAction* top : frame->menuBar()->actions()) {
        if (top->text().isEmpty() || !top->menu())
            break;
        menu.addMenu(top->menu());
    }
    hideTimer_.stop();  // the full-screen bar and cursor stay while the menu is up
    std::vector<ScreenRect> screens;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        screens.push_back({g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
    }
    globalPos.setX(ClampToNearestScreen(globalPos.x(), globalPos.y(), screens));
    QPointer<CTavimoView> alive(this);
    menu.exec(globalPos);
    // The bar and the cursor hide again a while after the menu has gone.
    if (alive && record_ && record_->FullScreen)
        hideTimer_.start(kHideTimerMs, this);
}

}  // namespace tavimo
