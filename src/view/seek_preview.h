// The seek bar's preview: while the mouse hovers the bar, a small window
// above it (below it when the bar runs along the screen's top, as in full
// screen) shows the time under the mouse and a thumbnail of that moment,
// 160 logical pixels wide, decoded at the screen's density. Thumbnails come from a second decoder
// of the clip, built at the first hover and let go with the clip; URLs, clips without a picture and
// clips that fail to decode show the time alone.
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

#include "engine/thumbnail_worker.h"

namespace tavimo {

class CSlider;
class PlayerRecord;

class SeekPreview : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kThumbnailWidth = 160;

    // Watches `bar` for hovers over `record`'s clip. Both not owned and
    // outliving the preview. UI thread.
    SeekPreview(CSlider* bar, PlayerRecord& record);
    ~SeekPreview() override;

    // The clip's graph is gone: its decoder and thumbnails go too. UI thread.
    void ClipReleased();
    // For tests and benchmarks: the thumbnails decoded for this clip, and
    // the picture shown now (null while there is none; in device pixels, its
    // device pixel ratio set).
    int Decodes() const { return worker_.Decodes(); }
    const QImage& Thumbnail() const { return thumbnail_; }

  signals:
    // A thumbnail was put in the window. UI thread.
    void thumbnailShown();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // The mouse is at bar x `x`: time, thumbnail and place follow it.
    void Hover(int x);
    // Builds the clip's decoder on the first hover of a clip.
    void Prepare();
    // UI thread: a thumbnail of `bucket` arrived.
    void Arrived(int64_t bucket, std::shared_ptr<const VideoImage> image);
    void Place(int x);

    CSlider* bar_;
    PlayerRecord& record_;
    ThumbnailWorker worker_;
    const void* prepared_ = nullptr;  // the graph the decoder was built for
    int64_t bucket_ = -1;             // the bucket hovered now
    int x_ = 0;                       // and the bar x of the mouse
    QString time_;
    QImage thumbnail_;
};

}  // namespace tavimo
