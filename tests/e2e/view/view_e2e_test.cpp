// The real program with the demo clip under Xvfb (1024 x 768, no window
// manager): seeking with the seek bar, full screen with its bar at the top,
// the mouse's double click and wheel, a black view after a failed open, and
// no accelerator while the View menu has the keyboard.
#include <gtest/gtest.h>

#include <QColor>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "platform/registry.h"
#include "resources/resources.h"
#include "x_session.h"

// After the rest: Xlib's macros clash with their names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

bool IsFill(QRgb pixel) {
    const QColor c(pixel);
    return std::abs(c.red() - 214) < 12 && std::abs(c.green() - 165) < 12 && c.blue() < 20;
}
bool IsBlack(QRgb pixel) {
    return QColor(pixel).value() < 16;
}

struct Fixture {
    XServer server;
    UserFolders user;
    QTemporaryDir media;
    std::string clip;
    std::unique_ptr<Player> player;
    unsigned long window = 0;

    bool Start() {
        clip = media.filePath("demo.mp4").toStdString();
        std::filesystem::copy_file(std::string(TAVIMO_BUILD_DIR) + "/demo/demo.mp4", clip);
        player = std::make_unique<Player>(server, user.ConfigHome(), user.RuntimeDir(),
                                          std::vector<std::string>{clip});
        const auto id = player->WaitForWindow(15s);
        window = id.value_or(0);
        std::this_thread::sleep_for(1500ms);
        return id.has_value();
    }
    QRect Geometry() {
        int x = 0, y = 0, w = 0, h = 0;
        const std::string at = Run("xdotool getwindowgeometry --shell " + std::to_string(window));
        std::sscanf(at.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &w, &h);
        return QRect(x, y, w, h);
    }
    std::string Run(const std::string& command) { return RunIn(server.Display(), command); }
    void Mouse(const std::string& actions) { Run("xdotool " + actions); }
    int VisibleWindows() {
        const std::string out =
            Run("xdotool search --onlyvisible --pid " + std::to_string(player->Pid()) + " ''");
        return static_cast<int>(std::count(out.begin(), out.end(), '\n'));
    }
};

// The seek bar's client area in a screenshot: its fill starts at the left of
// it, and its black border ends it on the right (along the bottom row, where
// no text is).
QRect SeekBarIn(const QImage& shot) {
    for (int y = 40; y < 120; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (!IsFill(shot.pixel(x, y)))
                continue;
            int bottom = y;
            while (IsFill(shot.pixel(x, bottom + 1)))
                ++bottom;
            int right = x;
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

TEST(ViewE2e, SeekBarFullScreenAndMouse) {
    Fixture f;
    ASSERT_TRUE(f.server.Running());
    ASSERT_TRUE(f.Start());
    const QRect window = f.Geometry();
    ASSERT_EQ(window.topLeft(), QPoint(0, 0));

    // A click at three quarters of the bar: playback goes on from there.
    QImage before;
    QRect bar;
    for (int i = 0; i < 20 && bar.isEmpty(); ++i, std::this_thread::sleep_for(250ms))
        bar = SeekBarIn(before = f.server.Screenshot());  // once the fill shows
    ASSERT_GT(bar.width(), 200) << "seek bar found";
    EXPECT_LT(FillEnd(before, bar), bar.width() / 2);
    const QPoint threeQuarters(bar.left() + bar.width() * 3 / 4, bar.center().y());
    f.Mouse("mousemove " + std::to_string(threeQuarters.x()) + " " +
            std::to_string(threeQuarters.y()) + " click 1");
    std::this_thread::sleep_for(600ms);
    const int after =
        FillEnd(f.server.Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-seek.png"), bar);
    EXPECT_GE(after, bar.width() * 7 / 10);

    // F covers the screen; a movement shows the bar across the top, holding
    // still hides it again within 6 s.
    f.player->Key("f");
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(f.Geometry(), QRect(0, 0, 1024, 768));
    f.Mouse("mousemove 500 400");
    std::this_thread::sleep_for(200ms);
    f.Mouse("mousemove 520 420");
    std::this_thread::sleep_for(400ms);
    QImage shot = f.server.Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-fullscreen-bar.png");
    EXPECT_FALSE(IsBlack(shot.pixel(200, 10))) << "the bar at the top";
    EXPECT_TRUE(IsBlack(shot.pixel(200, 40))) << "the letterbox below it";
    std::this_thread::sleep_for(6500ms);
    shot = f.server.Screenshot();
    EXPECT_TRUE(IsBlack(shot.pixel(200, 10))) << "the bar hidden again";

    // Esc leaves full screen and stops; a double click enters again.
    f.player->Key("Escape");
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(f.Geometry(), window);
    EXPECT_TRUE(f.player->Running());
    f.Mouse("mousemove 300 250 click --repeat 2 --delay 60 1");
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(f.Geometry(), QRect(0, 0, 1024, 768)) << "double click";
    f.Mouse("click --repeat 2 --delay 60 1");
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(f.Geometry(), window);

    // One notch up grows the frame by 10 on each side and 5 above and below (16:9).
    f.Mouse("mousemove 300 250 click 4");
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(f.Geometry().size(), window.size() + QSize(20, 10));

    // A failed open closes the clip: nothing of the last picture is left.
    const std::string bad = f.media.filePath("broken.mp4").toStdString();
    std::ofstream(bad) << "not a clip";
    f.player->Key("ctrl+o");
    std::this_thread::sleep_for(1000ms);
    f.Run("xdotool type --delay 20 '" + bad + "'");
    f.Run("xdotool key Return");
    std::this_thread::sleep_for(2000ms);
    f.Run("xdotool key Return");  // the error box
    std::this_thread::sleep_for(800ms);
    const QRect view = f.Geometry();
    shot = f.server.Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-closed.png");
    int lit = 0;
    QPoint first;
    for (int y = view.bottom() - 300; y < view.bottom(); y += 7)
        for (int x = std::max(0, view.left() + 5); x < view.right() - 5; x += 7)
            if (!IsBlack(shot.pixel(x, y)) && lit++ == 0)
                first = QPoint(x, y);
    EXPECT_EQ(lit, 0) << "the view is black; lit at " << first.x() << ", " << first.y();
}

// The screen's size and the screen saver's timeout as another client sees them.
struct ScreenState {
    int width = 0, height = 0, saverTimeout = -1;
    bool operator==(const ScreenState&) const = default;
};
ScreenState Screen(Display* dpy) {
    ScreenState s;
    Window root;
    int x, y, interval, blanking, exposures;
    unsigned w, h, border, depth;
    XGetGeometry(dpy, DefaultRootWindow(dpy), &root, &x, &y, &w, &h, &border, &depth);
    XGetScreenSaver(dpy, &s.saverTimeout, &interval, &blanking, &exposures);
    s.width = static_cast<int>(w);
    s.height = static_cast<int>(h);
    return s;
}

// With a display mode chosen, full screen switches Xvfb's RandR output to it
// and covers the new screen; leaving, and closing the player while in full
// screen, put the mode and the screen saver back.
TEST(ViewE2e, FullScreenInAChosenDisplayMode) {
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
    const ScreenState original = Screen(dpy);
    ASSERT_EQ(original, (ScreenState{1024, 768, 300}));
    {
        auto registry = platform::OpenRegistryFile(f.user.ConfigHome() + "/tavimo/registry.reg");
        platform::RegKey key = nullptr;
        ASSERT_EQ(registry->CreateKey("Software\\Orvenic\\Tavimo", &key), platform::ERROR_SUCCESS);
        const std::string mode = "800x600x24 60Hz";
        registry->SetValue(key, "Resolution", platform::REG_SZ,
                           reinterpret_cast<const uint8_t*>(mode.c_str()), mode.size() + 1);
        registry->CloseKey(key);
    }
    ASSERT_TRUE(f.Start());
    const QRect window = f.Geometry();

    f.player->Key("f");
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(Screen(dpy), (ScreenState{800, 600, 0}));
    EXPECT_EQ(f.Geometry(), QRect(0, 0, 800, 600)) << "the screen after the switch";
    f.player->Key("f");
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(Screen(dpy), original);
    EXPECT_EQ(f.Geometry(), window);

    f.player->Key("f");
    std::this_thread::sleep_for(1500ms);
    ASSERT_EQ(Screen(dpy).width, 800);
    // A second instance asks this one to close: it leaves full screen first.
    Player second(f.server, f.user.ConfigHome(), f.user.RuntimeDir(), {"/nonexistent.mp4"});
    EXPECT_EQ(f.player->WaitForExit(10s), 0);
    EXPECT_EQ(Screen(dpy), original);
    XCloseDisplay(dpy);
}

// Under a window manager (openbox): full screen covers the screen and gives
// a maximised frame back maximised; fitting a maximised frame to the video
// ends with the view at the video's size, and the window manager's late
// restore does not undo it.
TEST(ViewE2e, UnderAWindowManager) {
    Fixture f;
    ASSERT_TRUE(f.server.Running());
    const std::string wm = f.Run("sh -c 'openbox >/dev/null 2>&1 & echo $!'");
    if (wm.empty() || f.Run("command -v openbox").empty())
        GTEST_SKIP() << "no openbox";
    const pid_t wmPid = std::stoi(wm);
    std::this_thread::sleep_for(1000ms);
    ASSERT_TRUE(f.Start());
    const QSize fitted = f.Geometry().size();
    f.Mouse("mousemove --window " + std::to_string(f.window) + " 100 200 click 4");
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(f.Geometry().size(), fitted + QSize(20, 10)) << "normal size other than the fit";

    Display* dpy = XOpenDisplay(f.server.Display().c_str());
    ASSERT_NE(dpy, nullptr);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = f.window;
    e.xclient.message_type = XInternAtom(dpy, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1;  // add
    e.xclient.data.l[1] =
        static_cast<long>(XInternAtom(dpy, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    e.xclient.data.l[2] =
        static_cast<long>(XInternAtom(dpy, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    e.xclient.data.l[3] = 1;
    XSendEvent(dpy, DefaultRootWindow(dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XCloseDisplay(dpy);
    std::this_thread::sleep_for(1000ms);
    const QRect maximised = f.Geometry();
    ASSERT_GT(maximised.width(), 1000);

    f.player->Key("f");
    std::this_thread::sleep_for(1000ms);
    EXPECT_EQ(f.Geometry(), QRect(0, 0, 1024, 768));
    f.player->Key("f");
    std::this_thread::sleep_for(1000ms);
    EXPECT_EQ(f.Geometry(), maximised) << "maximised again";

    f.player->Key("a");
    std::this_thread::sleep_for(2000ms);
    EXPECT_EQ(f.Geometry().size(), fitted) << "the view at the video's size";
    ::kill(wmPid, SIGTERM);
}

// xdotool's names for the keys of the accelerator table.
std::string KeyName(const res::Accelerator& a) {
    static const std::map<int, std::string> names = {
        {Qt::Key_Comma, "comma"},
        {Qt::Key_Period, "period"},
        {Qt::Key_Escape, "Escape"},
        {Qt::Key_O, "o"},
        {Qt::Key_F, "f"},
        {Qt::Key_Return, "Return"},
        {Qt::Key_Enter, "KP_Enter"},
        {Qt::Key_F1, "F1"},
        {Qt::Key_MediaNext, "XF86AudioNext"},
        {Qt::Key_PageDown, "Next"},
        {Qt::Key_F6, "F6"},
        {Qt::Key_A, "a"},
        {Qt::Key_Space, "space"},
        {Qt::Key_MediaTogglePlayPause, "XF86AudioPlay"},
        {Qt::Key_MediaPlay, "XF86AudioPlay"},
        {Qt::Key_MediaPrevious, "XF86AudioPrev"},
        {Qt::Key_PageUp, "Prior"},
        {Qt::Key_S, "s"},
        {Qt::Key_MediaStop, "XF86AudioStop"},
        {Qt::Key_Down, "Down"},
        {Qt::Key_Up, "Up"},
        {Qt::Key_C, "c"},
        {Qt::Key_Left, "Left"},
        {Qt::Key_Right, "Right"},
        {Qt::Key_Delete, "Delete"},
    };
    auto it = names.find(a.key);
    if (it == names.end())
        return {};
    std::string name;
    if (a.modifiers & Qt::ShiftModifier)
        name += "shift+";
    if (a.modifiers & Qt::ControlModifier)
        name += "ctrl+";
    if (a.modifiers & Qt::AltModifier)
        name += "alt+";
    return name + it->second;
}

// With the View menu open every key of the table belongs to the menu: the
// window keeps its place and size (stretch keys, F, Alt+Enter), no dialog or
// box opens (Ctrl+O, Delete), the volume and View Subtitles stay as they were.
TEST(ViewE2e, NoAcceleratorWhileTheMenuIsOpen) {
    Fixture f;
    ASSERT_TRUE(f.server.Running());
    ASSERT_TRUE(f.Start());
    f.player->Key("space");  // paused, so that the clip stays open throughout
    const QRect window = f.Geometry();
    const int windows = f.VisibleWindows();
    for (const res::Accelerator& a : res::AcceleratorTable()) {
        const std::string key = KeyName(a);
        ASSERT_FALSE(key.empty()) << "no xdotool name for Qt key " << a.key;
        if (a.modifiers & Qt::AltModifier)
            continue;  // pressing Alt closes the menu: the key that follows is the window's
        f.Mouse("mousemove 148 8 click 1");  // the View menu
        std::this_thread::sleep_for(300ms);
        f.Run("xdotool key --clearmodifiers " + key);
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(f.Geometry(), window) << key;
        f.Mouse("mousemove 600 300 click 1");  // closes what the key left open
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(f.VisibleWindows(), windows) << key << " opened a window";
        ASSERT_TRUE(f.player->Running()) << key;
    }
    f.player->Key("Escape");
    f.player->Key("Escape");
    ASSERT_EQ(f.player->WaitForExit(10s), 0);
    EXPECT_EQ(f.user.Dword("Software\\Orvenic\\Tavimo", "Volume"), 100u);
    EXPECT_EQ(f.user.Dword("Software\\Orvenic\\Tavimo", "ViewSubtitles"), 1u);
}

}  // namespace
}  // namespace tavimo::e2e
