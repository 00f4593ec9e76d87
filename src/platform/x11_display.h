// Whether the X server the program is about to use answers.
#pragma once

namespace tavimo::platform {

// Opens and closes a connection to $DISPLAY. False when none can be made.
// UI thread, before the application object exists.
bool X11DisplayReachable();

}  // namespace tavimo::platform
