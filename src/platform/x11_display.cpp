#include "platform/x11_display.h"

#include <QGuiApplication>

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

Display* OpenQtDisplay() {
    const char* name = nullptr;
#if QT_CONFIG(xcb)
    if (auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (Display* qtDisplay = x11->display())
            name = DisplayString(qtDisplay);
    }
#endif
    return XOpenDisplay(name);
}

}  // namespace tavimo::platform
