// The XRandR display modes against a real X server: an Xvfb of its own
// (1280x720) on a free display, seen as another client sees it. The test adds two smaller modes
// of its own (Xvfb refuses modes larger than the screen it started with).

#include <gtest/gtest.h>

#include <memory>

#include "platform/display_modes.h"
#include "x_session.h"

// After gtest: Xlib's macros (None, Bool, Status) clash with its names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <array>
#include <map>
#include <string>

namespace tavimo::platform {
namespace {

using Sizes = std::array<int, 4>;  // the output's width and height, then the screen's
constexpr Sizes kOriginal = {1280, 720, 1280, 720};

class XServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server_ = std::make_unique<e2e::XServer>("1280x720x24");
        if (!server_->Running() || !(dpy_ = XOpenDisplay(server_->Display().c_str())))
            return;
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, DefaultRootWindow(dpy_));
        crtc_ = res->crtcs[0];
        XRRFreeScreenResources(res);
        e2e::AddMode(dpy_, 640, 480, 25175000, 800, 525);   // 59.94 Hz
        e2e::AddMode(dpy_, 800, 600, 40000000, 1056, 628);  // 60.3 Hz
    }
    static void TearDownTestSuite() {
        if (dpy_)
            XCloseDisplay(dpy_);  // the added modes go with this connection
        server_.reset();
    }
    void SetUp() override {
        if (!dpy_)
            GTEST_SKIP() << "Xvfb did not start";
        ::setenv("DISPLAY", server_->Display().c_str(), 1);
    }

    static Sizes Now() {
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, DefaultRootWindow(dpy_));
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy_, res, crtc_);
        Window root;
        int x, y;
        unsigned w, h, border, depth;
        XGetGeometry(dpy_, DefaultRootWindow(dpy_), &root, &x, &y, &w, &h, &border, &depth);
        const Sizes sizes = {int(crtc->width), int(crtc->height), int(w), int(h)};
        XRRFreeCrtcInfo(crtc);
        XRRFreeScreenResources(res);
        return sizes;
    }

    static inline Display* dpy_ = nullptr;
    static inline RRCrtc crtc_ = 0;
    static inline std::unique_ptr<e2e::XServer> server_;
};

// Modes are numbered from 1 with their texts. Restore goes back to the mode before the first of
// several switches, and so does the end of the player without it; with nothing switched it does
// nothing, and a failed switch changes nothing.
TEST_F(XServer, DisplayModesSwitchAndRestore) {
    for (bool explicit_restore : {true, false}) {
        auto modes = MakeDisplayModes();
        std::map<std::string, int> index;  // the order is the server's
        DisplayMode mode;
        for (int i = 1; modes->EnumMode(i, &mode); ++i)
            index[FormatDisplayMode(mode)] = i;
        EXPECT_EQ(index.size(), 3u);
        for (const char* text : {"1280x720x24 0Hz", "640x480x24 60Hz", "800x600x24 60Hz"})
            EXPECT_EQ(index.count(text), 1u) << text;
        EXPECT_FALSE(modes->EnumMode(0, &mode)) << "numbering starts at 1";
        modes->Restore();
        EXPECT_FALSE(modes->SwitchTo(99));
        EXPECT_EQ(Now(), kOriginal);
        ASSERT_TRUE(modes->SwitchTo(index["640x480x24 60Hz"]));
        EXPECT_EQ(Now(), (Sizes{640, 480, 640, 480}));
        ASSERT_TRUE(modes->SwitchTo(index["800x600x24 60Hz"]));
        EXPECT_EQ(Now(), (Sizes{800, 600, 800, 600}));
        explicit_restore ? modes->Restore() : modes.reset();
        EXPECT_EQ(Now(), kOriginal) << explicit_restore;
    }
}

TEST(NoXServer, OffersNoModes) {
    ::unsetenv("DISPLAY");  // the X server tests set it again
    auto modes = MakeDisplayModes();
    DisplayMode mode;
    EXPECT_FALSE(modes->EnumMode(1, &mode));
    EXPECT_FALSE(modes->SwitchTo(1));
}

}  // namespace
}  // namespace tavimo::platform
