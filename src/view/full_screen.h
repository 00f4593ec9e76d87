// What the view keeps while the frame covers the screen, and what it puts
// back on leaving.
#pragma once

#include <QRect>
#include <Qt>

#include "engine/media/media.h"

namespace tavimo {

struct FullScreenState {
    bool on = false;
    QRect placement;         // the frame's normal geometry on entering
    bool maximized = false;  // and whether it was maximised
    Qt::WindowFlags flags;   // its window flags on entering
    QRect screen;            // the rectangle full screen covers
    bool modeSwitched = false;
    // The picture's rectangle on leaving, shown again on the next entering
    // (emptied when a new clip is built); `zoom` holds it until the view has
    // its full-screen size.
    RECT saved;
    RECT zoom;
};

}  // namespace tavimo
