// The XRandR display modes against a real X server: Xvfb on display :71, started here when
// nothing answers there yet. Xvfb offers one mode; the test adds a few smaller ones of its own
// (Xvfb refuses modes larger than the screen it started with).

#include "platform/display_modes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// After gtest and Qt: Xlib's macros (None, Bool, Status) clash with their names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tavimo::platform {
namespace {

constexpr char kDisplay[] = ":71";

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

class XServer : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dpy_ = XOpenDisplay(kDisplay);
        if (!dpy_)
            StartXvfb();
        if (!dpy_)
            return;
        root_ = DefaultRootWindow(dpy_);
        Resources r;
        output_ = r.res->outputs[0];
        crtc_ = r.res->crtcs[0];
        original_ = CrtcSize();
        AddMode(640, 480, 25175000, 800, 525);   // 59.94 Hz
        AddMode(800, 600, 40000000, 1056, 628);  // 60.3 Hz
    }
    static void TearDownTestSuite() {
        if (dpy_)
            XCloseDisplay(dpy_);  // the added modes go with this connection
        dpy_ = nullptr;
        if (xvfb_ > 0) {
            ::kill(xvfb_, SIGTERM);
            ::waitpid(xvfb_, nullptr, 0);
        }
    }
    void SetUp() override {
        if (!dpy_)
            GTEST_SKIP() << "no X server on " << kDisplay << " and Xvfb did not start";
        ::setenv("DISPLAY", kDisplay, 1);
    }

    static void StartXvfb() {
        const char* argv[] = {"Xvfb",        kDisplay,    "-screen", "0",
                              "1280x720x24", "-nolisten", "tcp",     nullptr};
        if (::posix_spawnp(&xvfb_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0) {
            xvfb_ = 0;
            return;
        }
        for (int i = 0; i < 100 && !dpy_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            dpy_ = XOpenDisplay(kDisplay);
        }
    }

    struct Resources {
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, root_);
        ~Resources() { XRRFreeScreenResources(res); }
    };

    static void AddMode(unsigned width, unsigned height, unsigned long clock, unsigned hTotal,
                        unsigned vTotal) {
        std::string name = std::to_string(width) + "x" + std::to_string(height) + "-test";
        XRRModeInfo info{};
        info.width = width;
        info.height = height;
        info.dotClock = clock;
        info.hTotal = hTotal;
        info.vTotal = vTotal;
        info.name = name.data();
        info.nameLength = static_cast<unsigned>(name.size());
        const RRMode mode = XRRCreateMode(dpy_, root_, &info);
        XRRAddOutputMode(dpy_, output_, mode);
        XSync(dpy_, False);
    }

    static Size CrtcSize() {
        Resources r;
        XRRCrtcInfo* c = XRRGetCrtcInfo(dpy_, r.res, crtc_);
        const Size size{static_cast<int>(c->width), static_cast<int>(c->height)};
        XRRFreeCrtcInfo(c);
        return size;
    }
    static Size ScreenSize() {
        Window root;
        int x, y;
        unsigned w, h, border, depth;
        XGetGeometry(dpy_, root_, &root, &x, &y, &w, &h, &border, &depth);
        return {static_cast<int>(w), static_cast<int>(h)};
    }
    static std::vector<std::string> Texts(DisplayModes& modes) {
        std::vector<std::string> texts;
        DisplayMode mode;
        for (int i = 1; modes.EnumMode(i, &mode); ++i)
            texts.push_back(FormatDisplayMode(mode));
        return texts;
    }
    static int IndexOf(DisplayModes& modes, const std::string& text) {
        const std::vector<std::string> texts = Texts(modes);
        for (size_t i = 0; i < texts.size(); ++i)
            if (texts[i] == text)
                return static_cast<int>(i) + 1;
        return 0;
    }

    static inline Display* dpy_ = nullptr;
    static inline Window root_ = None;
    static inline RROutput output_ = None;
    static inline RRCrtc crtc_ = None;
    static inline Size original_;
    static inline pid_t xvfb_ = 0;
};

TEST_F(XServer, ModesAreNumberedFromOneWithTheirTexts) {
    auto modes = MakeDisplayModes();
    const std::vector<std::string> texts = Texts(*modes);
    const std::vector<std::string> expected = {"1280x720x24 0Hz", "640x480x24 60Hz",
                                               "800x600x24 60Hz"};
    ASSERT_EQ(texts.size(), expected.size());
    for (const std::string& text : expected)
        EXPECT_GT(IndexOf(*modes, text), 0) << text;
    EXPECT_EQ(Texts(*modes), texts) << "the order is stable";
    DisplayMode mode;
    EXPECT_FALSE(modes->EnumMode(0, &mode)) << "numbering starts at 1";
    EXPECT_FALSE(modes->EnumMode(static_cast<int>(texts.size()) + 1, &mode));
}

struct SwitchCase {
    const char* name;
    const char* mode;  // text of the mode to switch to; nullptr: `index` as given
    int index;
    bool switches;
    Size size;  // output and screen size after the switch
};

const SwitchCase kSwitchCases[] = {
    {"a smaller mode", "640x480x24 60Hz", 0, true, {640, 480}},
    {"the current mode", "1280x720x24 0Hz", 0, true, {1280, 720}},
    {"number 0", nullptr, 0, false, {1280, 720}},
    {"past the last", nullptr, 99, false, {1280, 720}},
};

TEST_F(XServer, SwitchAndRestore) {
    for (const SwitchCase& c : kSwitchCases) {
        SCOPED_TRACE(c.name);
        auto modes = MakeDisplayModes();
        const int index = c.mode ? IndexOf(*modes, c.mode) : c.index;
        EXPECT_EQ(modes->SwitchTo(index), c.switches);
        EXPECT_EQ(CrtcSize(), c.size);
        EXPECT_EQ(ScreenSize(), c.size);
        modes->Restore();
        EXPECT_EQ(CrtcSize(), original_);
        EXPECT_EQ(ScreenSize(), original_);
    }
}

// Restore goes back to the mode before the first of several switches, also when the player
// ends without calling it; with nothing switched it does nothing.
TEST_F(XServer, RestoreReturnsToTheModeBeforeTheFirstSwitch) {
    for (bool explicit_restore : {true, false}) {
        auto modes = MakeDisplayModes();
        modes->Restore();
        EXPECT_EQ(CrtcSize(), original_);
        ASSERT_TRUE(modes->SwitchTo(IndexOf(*modes, "640x480x24 60Hz")));
        ASSERT_TRUE(modes->SwitchTo(IndexOf(*modes, "800x600x24 60Hz")));
        EXPECT_EQ(CrtcSize(), (Size{800, 600}));
        explicit_restore ? modes->Restore() : modes.reset();
        EXPECT_EQ(CrtcSize(), original_);
        EXPECT_EQ(ScreenSize(), original_);
    }
}

TEST(NoXServer, OffersNoModes) {
    const char* old = std::getenv("DISPLAY");
    const std::string saved = old ? old : "";
    ::unsetenv("DISPLAY");
    auto modes = MakeDisplayModes();
    DisplayMode mode;
    EXPECT_FALSE(modes->EnumMode(1, &mode));
    EXPECT_FALSE(modes->SwitchTo(1));
    modes->Restore();
    if (old)
        ::setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
}  // namespace tavimo::platform
