#include "view/tavimo_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QWheelEvent>
#include <cmath>
#include <functional>

#include "engine/player_record.h"
#include "subtitles/subtitle_loading.h"

namespace tavimo {
namespace {

constexpr int kPositionTimerMs = 100;

// The native window the video sink draws into. Qt never paints it; an expose
// asks the sink to draw the current frame again.
class VideoSurface : public QWidget {
  public:
    VideoSurface(QWidget* parent, std::function<void()> repaint)
        : QWidget(parent), repaint_(std::move(repaint)) {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override { repaint_(); }

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
}

uintptr_t CTavimoView::NativeSurface() {
    return static_cast<uintptr_t>(surface_->winId());
}

void CTavimoView::PlaceSurface(const RECT& rect) {
    if (rect.IsEmpty()) {
        surface_->hide();
        return;
    }
    surface_->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    surface_->show();
}

void CTavimoView::PlaceVideo() {
    if (!record_ || !record_->pWC)
        return;
    RECT client = ClientRect(this);
    record_->pWC->SetVideoPosition(nullptr, &client);
}

void CTavimoView::FitFrameToVideo() {
    if (!record_ || !record_->pWC)
        return;
    long width = 0, height = 0;
    if (FAILED(record_->pWC->GetNativeVideoSize(&width, &height)))
        return;
    QWidget* frame = window();
    const QSize extra = frame->size() - size();
    if (frame->isMaximized() || frame->isMinimized())
        frame->showNormal();
    const double ratio = devicePixelRatioF();
    frame->resize(int(std::lround(width / ratio)) + extra.width(),
                  int(std::lround(height / ratio)) + extra.height());
}

void CTavimoView::ResetVideoSize() {
    if (record_ && record_->FullScreen) {
        PlaceVideo();
    } else {
        FitFrameToVideo();
    }
}

void CTavimoView::StretchVideo(int dx, int dy) {
    if (!record_ || !record_->pWC)
        return;
    RECT dest;
    record_->pWC->GetVideoPosition(nullptr, &dest);
    dest = RECT{dest.left - dx, dest.top - dy, dest.right + dx, dest.bottom + dy};
    if (dest.Width() > 0 && dest.Height() > 0)
        record_->pWC->SetVideoPosition(nullptr, &dest);
    update();  // the uncovered part of the view turns black
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

void CTavimoView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
}

void CTavimoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceVideo();
}

void CTavimoView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != positionTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (record_)
        record_->PollPosition();
}

void CTavimoView::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (!(event->buttons() & Qt::LeftButton) || !record_ || !record_->pWC)
        return;
    RECT source, dest;
    record_->pWC->GetVideoPosition(&source, &dest);
    VMR9AspectRatioMode mode = VMR9ARMode_None;
    record_->pWC->GetAspectRatioMode(&mode);
    const DragGeometry geometry{source.Width(), source.Height(), dest.top,
                                dest.Width(),   dest.Height(),   mode == VMR9ARMode_LetterBox};
    const int y = static_cast<int>(event->position().y());
    record_->Mixer.SubtitleOffset =
        SubtitleOffsetForDrag(geometry, y, record_->Mixer.SubtitleOffset);
    record_->RefreshPausedPicture();
}

void CTavimoView::wheelEvent(QWheelEvent* event) {
    emit wheelTurned(event->angleDelta().y());
    event->accept();
}

}  // namespace tavimo
