// The screen saver and DPMS against a real X server: an Xvfb of its own on a
// free display.

#include "platform/screen_saver.h"

#include <gtest/gtest.h>

#include <memory>

#include "x_session.h"

// After gtest: Xlib's macros clash with its names.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace tavimo::platform {
namespace {

class ScreenSaverX : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server_ = std::make_unique<e2e::XServer>();
        if (server_->Running())
            dpy_ = XOpenDisplay(server_->Display().c_str());
    }
    static void TearDownTestSuite() {
        if (dpy_)
            XCloseDisplay(dpy_);
        server_.reset();
    }
    void SetUp() override {
        if (!dpy_)
            GTEST_SKIP() << "Xvfb did not start";
        ::setenv("DISPLAY", server_->Display().c_str(), 1);
    }
    // As another client (the desktop's settings) sees it.
    static int Timeout() {
        int timeout, interval, blanking, exposures;
        XGetScreenSaver(dpy_, &timeout, &interval, &blanking, &exposures);
        return timeout;
    }
    static bool DpmsOn() {
        CARD16 level = 0;
        BOOL on = False;
        DPMSInfo(dpy_, &level, &on);
        return on;
    }
    static inline Display* dpy_ = nullptr;
    static inline std::unique_ptr<e2e::XServer> server_;
};

// Whatever the settings were, switching off and putting back leaves them as
// they were: an active saver comes back, one that was off stays off.
TEST_F(ScreenSaverX, HeldOffAndGivenBackExactly) {
    struct Row {
        const char* name;
        int timeout;
        bool dpms;
    } rows[] = {{"saver and power saving on", 300, true}, {"both already off", 0, false}};
    for (const Row& row : rows) {
        XSetScreenSaver(dpy_, row.timeout, 60, PreferBlanking, AllowExposures);
        row.dpms ? DPMSEnable(dpy_) : DPMSDisable(dpy_);
        XSync(dpy_, False);
        auto saver = MakeScreenSaver();
        const ScreenSaverSettings saved = saver->Get();
        ASSERT_TRUE(saved.known) << row.name;
        saver->SwitchOff();
        EXPECT_EQ(Timeout(), 0) << row.name;
        EXPECT_FALSE(DpmsOn()) << row.name;
        saver->Put(saved);
        EXPECT_EQ(Timeout(), row.timeout) << row.name;
        // Xvfb has no power saving to switch: DPMS stays off there.
        EXPECT_EQ(DpmsOn(), row.dpms && DPMSCapable(dpy_)) << row.name;
        EXPECT_EQ(saver->Get(), saved) << row.name;
    }
}

}  // namespace
}  // namespace tavimo::platform
