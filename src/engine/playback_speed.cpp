#include "engine/playback_speed.h"

#include <cmath>
#include <cstdio>

#include "resources/translate.h"

namespace tavimo {
namespace {

constexpr double kSteps[] = {0.25, 0.5, 0.75, 0.9, 1.0, 1.1, 1.25, 1.5, 2.0, 3.0, 4.0};

// Speeds closer than this are the same step (a rate that went through a
// float or a bus client's rounding still names its step).
constexpr double kSameStep = 0.001;

}  // namespace

std::span<const double> SpeedSteps() {
    return kSteps;
}

double FasterSpeed(double speed) {
    for (double step : kSteps) {
        if (step > speed + kSameStep) {
            return step;
        }
    }
    return kSteps[std::size(kSteps) - 1];
}

double SlowerSpeed(double speed) {
    for (size_t i = std::size(kSteps); i-- > 0;) {
        if (kSteps[i] < speed - kSameStep) {
            return kSteps[i];
        }
    }
    return kSteps[0];
}

std::string SpeedNoteText(double speed) {
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", std::round(speed * 100.0) / 100.0);
    std::string text = number;
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
    return TrArg(TrText("Notes", "Speed: %1\u00d7"), {text});
}

}  // namespace tavimo
