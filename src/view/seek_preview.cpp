#include "view/seek_preview.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <cmath>

#include "engine/player_record.h"
#include "platform/queued_call.h"
#include "view/sliders.h"
#include "view/view_geometry.h"

namespace tavimo {
namespace {

constexpr int kBorder = 1;
constexpr int kGap = 4;  // between the bar and the window
constexpr int64_t kUnitsPerSecond = 10000000;

QString TimeText(int64_t position) {
    const int64_t s = position / kUnitsPerSecond;
    return QString::asprintf("%lld:%02d:%02d", static_cast<long long>(s / 3600),
                             static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
}

// Thumbnails are decoded at the screen's own density: 160 logical pixels
// wide, 320 device pixels at a scale of 2, drawn without being enlarged.
int ThumbnailPixels(const QWidget* bar) {
    return static_cast<int>(std::ceil(SeekPreview::kThumbnailWidth * bar->devicePixelRatioF()));
}

QImage ToQImage(const VideoImage& image) {
    QImage copy = QImage(image.rgbx.data(), image.width, image.height, image.width * 4,
                         QImage::Format_RGBX8888)
                      .copy();
    copy.setDevicePixelRatio(double(image.width) / SeekPreview::kThumbnailWidth);
    return copy;
}

}  // namespace

SeekPreview::SeekPreview(CSlider* bar, PlayerRecord& record)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint),
      bar_(bar),
      record_(record),
      worker_(ThumbnailPixels(bar),
              [this](int64_t bucket, std::shared_ptr<const VideoImage> image) {
                  platform::PostQueued(this, [this, bucket, image] { Arrived(bucket, image); });
              }) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    bar_->installEventFilter(this);
}

SeekPreview::~SeekPreview() {
    bar_->removeEventFilter(this);
}

void SeekPreview::ClipReleased() {
    hide();
    prepared_ = nullptr;
    bucket_ = -1;
    thumbnail_ = QImage();
    worker_.SetSource(nullptr, 0);
}

bool SeekPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched != bar_)
        return false;
    switch (event->type()) {
        case QEvent::MouseMove:
            Hover(static_cast<int>(static_cast<QMouseEvent*>(event)->position().x()));
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            hide();
            break;
        default:
            break;
    }
    return false;
}

void SeekPreview::Prepare() {
    if (record_.pGB.get() == prepared_)
        return;
    prepared_ = record_.pGB.get();
    bucket_ = -1;
    thumbnail_ = QImage();
    std::shared_ptr<IThumbnailSource> source;
    long width = 0, height = 0;
    MediaFramework* media = record_.Media();
    if (media && record_.pWC && SUCCEEDED(record_.pWC->GetNativeVideoSize(&width, &height)))
        media->CreateThumbnailSource(record_.ClipPath, &source);
    worker_.SetSource(source, record_.Duration);
}

void SeekPreview::Hover(int x) {
    if (!record_.pMS || record_.Duration <= 0) {
        hide();
        return;
    }
    Prepare();
    const QRect client = bar_->ClientRect();
    const int64_t position = std::clamp<int64_t>(
        SeekTargetFromX(record_.Duration, client.width(), x - client.left()).value_or(0), 0,
        record_.Duration);
    time_ = TimeText(position);
    x_ = x;
    const int64_t bucket = worker_.BucketOf(position);
    if (bucket != bucket_) {
        bucket_ = bucket;
        if (auto image = worker_.Request(bucket)) {
            thumbnail_ = ToQImage(*image);
            emit thumbnailShown();
        }
    }
    Place(x);
    update();
}

void SeekPreview::Arrived(int64_t bucket, std::shared_ptr<const VideoImage> image) {
    if (image && bucket == bucket_) {
        thumbnail_ = ToQImage(*image);
        emit thumbnailShown();
    }
    if (isVisible()) {
        Place(x_);
        update();
    }
}

// Above the bar, centred on the mouse and kept on the bar's screen; below
// it in full screen or where there is no room above.
void SeekPreview::Place(int x) {
    int pictureHeight = 0;
    if (worker_.Available())
        pictureHeight =
            thumbnail_.isNull()
                ? static_cast<int>(kThumbnailWidth / std::max(record_.VideoAspect, 0.1f))
                : static_cast<int>(std::lround(thumbnail_.deviceIndependentSize().height()));
    const int textHeight = fontMetrics().height() + 4;
    const int w = worker_.Available() ? kThumbnailWidth + 2 * kBorder
                                      : fontMetrics().horizontalAdvance(time_) + 12;
    const int h = pictureHeight + textHeight + 2 * kBorder;
    const QRect screen =
        bar_->screen() ? bar_->screen()->geometry() : QRect(0, 0, 1 << 16, 1 << 16);
    const QPoint barTop = bar_->mapToGlobal(QPoint(x, 0));
    int left = std::clamp(barTop.x() - w / 2, screen.left(),
                          std::max(screen.left(), screen.right() - w + 1));
    int top = barTop.y() - h - kGap;
    if (record_.FullScreen || top < screen.top())
        top = barTop.y() + bar_->height() + kGap;
    setGeometry(left, top, w, h);
    if (!isVisible())
        show();
}

void SeekPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(96, 96, 96));  // the frame, seen on a black picture
    painter.fillRect(rect().adjusted(kBorder, kBorder, -kBorder, -kBorder), Qt::black);
    int textTop = kBorder;
    if (worker_.Available()) {
        const int pictureHeight = height() - fontMetrics().height() - 4 - 2 * kBorder;
        const QRect picture(kBorder, kBorder, kThumbnailWidth, pictureHeight);
        if (thumbnail_.isNull())
            painter.fillRect(picture, QColor(40, 40, 40));
        else
            painter.drawImage(picture.topLeft(), thumbnail_);
        textTop += pictureHeight;
    }
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, textTop, width(), height() - textTop), Qt::AlignCenter, time_);
}

}  // namespace tavimo
