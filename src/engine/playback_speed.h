// Playback speed: the steps ] and [ walk, and the note a change shows.
#pragma once

#include <span>
#include <string>

namespace tavimo {

// The speeds ] and [ step through, slowest first.
std::span<const double> SpeedSteps();

inline constexpr double kMinimumSpeed = 0.25;
inline constexpr double kMaximumSpeed = 4.0;

// The next step above `speed` (any value, not only a step); the fastest step
// stays where it is. Any thread.
double FasterSpeed(double speed);
// The next step below `speed`; the slowest step stays where it is. Any thread.
double SlowerSpeed(double speed);

// "Speed: 1.5×": the speed with up to two decimals and no trailing zeros
// ("Speed: 1×", "Speed: 0.25×"). Any thread.
std::string SpeedNoteText(double speed);

}  // namespace tavimo
