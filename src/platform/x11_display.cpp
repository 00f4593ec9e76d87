#include "platform/x11_display.h"

#include <X11/Xlib.h>

namespace tavimo::platform {

bool X11DisplayReachable() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

}  // namespace tavimo::platform
