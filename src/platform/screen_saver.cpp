// The screen saver through Xlib (XGetScreenSaver / XSetScreenSaver), the
// screen saver extension's suspend, and DPMS.
#include "platform/screen_saver.h"
#include "platform/x11_display.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

namespace tavimo::platform {
namespace {

class XScreenSaver final : public ScreenSaver {
  public:
    explicit XScreenSaver(Display* dpy) : dpy_(dpy) {
        int event = 0, error = 0;
        hasSuspend_ = XScreenSaverQueryExtension(dpy_, &event, &error);
        hasDpms_ = DPMSQueryExtension(dpy_, &event, &error);
    }
    // Closing the connection also lifts its suspend.
    ~XScreenSaver() override { XCloseDisplay(dpy_); }

    ScreenSaverSettings Get() override {
        ScreenSaverSettings s;
        s.known = true;
        XGetScreenSaver(dpy_, &s.timeout, &s.interval, &s.preferBlanking, &s.allowExposures);
        s.dpmsCapable = hasDpms_ && DPMSCapable(dpy_);
        if (s.dpmsCapable) {
            CARD16 level = 0;
            BOOL enabled = False;
            DPMSInfo(dpy_, &level, &enabled);
            s.dpmsEnabled = enabled;
        }
        return s;
    }

    void SwitchOff() override {
        int timeout, interval, blanking, exposures;
        XGetScreenSaver(dpy_, &timeout, &interval, &blanking, &exposures);
        XSetScreenSaver(dpy_, 0, interval, blanking, exposures);
        if (hasSuspend_)
            XScreenSaverSuspend(dpy_, True);
        if (hasDpms_ && DPMSCapable(dpy_))
            DPMSDisable(dpy_);
        XResetScreenSaver(dpy_);
        XSync(dpy_, False);
    }

    void Put(const ScreenSaverSettings& saved) override {
        if (!saved.known)
            return;
        XSetScreenSaver(dpy_, saved.timeout, saved.interval, saved.preferBlanking,
                        saved.allowExposures);
        if (hasSuspend_)
            XScreenSaverSuspend(dpy_, False);
        if (saved.dpmsCapable && hasDpms_) {
            if (saved.dpmsEnabled)
                DPMSEnable(dpy_);
            else
                DPMSDisable(dpy_);
        }
        XSync(dpy_, False);
    }

  private:
    Display* dpy_;
    bool hasSuspend_ = false;
    bool hasDpms_ = false;
};

class NoScreenSaver final : public ScreenSaver {
  public:
    ScreenSaverSettings Get() override { return {}; }
    void SwitchOff() override {}
    void Put(const ScreenSaverSettings&) override {}
};

}  // namespace

std::unique_ptr<ScreenSaver> MakeScreenSaver() {
    if (Display* dpy = OpenQtDisplay())
        return std::make_unique<XScreenSaver>(dpy);
    return std::make_unique<NoScreenSaver>();
}

}  // namespace tavimo::platform
