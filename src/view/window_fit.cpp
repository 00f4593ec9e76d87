#include "view/window_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tavimo {

FitSize FitViewSize(FitSize native, FitSize chrome, FitSize room) {
    if (native.width <= 0 || native.height <= 0)
        return {std::max(1, native.width), std::max(1, native.height)};
    const int64_t freeW = std::max(1, room.width - chrome.width);
    const int64_t freeH = std::max(1, room.height - chrome.height);
    if (native.width <= freeW && native.height <= freeH)
        return native;
    // The tighter side takes the whole room; the other follows the aspect,
    // rounded (never past its own room, which is the larger share).
    if (freeW * native.height <= freeH * native.width) {
        const auto h = std::llround(double(freeW) * native.height / native.width);
        return {int(freeW), int(std::clamp<int64_t>(h, 1, freeH))};
    }
    const auto w = std::llround(double(freeH) * native.width / native.height);
    return {int(std::clamp<int64_t>(w, 1, freeW)), int(freeH)};
}

namespace {

// The start of a span `size` long inside [low, low + room): moved as little
// as it can be, and kept at `low` when it cannot fit at all.
int Inside(int start, int size, int low, int room) {
    if (size >= room)
        return low;
    return std::clamp(start, low, low + room - size);
}

}  // namespace

FitRect KeepInside(FitRect outer, FitRect room) {
    return {Inside(outer.left, outer.width, room.left, room.width),
            Inside(outer.top, outer.height, room.top, room.height), outer.width, outer.height};
}

}  // namespace tavimo
