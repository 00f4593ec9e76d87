#include "subtitles/picture_note.h"

namespace tavimo {

PictureNote::PictureNote(MixerShared& shared, std::function<void()> redraw)
    : shared_(shared), redraw_(std::move(redraw)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kShownMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Hide(); });
}

void PictureNote::Show(std::string text) {
    shared_.Note.Set(std::move(text));
    timer_.start();
    redraw_();
}

void PictureNote::Hide() {
    timer_.stop();
    shared_.Note.Set({});
    redraw_();
}

void PictureNote::Forget() {
    timer_.stop();
    shared_.Note.Set({});
}

}  // namespace tavimo
