// The window's fit to a clip, apart from any window: the view shows the
// picture one video pixel per logical pixel (so the desktop's scale enlarges
// it as it does the rest of the program), unless that would take the frame
// past the screen's work area; then the picture is made as large as the work
// area allows, keeping its aspect. Any thread.
#pragma once

namespace tavimo {

struct FitSize {
    int width = 0, height = 0;
    bool operator==(const FitSize&) const = default;
};

struct FitRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const FitRect&) const = default;
};

// The view's size for a picture of `native` video pixels when the frame adds
// `chrome` around the view (menu, bands, borders and the window manager's
// decoration together) and the work area is `room`. All in logical pixels.
// Never below 1 x 1; `native` itself when it fits, or a picture without a
// size.
FitSize FitViewSize(FitSize native, FitSize chrome, FitSize room);

// Where a window `outer` (decoration included) goes so that it stays inside
// `room`: unchanged when it already is; moved in as little as it can be
// otherwise, its top left edge kept inside when it is larger than the room.
FitRect KeepInside(FitRect outer, FitRect room);

}  // namespace tavimo
