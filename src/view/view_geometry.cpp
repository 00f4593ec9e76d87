#include "view/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "resources/command_ids.h"
#include "resources/translate.h"

namespace tavimo {
namespace {

constexpr int kNotch = 120;  // one notch of a classic wheel

int TruncatedStep(int step, float aspect) {
    if (!(aspect > 0.0f))
        return step;
    return static_cast<int>(std::trunc(static_cast<long double>(step) / aspect));
}

}  // namespace

Step WheelStep(int stretchStep, float videoAspect, bool grow) {
    const Step step{stretchStep, TruncatedStep(stretchStep, videoAspect)};
    return grow ? step : Step{-step.dx, -step.dy};
}

int WheelNotches::Feed(int delta) {
    if (delta == 0)
        return 0;
    if ((delta > 0) != (sum_ > 0))
        sum_ = 0;  // turned the other way: start afresh
    sum_ += delta;
    if (sum_ >= kNotch || sum_ <= -kNotch) {
        const int notch = sum_ > 0 ? 1 : -1;
        sum_ = 0;
        return notch;
    }
    return 0;
}

Step StretchKeyStep(int command, int stretchStep, float videoAspect, bool fullScreen) {
    const int dy = fullScreen ? TruncatedStep(stretchStep, videoAspect) : stretchStep;
    switch (command) {
        case ID_STRETCH_NARROWER:
            return {-stretchStep, 0};
        case ID_STRETCH_WIDER:
            return {stretchStep, 0};
        case ID_STRETCH_LOWER:
            return {0, -dy};
        case ID_STRETCH_TALLER:
            return {0, dy};
    }
    return {};
}

int SeekBarFillEdge(int right, int totalSeconds, int currentSeconds) {
    if (totalSeconds == 0 || currentSeconds == 0 || right <= 0)
        return 0;
    const float quotient = static_cast<float>(totalSeconds) / static_cast<float>(currentSeconds);
    const float edge = std::trunc(static_cast<float>(right) / quotient);
    if (!(edge > 0.0f))
        return 0;
    return edge >= static_cast<float>(right) ? right : static_cast<int>(edge);
}

std::string SeekBarText(int currentSeconds, int totalSeconds) {
    char current[32];
    char total[32];
    std::snprintf(current, sizeof current, "%d:%.2d:%.2d", currentSeconds / 3600,
                  currentSeconds / 60 % 60, currentSeconds % 60);
    std::snprintf(total, sizeof total, "%d:%.2d:%.2d", totalSeconds / 3600, totalSeconds / 60 % 60,
                  totalSeconds % 60);
    return TrArg(TrText("Seekbar", "%1 / %2"), {current, total});
}

SlidersLayout LayOutSliders(int dialogWidth) {
    return {std::max(0, dialogWidth - 70), dialogWidth - 68, 1};
}

std::optional<int64_t> SeekTargetFromX(int64_t duration, int width, int x) {
    if (width <= 0)
        return std::nullopt;
    if (x == 0)
        return 0;
    const float quotient = static_cast<float>(width) / static_cast<float>(x);
    const long double target = std::trunc(static_cast<long double>(duration) / quotient);
    constexpr long double kMax = static_cast<long double>(std::numeric_limits<int64_t>::max());
    if (target >= kMax)
        return std::numeric_limits<int64_t>::max();
    if (target <= -kMax)
        return -std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(target);
}

int ClampToNearestScreen(int x, int y, std::span<const ScreenRect> screens) {
    const ScreenRect* nearest = nullptr;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const ScreenRect& s : screens) {
        const int64_t dx = x < s.left ? s.left - x : x >= s.right ? x - (s.right - 1) : 0;
        const int64_t dy = y < s.top ? s.top - y : y >= s.bottom ? y - (s.bottom - 1) : 0;
        if (dx == 0 && dy == 0)
            return x;  // on a screen
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = &s;
        }
    }
    if (nearest == nullptr || nearest->right <= nearest->left)
        return x;
    return std::clamp(x, nearest->left, nearest->right - 1);
}

}  // namespace tavimo
