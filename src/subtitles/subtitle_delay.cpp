#include "subtitles/subtitle_delay.h"

#include <algorithm>
#include <cstdlib>

namespace tavimo {

std::string DelayNoticeText(int ms) {
    const long long magnitude = std::llabs(static_cast<long long>(ms));
    const char* sign = ms > 0 ? "+" : ms < 0 ? "-" : "";
    return "Subtitle delay: " + std::string(sign) + std::to_string(magnitude / 1000) + "." +
           std::to_string(magnitude % 1000 / 100) + " s";
}

SubtitleDelay::SubtitleDelay(MixerShared& shared, std::function<void()> redraw)
    : shared_(shared), redraw_(std::move(redraw)) {
    noticeTimer_.setSingleShot(true);
    noticeTimer_.setInterval(kNoticeMs);
    QObject::connect(&noticeTimer_, &QTimer::timeout, [this] { HideNotice(); });
}

void SubtitleDelay::Step(int stepMs) {
    shared_.SubtitleDelay =
        stepMs == 0 ? 0 : std::clamp(shared_.SubtitleDelay + stepMs, -kLimitMs, kLimitMs);
    shared_.DelayNotice = 1;
    noticeTimer_.start();
    redraw_();
}

void SubtitleDelay::Forget() {
    noticeTimer_.stop();
    shared_.SubtitleDelay = 0;
    shared_.DelayNotice = 0;
}

void SubtitleDelay::HideNotice() {
    noticeTimer_.stop();
    shared_.DelayNotice = 0;
    redraw_();
}

}  // namespace tavimo
