// The arithmetic of the view and the seek bar, apart from any window: wheel
// and stretch steps, the seek bar's fill, text, layout and seek target, and
// where a context menu may open. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tavimo {

struct Step {
    int dx = 0, dy = 0;
    bool operator==(const Step&) const = default;
};

// One wheel notch: (StretchStep, trunc(StretchStep / aspect)) per side,
// negated when shrinking.
Step WheelStep(int stretchStep, float videoAspect, bool grow);

// Counts a wheel's deltas (eighths of a degree) into notches: a whole
// notch's worth in one direction gives +1 or -1 once, however large the
// delta; a high-resolution wheel's small deltas add up to one. 0 otherwise.
class WheelNotches {
  public:
    int Feed(int delta);

  private:
    int sum_ = 0;
};

// The stretch key `command` (Left, Right, Down, Up commands): in full screen
// the picture's growth per side; in a window the frame's growth per side.
Step StretchKeyStep(int command, int stretchStep, float videoAspect, bool fullScreen);

// The seek bar's fill ends at this x of a client area `right` pixels wide:
// right / (total / current), the quotient in single precision; 0 when either
// count is 0, never outside 0..right.
int SeekBarFillEdge(int right, int totalSeconds, int currentSeconds);

// "h:mm:ss / h:mm:ss", hours unbounded.
std::string SeekBarText(int currentSeconds, int totalSeconds);

// The seek bar is the dialog's width less 70; the volume bar sits at
// (width - 68, 1).
struct SlidersLayout {
    int seekWidth = 0;
    int volumeX = 0, volumeY = 0;
};
SlidersLayout LayOutSliders(int dialogWidth);

// The position (100 ns) under x on a bar `width` pixels wide for a clip of
// `duration`: duration / (width / x), the inner quotient in single
// precision. x is not clamped (left of the bar is negative, right of it past
// the end). Nothing for a bar without width.
std::optional<int64_t> SeekTargetFromX(int64_t duration, int width, int x);

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// The x a menu opens at: unchanged on a screen, otherwise clamped to the
// horizontal extent of the screen nearest to (x, y).
int ClampToNearestScreen(int x, int y, std::span<const ScreenRect> screens);

}  // namespace tavimo
