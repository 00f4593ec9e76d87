#include "subtitles/subtitle_delay.h"

#include <algorithm>
#include <cstdlib>

#include "resources/translate.h"

namespace tavimo {

std::string DelayNoticeText(int ms) {
    const long long magnitude = std::llabs(static_cast<long long>(ms));
    const char* sign = ms > 0 ? "+" : ms < 0 ? "-" : "";
    return TrArg(TrText("Notes", "Subtitle delay: %1 s"),
                 {std::string(sign) + std::to_string(magnitude / 1000) + "." +
                  std::to_string(magnitude % 1000 / 100)});
}

void SubtitleDelay::Step(int stepMs) {
    if (stepMs == 0) {
        shared_.Timing.Clear();  // back on time: a synchronisation's rate and parts go too
    }
    shared_.SubtitleDelay =
        stepMs == 0 ? 0 : std::clamp(shared_.SubtitleDelay + stepMs, -kLimitMs, kLimitMs);
    note_.Show(DelayNoticeText(shared_.SubtitleDelay));
}

void SubtitleDelay::Forget() {
    shared_.SubtitleDelay = 0;
    shared_.Timing.Clear();
    note_.Forget();
}

}  // namespace tavimo
