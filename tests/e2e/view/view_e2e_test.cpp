// The real program with the demo clip under Xvfb (1024 x 768): seeking with
// the seek bar, full screen with its bar at the top in a chosen display mode,
// the mouse's double click, a black view after a failed open, and full screen
// and the wheel under a window manager.
#include <gtest/gtest.h>

#include <QColor>
#include <QTemporaryDir>

#include <signal.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "x_session.h"

// After the rest: Xlib's macros clash with their names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;
const QRect kScreen(0, 0, 1024, 768);

bool IsFill(QRgb pixel) {
    const QColor c(pixel);
    return std::abs(c.red() - 214) < 12 && std::abs(c.green() - 165) < 12 && c.blue() < 20;
}
bool IsBlack(QRgb pixel) {
    return QColor(pixel).value() < 16;
}
void Wait(std::chrono::milliseconds time) {
    std::this_thread::sleep_for(time);
}

struct Fixture {
    XServer server;
    UserFolders user;
    QTemporaryDir media;
    std::unique_ptr<Player> player;
    unsigned long window = 0;

    bool Start() {
        const std::string clip = media.filePath("demo.mp4").toStdString();
        std::filesystem::copy_file(std::string(TAVIMO_BUILD_DIR) + "/demo/demo.mp4", clip);
        player = std::make_unique<Player>(server, user, std::vector<std::string>{clip});
        window = player->WaitForWindow(15s).value_or(0);
        Wait(1500ms);
        return window != 0;
    }
    QRect Geometry() {
        int x = 0, y = 0, w = 0, h = 0;
        const std::string at = Run("xdotool getwindowgeometry --shell " + std::to_string(window));
        std::sscanf(at.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &w, &h);
        return QRect(x, y, w, h);
    }
    std::string Run(const std::string& command) { return RunIn(server.Display(), command); }
};

// The seek bar's client area: its fill starts it on the left, its black
// border ends it on the right (along the bottom row, where no text is).
QRect SeekBarIn(const QImage& shot) {
    for (int y = 40; y < 120; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (!IsFill(shot.pixel(x, y)))
                continue;
            int bottom = y, right = x;
            while (IsFill(shot.pixel(x, bottom + 1)))
                ++bottom;
            while (right < shot.width() - 1 && !IsBlack(shot.pixel(right + 1, bottom)))
                ++right;
            return QRect(QPoint(x, y), QPoint(right, bottom));
        }
    }
    return {};
}

int FillEnd(const QImage& shot, const QRect& bar) {
    int x = bar.left();
    while (x <= bar.right() && IsFill(shot.pixel(x, bar.bottom())))
        ++x;
    return x - bar.left();
}

// The screen's size and the screen saver's timeout as another client sees them.
std::array<int, 3> Screen(Display* dpy) {
    Window root;
    int x, y, timeout, interval, blanking, exposures;
    unsigned w, h, border, depth;
    XGetGeometry(dpy, DefaultRootWindow(dpy), &root, &x, &y, &w, &h, &border, &depth);
    XGetScreenSaver(dpy, &timeout, &interval, &blanking, &exposures);
    return {int(w), int(h), timeout};
}

// With a display mode chosen, full screen switches Xvfb's RandR output to it
// and covers the new screen; leaving puts the mode and the screen saver back.
TEST(ViewE2e, SeekBarFullScreenInAChosenModeAndMouse) {
    Fixture f;
    ASSERT_TRUE(f.server.Running());
    Display* dpy = XOpenDisplay(f.server.Display().c_str());
    ASSERT_NE(dpy, nullptr);
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    std::string name = "800x600-test";
    XRRModeInfo info{};
    info.width = 800, info.height = 600, info.dotClock = 40000000;
    info.hTotal = 1056, info.vTotal = 628;  // 60.3 Hz
    info.name = name.data(), info.nameLength = static_cast<unsigned>(name.size());
    XRRAddOutputMode(dpy, res->outputs[0], XRRCreateMode(dpy, DefaultRootWindow(dpy), &info));
    XRRFreeScreenResources(res);
    XSetScreenSaver(dpy, 300, 60, PreferBlanking, AllowExposures);
    XSync(dpy, False);
    const std::array<int, 3> original = {1024, 768, 300}, switched = {800, 600, 0};
    ASSERT_EQ(Screen(dpy), original);
    f.user.Store("Resolution", std::string("800x600x24 60Hz"));
    ASSERT_TRUE(f.Start());
    const QRect window = f.Geometry();

    // A click at three quarters of the bar: playback goes on from there.
    QImage before;
    QRect bar;
    for (int i = 0; i < 20 && bar.isEmpty(); ++i, Wait(250ms))
        bar = SeekBarIn(before = f.server.Screenshot());  // once the fill shows
    ASSERT_GT(bar.width(), 200) << "seek bar found";
    EXPECT_LT(FillEnd(before, bar), bar.width() / 2);
    f.Run("xdotool mousemove " + std::to_string(bar.left() + bar.width() * 3 / 4) + " " +
          std::to_string(bar.center().y()) + " click 1");
    Wait(600ms);
    EXPECT_GE(FillEnd(f.server.Screenshot(), bar), bar.width() * 7 / 10);

    // F covers the screen in the chosen mode; a movement shows the bar across
    // the top, holding still hides it again within 6 s.
    f.player->Key("f");
    Wait(1500ms);
    EXPECT_EQ(Screen(dpy), switched);
    EXPECT_EQ(f.Geometry(), QRect(0, 0, 800, 600)) << "the screen after the switch";
    f.Run("xdotool mousemove 500 400 sleep 0.2 mousemove 520 420");
    Wait(400ms);
    QImage shot = f.server.Screenshot("fullscreen-bar");
    EXPECT_FALSE(IsBlack(shot.pixel(200, 10))) << "the bar at the top";
    EXPECT_TRUE(IsBlack(shot.pixel(200, 40))) << "the letterbox below it";
    Wait(6500ms);
    EXPECT_TRUE(IsBlack(f.server.Screenshot().pixel(200, 10))) << "the bar hidden again";

    // Esc leaves full screen and stops; a double click enters and leaves.
    f.player->Key("Escape");
    Wait(1500ms);
    EXPECT_EQ(Screen(dpy), original);
    EXPECT_EQ(f.Geometry(), window);
    EXPECT_TRUE(f.player->Running());
    f.Run("xdotool mousemove 300 250 click --repeat 2 --delay 60 1");
    Wait(1500ms);
    EXPECT_EQ(Screen(dpy), switched) << "double click";
    f.Run("xdotool click --repeat 2 --delay 60 1");
    Wait(1500ms);
    EXPECT_EQ(Screen(dpy), original);
    EXPECT_EQ(f.Geometry(), window);
    XCloseDisplay(dpy);

    // A failed open closes the clip: nothing of the last picture is left.
    const std::string bad = f.media.filePath("broken.mp4").toStdString();
    std::ofstream(bad) << "not a clip";
    f.player->Key("ctrl+o");
    Wait(1000ms);
    f.Run("xdotool type --delay 20 '" + bad + "'");
    f.Run("xdotool key Return");
    Wait(2000ms);
    f.Run("xdotool key Return");  // the error box
    Wait(800ms);
    const QRect view = f.Geometry().intersected(kScreen).adjusted(5, 100, -5, -5);
    shot = f.server.Screenshot("closed");
    int lit = 0;
    for (int y = view.top(); y < view.bottom(); y += 7)
        for (int x = view.left(); x < view.right(); x += 7)
            lit += IsBlack(shot.pixel(x, y)) ? 0 : 1;
    EXPECT_EQ(lit, 0) << "the view is black";
}

// Under a window manager (openbox): full screen covers the screen and gives
// a maximised frame back maximised; fitting a maximised frame to the video
// ends with the view at the video's size once the window manager has
// restored it.
TEST(ViewE2e, UnderAWindowManager) {
    Fixture f;
    ASSERT_TRUE(f.server.Running());
    if (f.Run("command -v openbox").empty())
        GTEST_SKIP() << "no openbox";
    const pid_t wm = std::stoi(f.Run("sh -c 'openbox >/dev/null 2>&1 & echo $!'"));
    Wait(1000ms);
    ASSERT_TRUE(f.Start());
    const QSize fitted = f.Geometry().size();
    // One notch up: 10 more on each side and 5 above and below (16:9).
    f.Run("xdotool mousemove --window " + std::to_string(f.window) + " 100 200 click 4");
    Wait(500ms);
    ASSERT_EQ(f.Geometry().size(), fitted + QSize(20, 10)) << "a normal size other than the fit";

    Display* dpy = XOpenDisplay(f.server.Display().c_str());
    ASSERT_NE(dpy, nullptr);
    auto atom = [dpy](const char* name) { return long(XInternAtom(dpy, name, False)); };
    XEvent e{};
    e.xclient = {ClientMessage, 0, False, dpy, f.window, Atom(atom("_NET_WM_STATE")), 32, {}};
    e.xclient.data.l[0] = 1;  // add
    e.xclient.data.l[1] = atom("_NET_WM_STATE_MAXIMIZED_VERT");
    e.xclient.data.l[2] = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
    XSendEvent(dpy, DefaultRootWindow(dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XCloseDisplay(dpy);
    Wait(1000ms);
    const QRect maximised = f.Geometry();
    ASSERT_GT(maximised.width(), 1000);

    f.player->Key("f");
    Wait(1000ms);
    EXPECT_EQ(f.Geometry(), kScreen);
    f.player->Key("f");
    Wait(1000ms);
    EXPECT_EQ(f.Geometry(), maximised) << "maximised again";
    f.player->Key("a");
    Wait(2000ms);
    EXPECT_EQ(f.Geometry().size(), fitted) << "the view at the video's size";
    ::kill(wm, SIGTERM);
}

}  // namespace
}  // namespace tavimo::e2e
