// The screen saver extension's suspension (XScreenSaverSuspend). The server
// stops both the screen saver's and the DPMS timer for a suspended client and
// starts them again when that client disconnects, so nothing outlives us.
#include "platform/screen_saver.h"
#include "platform/x11_display.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace tavimo::platform {
namespace {

// Suspension came with version 1.1 of the extension.
bool CanSuspend(Display* dpy) {
    int event = 0, error = 0, major = 0, minor = 0;
    return XScreenSaverQueryExtension(dpy, &event, &error) &&
           XScreenSaverQueryVersion(dpy, &major, &minor) && (major > 1 || minor >= 1);
}

class XScreenSaver final : public ScreenSaver {
  public:
    explicit XScreenSaver(Display* dpy) : dpy_(dpy), canSuspend_(CanSuspend(dpy)) {}
    // Closing the connection lifts its hold.
    ~XScreenSaver() override { XCloseDisplay(dpy_); }

    void Suspend(bool on) override {
        if (on == suspended_ || !canSuspend_)
            return;
        XScreenSaverSuspend(dpy_, on ? True : False);
        // A suspension does not end a saver that is already running.
        if (on)
            XResetScreenSaver(dpy_);
        XSync(dpy_, False);
        suspended_ = on;
    }
    bool Suspended() const override { return suspended_; }

  private:
    Display* dpy_;
    bool canSuspend_;
    bool suspended_ = false;
};

class NoScreenSaver final : public ScreenSaver {
  public:
    void Suspend(bool) override {}
    bool Suspended() const override { return false; }
};

}  // namespace

std::unique_ptr<ScreenSaver> MakeScreenSaver() {
    if (Display* dpy = OpenQtDisplay())
        return std::make_unique<XScreenSaver>(dpy);
    return std::make_unique<NoScreenSaver>();
}

}  // namespace tavimo::platform
