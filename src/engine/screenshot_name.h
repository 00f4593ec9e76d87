// How a screenshot is named: "<clip name> <h-mm-ss.mmm>.png", and when that
// name is taken, " (2)", " (3)", ... before ".png". Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace tavimo {

// The clip's file name without its last extension: the last segment of a
// path, or of a URL without its query and fragment; "Tavimo" when empty.
std::string ClipNameOf(const std::string& clipPath);

// "h-mm-ss.mmm" of `position` in 100-ns units, hours unbounded, negative as 0.
std::string ScreenshotTime(int64_t position);

// The name of the `attempt`-th try (1, 2, ...): the first is the plain name,
// each later one adds " (<attempt>)" before ".png". A long clip name is cut,
// at a character's boundary, so that the whole name fits in 255 bytes.
std::string ScreenshotName(const std::string& clipPath, int64_t position, int attempt);

}  // namespace tavimo
