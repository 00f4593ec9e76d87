#include "x_session.h"

#include "../../unit/registry/registry_test_util.h"
#include "app/settings.h"
#include "platform/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tavimo::e2e {

using namespace std::chrono_literals;

std::string RunIn(const std::string& display, const std::string& command) {
    return test::CommandOutput("DISPLAY=" + display + " " + command + " 2>/dev/null");
}

// Xvfb picks a free display itself and writes its number, here after its
// process id, once it accepts connections.
XServer::XServer(const std::string& screen) {
    const std::string command = "Xvfb -displayfd 3 -screen 0 " + screen +
                                " -noreset -nolisten tcp 3>&1 >/dev/null 2>&1 & echo $!";
    if (FILE* out = popen(command.c_str(), "r")) {
        int pid = 0, number = 0;
        if (std::fscanf(out, "%d %d", &pid, &number) == 2) {
            pid_ = pid;
            display_ = ":" + std::to_string(number);
        }
        pclose(out);
    }
}

XServer::~XServer() {
    if (eyes_)
        XCloseDisplay(eyes_);
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
    }
}

// Read in this process over a connection kept open: a tool started for each
// look took seconds on a loaded machine, longer than a subtitle shows.
QImage XServer::Screenshot() const {
    if (!eyes_)
        eyes_ = XOpenDisplay(display_.c_str());
    if (!eyes_)
        return {};
    const Window root = DefaultRootWindow(eyes_);
    XWindowAttributes at{};
    XGetWindowAttributes(eyes_, root, &at);
    XImage* shot = XGetImage(eyes_, root, 0, 0, at.width, at.height, AllPlanes, ZPixmap);
    if (!shot)
        return {};
    // The screens here are 24 bits deep, a pixel in 32 bits as 0x00RRGGBB:
    // Qt's ARGB32 but for the alpha, which the conversion sets.
    const QImage image = QImage(reinterpret_cast<const uchar*>(shot->data), at.width, at.height,
                                shot->bytes_per_line, QImage::Format_ARGB32)
                             .convertToFormat(QImage::Format_RGB32);
    XDestroyImage(shot);
    return image;
}

void AddMode(::_XDisplay* dpy, unsigned width, unsigned height, unsigned long clock,
             unsigned hTotal, unsigned vTotal) {
    std::string name = std::to_string(width) + "x" + std::to_string(height) + "-test";
    XRRModeInfo info{};
    info.width = width, info.height = height, info.dotClock = clock;
    info.hTotal = hTotal, info.vTotal = vTotal;
    info.name = name.data(), info.nameLength = static_cast<unsigned>(name.size());
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, DefaultRootWindow(dpy));
    XRRAddOutputMode(dpy, res->outputs[0], XRRCreateMode(dpy, DefaultRootWindow(dpy), &info));
    XRRFreeScreenResources(res);
    XSync(dpy, False);
}

bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !done(); Wait(100ms)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
    }
    return true;
}

void Wait(std::chrono::milliseconds time) {
    std::this_thread::sleep_for(time);
}

QRect WindowGeometry(const std::string& display, unsigned long id) {
    int x = 0, y = 0, w = 0, h = 0;
    const std::string at =
        RunIn(display, "xdotool getwindowgeometry --shell " + std::to_string(id));
    std::sscanf(at.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &x, &y, &w, &h);
    return QRect(x, y, w, h);
}

int Count(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& match) {
    int count = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += match(image.pixel(x, y)) ? 1 : 0;
    return count;
}

bool Drawn(const XServer& server, unsigned long id) {
    const QImage shot = server.Screenshot().copy(WindowGeometry(server.Display(), id));
    return Count(shot, shot.rect(), [&](QRgb pixel) { return pixel != shot.pixel(0, 0); }) > 0;
}

bool TypeInto(const XServer& server, unsigned long id, const std::string& commands) {
    const std::string window = std::to_string(id);
    const auto focused = [&] {
        return RunIn(server.Display(), "xdotool getwindowfocus") == window + "\n";
    };
    if (!Within(10s, [&] { return Drawn(server, id); }))
        return false;
    // A new window takes the focus itself; one that does not is given it.
    if (!Within(2s, focused))
        RunIn(server.Display(), "xdotool windowfocus --sync " + window);
    RunIn(server.Display(), "xdotool " + commands);
    return true;
}

std::string PlayerBinary() {
    return std::string(TAVIMO_BUILD_DIR) + "/tavimo";
}

bool MakeClip(const std::string& pipeline, const std::string& path) {
    return test::Launch(pipeline + " ! filesink location='" + path + "'");
}

bool InstallBesideAnother(const std::string& system, const std::string& config,
                          const std::string& exec) {
    std::filesystem::create_directories(system + "/applications");
    std::filesystem::create_directories(config);
    std::ofstream(system + "/applications/tavimo.desktop")
        << "[Desktop Entry]\nType=Application\nName=Tavimo\nGenericName=Video Player\nIcon=tavimo\n"
           "Exec=\""
        << exec
        << "\" %f\nCategories=AudioVideo;Video;Player;\nKeywords=video;movie;\n"
           "MimeType=video/mp4;video/mp2t;application/x-subrip;\nActions=new;\n\n"
           "[Desktop Action new]\nName=New Window\nExec=tavimo\n";
    std::ofstream(system + "/applications/other.desktop")
        << "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true "
           "%f\nMimeType=video/mp4;\n";
    std::ofstream(config + "/mimeapps.list") << "[Default Applications]\nvideo/mp4=other.desktop\n";
    return test::Quietly("update-desktop-database '" + system + "/applications'");
}

Player::Player(const XServer& server, const UserFolders& user, const std::vector<std::string>& args,
               const std::vector<std::string>& env, const std::string& errors)
    : server_(server) {
    // A GLib or GStreamer critical stops the player, and so fails the test.
    std::vector<std::string> vars{
        "DISPLAY=" + server.Display(), "XDG_CONFIG_HOME=" + user.ConfigHome(),
        "XDG_RUNTIME_DIR=" + user.RuntimeDir(), "QT_QPA_PLATFORM=xcb", "G_DEBUG=fatal-criticals"};
    vars.insert(vars.end(), env.begin(), env.end());
    std::vector<std::string> argv{PlayerBinary()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& a : argv) {
        cargs.push_back(a.data());
    }
    cargs.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        for (std::string& v : vars) {
            putenv(v.data());
        }
        if (!errors.empty()) {
            dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        }
        execv(cargs[0], cargs.data());
        _exit(127);
    }
}

Player::~Player() {
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    } else if (status_ == 128 + SIGTRAP || status_ == 128 + SIGABRT) {
        ADD_FAILURE() << "the player stopped on signal " << *status_ - 128
                      << " (a GLib critical: see its standard error)";
    }
}

std::vector<unsigned long> Player::Windows(const std::string& name) {
    std::istringstream out(RunIn(
        server_.Display(),
        "xdotool search --onlyvisible --pid " + std::to_string(pid_) + " --name '" + name + "'"));
    std::vector<unsigned long> ids;
    for (unsigned long id = 0; out >> id;)
        ids.push_back(id);
    return ids;
}

std::optional<unsigned long> Player::WaitForWindow(std::chrono::milliseconds timeout) {
    std::vector<unsigned long> found;
    if (!Within(timeout, [&] { return !Running() || !(found = Windows("^Tavimo")).empty(); }) ||
        found.empty())
        return std::nullopt;
    return window_ = found.front();
}

bool Player::Running() {
    return pid_ > 0 && !WaitForExit(0ms).has_value();
}

std::optional<int> Player::WaitForExit(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (int status = 0; !status_ && pid_ > 0; std::this_thread::sleep_for(20ms)) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        } else if (std::chrono::steady_clock::now() >= end) {
            break;
        }
    }
    return status_;
}

std::optional<unsigned long> Player::WaitForBox(std::chrono::milliseconds timeout) {
    std::optional<unsigned long> box;
    Within(timeout, [&] {
        for (unsigned long id : Windows()) {
            const std::string type = RunIn(
                server_.Display(), "xprop -id " + std::to_string(id) + " _NET_WM_WINDOW_TYPE");
            if (type.find("_NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos)
                box = id;
        }
        return box.has_value();
    });
    return box;
}

void Player::Key(const std::string& keys) {
    WaitForWindow(5s);  // the window as it is mapped now
    const std::string id = std::to_string(window_);
    RunIn(server_.Display(), "xdotool windowfocus --sync " + id + " key --clearmodifiers " + keys);
}

namespace {

namespace reg = platform::testing;

std::string SettingsFile(const UserFolders& user) {
    return user.ConfigHome() + "/tavimo/registry.reg";
}

}  // namespace

void UserFolders::Store(const std::string& name, uint32_t value) {
    reg::Put(*platform::OpenRegistryFile(SettingsFile(*this)), kSettingsKey, name,
             platform::REG_DWORD, reg::Dword(value));
}

void UserFolders::Store(const std::string& name, const std::string& text) {
    reg::Put(*platform::OpenRegistryFile(SettingsFile(*this)), kSettingsKey, name, platform::REG_SZ,
             reg::Sz(text));
}

std::optional<uint32_t> UserFolders::Dword(const std::string& name) {
    const std::vector<uint8_t> bytes = reg::Get(SettingsFile(*this), kSettingsKey, name).data;
    uint32_t value = 0;
    std::memcpy(&value, bytes.data(), std::min<size_t>(bytes.size(), 4));
    return bytes.size() == 4 ? std::optional(value) : std::nullopt;
}

std::string UserFolders::Text(const std::string& key, const std::string& name) {
    const std::vector<uint8_t> bytes = reg::Get(SettingsFile(*this), key, name).data;
    return std::string(bytes.begin(), bytes.end()).c_str();
}

bool Session::Start(const std::vector<std::string>& args, const std::vector<std::string>& env,
                    const std::string& errors) {
    std::vector<std::string> vars{"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"};
    vars.insert(vars.end(), env.begin(), env.end());
    player = std::make_unique<Player>(server, user, args, vars, errors);
    window = player->WaitForWindow(15s).value_or(0);
    return window != 0;
}

std::string Session::Title(unsigned long id) {
    const std::string title = Run("xdotool getwindowname " + std::to_string(id));
    return title.substr(0, title.find('\n'));
}

unsigned long Session::NewWindow(const std::string& title, const std::function<void()>& act) {
    const std::vector<unsigned long> before = player->Windows();
    act();
    unsigned long found = 0;
    Within(10s, [&] {
        for (unsigned long id : player->Windows())
            if (std::ranges::count(before, id) == 0 && Title(id) == title)
                found = id;
        return found != 0;
    });
    return found;
}

}  // namespace tavimo::e2e
