// The X server the program uses: whether it answers, and connections of our
// own to it.
#pragma once

typedef struct _XDisplay Display;

namespace tavimo::platform {

// Opens and closes a connection to $DISPLAY. False when none can be made.
// UI thread, before the application object exists.
bool X11DisplayReachable();

// A new connection to the X display Qt draws on, else to $DISPLAY; null when
// none can be made. A connection of our own keeps our requests apart from
// Qt's. The caller closes it with XCloseDisplay. UI thread.
Display* OpenQtDisplay();

}  // namespace tavimo::platform
