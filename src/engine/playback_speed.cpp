#include "engine/playback_speed.h"

#include <charconv>
#include <cmath>

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
    // Hundredths, in the fewest digits ("1.5", "2"), with a decimal point
    // under every locale, as the delay notes have it.
    char number[32];
    const auto written =
        std::to_chars(number, number + sizeof number, std::round(speed * 100.0) / 100.0);
    const std::string text(number, written.ec == std::errc() ? written.ptr : number);
    return TrArg(TrText("Notes", "Speed: %1\u00d7"), {text});
}

}  // namespace tavimo
