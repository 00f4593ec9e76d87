// Display modes through XRandR 1.2+: the modes of the primary output (or of the first connected
// one), in the order the server lists them, numbered from 1.

#include "platform/display_modes.h"
#include "platform/x11_display.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace tavimo::platform {

namespace {

// Traps X errors of the calls made while one of these is alive (Xlib's default handler would
// end the process). UI thread only.
class XErrorTrap {
  public:
    explicit XErrorTrap(Display* dpy) : dpy_(dpy) {
        XSync(dpy_, False);
        failed_ = false;
        previous_ = XSetErrorHandler(&XErrorTrap::Handler);
    }
    ~XErrorTrap() { XSetErrorHandler(previous_); }
    // Waits for the server to have handled every request so far; true when none failed.
    bool Ok() {
        XSync(dpy_, False);
        return !failed_;
    }

  private:
    static int Handler(Display*, XErrorEvent*) {
        failed_ = true;
        return 0;
    }
    static inline bool failed_ = false;
    Display* dpy_;
    int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

int RefreshOf(const XRRModeInfo& info) {
    double lines = info.vTotal;
    if (info.modeFlags & RR_DoubleScan)
        lines *= 2;
    if (info.modeFlags & RR_Interlace)
        lines /= 2;
    if (info.hTotal == 0 || lines <= 0)
        return 0;
    return static_cast<int>(
        std::lround(static_cast<double>(info.dotClock) / (info.hTotal * lines)));
}

struct Resources {
    XRRScreenResources* res = nullptr;
    explicit Resources(Display* dpy, Window root) : res(XRRGetScreenResourcesCurrent(dpy, root)) {}
    ~Resources() {
        if (res)
            XRRFreeScreenResources(res);
    }
    const XRRModeInfo* Mode(RRMode id) const {
        for (int i = 0; i < res->nmode; ++i)
            if (res->modes[i].id == id)
                return &res->modes[i];
        return nullptr;
    }
};

// Replies of XRandR, freed with the call that belongs to each.
template <auto Free>
struct XRRFree {
    template <typename T>
    void operator()(T* reply) const {
        Free(reply);
    }
};
using OutputInfo = std::unique_ptr<XRROutputInfo, XRRFree<XRRFreeOutputInfo>>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, XRRFree<XRRFreeCrtcInfo>>;

OutputInfo GetOutput(Display* dpy, const Resources& r, RROutput output) {
    return OutputInfo(XRRGetOutputInfo(dpy, r.res, output));
}
CrtcInfo GetCrtc(Display* dpy, const Resources& r, RRCrtc crtc) {
    return CrtcInfo(XRRGetCrtcInfo(dpy, r.res, crtc));
}
bool Connected(const OutputInfo& out) {
    return out && out->connection == RR_Connected;
}

// A CRTC's whole configuration, enough to put it back.
struct CrtcConfig {
    RRCrtc crtc = None;
    RRMode mode = None;
    int x = 0, y = 0;
    Rotation rotation = RR_Rotate_0;
    std::vector<RROutput> outputs;
    int screenWidth = 0, screenHeight = 0;
};

class XRandrDisplayModes final : public DisplayModes {
  public:
    explicit XRandrDisplayModes(Display* dpy) : dpy_(dpy) {
        root_ = DefaultRootWindow(dpy_);
        const int screen = DefaultScreen(dpy_);
        depth_ = DefaultDepth(dpy_, screen);
        mmPerPixelX_ =
            static_cast<double>(DisplayWidthMM(dpy_, screen)) / DisplayWidth(dpy_, screen);
        mmPerPixelY_ =
            static_cast<double>(DisplayHeightMM(dpy_, screen)) / DisplayHeight(dpy_, screen);
    }
    // A mode switched for full screen does not outlive the player.
    ~XRandrDisplayModes() override {
        Restore();
        XCloseDisplay(dpy_);
    }

    bool EnumMode(int i, DisplayMode* mode) override;
    bool SwitchTo(int i) override;
    void Restore() override;

  private:
    RROutput ChooseOutput(const Resources& r) const;
    std::vector<RRMode> ModesOf(const Resources& r, RROutput output) const;
    bool ReadConfig(const Resources& r, RRCrtc crtc, CrtcConfig* config) const;
    CrtcConfig Retarget(const Resources& r, const CrtcConfig& current, RRMode mode,
                        const XRRModeInfo& info) const;
    void OtherCrtcsExtent(const Resources& r, RRCrtc except, int* width, int* height) const;
    void ScreenSize(int* width, int* height) const;
    bool Apply(const CrtcConfig& target);
    void SetScreenSize(int width, int height);

    Display* dpy_;
    Window root_ = None;
    int depth_ = 0;
    double mmPerPixelX_ = 0, mmPerPixelY_ = 0;
    CrtcConfig saved_;
    bool switched_ = false;
};

RROutput XRandrDisplayModes::ChooseOutput(const Resources& r) const {
    const RROutput primary = XRRGetOutputPrimary(dpy_, root_);
    if (primary != None && Connected(GetOutput(dpy_, r, primary)))
        return primary;
    for (int i = 0; i < r.res->noutput; ++i)
        if (Connected(GetOutput(dpy_, r, r.res->outputs[i])))
            return r.res->outputs[i];
    return None;
}

std::vector<RRMode> XRandrDisplayModes::ModesOf(const Resources& r, RROutput output) const {
    const OutputInfo out = GetOutput(dpy_, r, output);
    if (!out)
        return {};
    return std::vector<RRMode>(out->modes, out->modes + out->nmode);
}

bool XRandrDisplayModes::EnumMode(int i, DisplayMode* mode) {
    Resources r(dpy_, root_);
    if (!r.res || i < 1)
        return false;
    const RROutput output = ChooseOutput(r);
    if (output == None)
        return false;
    const std::vector<RRMode> modes = ModesOf(r, output);
    if (i > static_cast<int>(modes.size()))
        return false;
    const XRRModeInfo* info = r.Mode(modes[i - 1]);
    if (!info)
        return false;
    if (mode)
        *mode = DisplayMode{static_cast<int>(info->width), static_cast<int>(info->height), depth_,
                            RefreshOf(*info)};
    return true;
}

void XRandrDisplayModes::OtherCrtcsExtent(const Resources& r, RRCrtc except, int* width,
                                          int* height) const {
    *width = *height = 0;
    for (int i = 0; i < r.res->ncrtc; ++i) {
        if (r.res->crtcs[i] == except)
            continue;
        const CrtcInfo c = GetCrtc(dpy_, r, r.res->crtcs[i]);
        if (!c || c->mode == None)
            continue;
        *width = std::max(*width, c->x + static_cast<int>(c->width));
        *height = std::max(*height, c->y + static_cast<int>(c->height));
    }
}

void XRandrDisplayModes::ScreenSize(int* width, int* height) const {
    Window rootReturn;
    int x, y;
    unsigned w = 0, h = 0, border, depth;
    XGetGeometry(dpy_, root_, &rootReturn, &x, &y, &w, &h, &border, &depth);
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
}

bool XRandrDisplayModes::ReadConfig(const Resources& r, RRCrtc crtc, CrtcConfig* config) const {
    const CrtcInfo c = GetCrtc(dpy_, r, crtc);
    if (!c || c->mode == None)
        return false;
    config->crtc = crtc;
    config->mode = c->mode;
    config->x = c->x;
    config->y = c->y;
    config->rotation = c->rotation;
    config->outputs.assign(c->outputs, c->outputs + c->noutput);
    ScreenSize(&config->screenWidth, &config->screenHeight);
    return true;
}

bool XRandrDisplayModes::SwitchTo(int i) {
    Resources r(dpy_, root_);
    if (!r.res || i < 1)
        return false;
    const RROutput output = ChooseOutput(r);
    const std::vector<RRMode> modes = output == None ? std::vector<RRMode>{} : ModesOf(r, output);
    if (i > static_cast<int>(modes.size()))
        return false;
    const OutputInfo out = GetOutput(dpy_, r, output);
    CrtcConfig current;
    if (!out || !ReadConfig(r, out->crtc, &current))
        return false;
    const XRRModeInfo* info = r.Mode(modes[i - 1]);
    if (!info)
        return false;
    if (!switched_)
        saved_ = current;
    const CrtcConfig target = Retarget(r, current, modes[i - 1], *info);
    if (!Apply(target))
        return false;
    switched_ = true;
    return true;
}

// `current` with `mode` on its CRTC. The screen follows the outputs, as when the mode is chosen
// in the desktop's settings: it becomes the box around every lit CRTC.
CrtcConfig XRandrDisplayModes::Retarget(const Resources& r, const CrtcConfig& current, RRMode mode,
                                        const XRRModeInfo& info) const {
    CrtcConfig target = current;
    target.mode = mode;
    const bool sideways = current.rotation & (RR_Rotate_90 | RR_Rotate_270);
    const int w = static_cast<int>(sideways ? info.height : info.width);
    const int h = static_cast<int>(sideways ? info.width : info.height);
    OtherCrtcsExtent(r, current.crtc, &target.screenWidth, &target.screenHeight);
    target.screenWidth = std::max(target.screenWidth, current.x + w);
    target.screenHeight = std::max(target.screenHeight, current.y + h);
    return target;
}

void XRandrDisplayModes::Restore() {
    if (!switched_)
        return;
    if (Apply(saved_))
        switched_ = false;
}

// Keeps the physical size per pixel the screen had when the connection opened.
void XRandrDisplayModes::SetScreenSize(int width, int height) {
    XRRSetScreenSize(dpy_, root_, width, height,
                     static_cast<int>(std::lround(width * mmPerPixelX_)),
                     static_cast<int>(std::lround(height * mmPerPixelY_)));
}

// The screen must hold the CRTC at every step: it grows before the CRTC changes and shrinks
// after.
bool XRandrDisplayModes::Apply(const CrtcConfig& target) {
    XErrorTrap trap(dpy_);
    Resources r(dpy_, root_);
    if (!r.res)
        return false;
    int width, height;
    ScreenSize(&width, &height);
    int minW, minH, maxW, maxH;
    if (!XRRGetScreenSizeRange(dpy_, root_, &minW, &minH, &maxW, &maxH))
        return false;
    if (target.screenWidth > maxW || target.screenHeight > maxH)
        return false;
    const int growW = std::max(width, target.screenWidth);
    const int growH = std::max(height, target.screenHeight);
    if (growW != width || growH != height)
        SetScreenSize(growW, growH);
    const Status status = XRRSetCrtcConfig(
        dpy_, r.res, target.crtc, CurrentTime, target.x, target.y, target.mode, target.rotation,
        const_cast<RROutput*>(target.outputs.data()), static_cast<int>(target.outputs.size()));
    if (status != RRSetConfigSuccess || !trap.Ok()) {
        if (growW != width || growH != height)
            SetScreenSize(width, height);
        return false;
    }
    if (growW != target.screenWidth || growH != target.screenHeight)
        SetScreenSize(std::max(target.screenWidth, minW), std::max(target.screenHeight, minH));
    return trap.Ok();
}

// Without RandR 1.2 there is nothing to enumerate or switch.
class NoDisplayModes final : public DisplayModes {
  public:
    bool EnumMode(int, DisplayMode*) override { return false; }
    bool SwitchTo(int) override { return false; }
    void Restore() override {}
};

}  // namespace

std::unique_ptr<DisplayModes> MakeDisplayModes() {
    Display* dpy = OpenQtDisplay();
    if (!dpy)
        return std::make_unique<NoDisplayModes>();
    int event, error, major = 0, minor = 0;
    if (!XRRQueryExtension(dpy, &event, &error) || !XRRQueryVersion(dpy, &major, &minor) ||
        major < 1 || (major == 1 && minor < 2)) {
        XCloseDisplay(dpy);
        return std::make_unique<NoDisplayModes>();
    }
    return std::make_unique<XRandrDisplayModes>(dpy);
}

}  // namespace tavimo::platform
