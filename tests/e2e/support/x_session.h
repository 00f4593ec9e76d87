// End-to-end test support: a private X server, the real player binary started
// in it with its own settings and runtime folders, and the eyes and hands of a
// person (screenshots, xdotool).
#pragma once

#include <sys/types.h>

#include <QImage>
#include <QRect>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/shell.h"

struct _XDisplay;  // Xlib's Display

namespace tavimo::e2e {

// An Xvfb server on a free display number, ended with the object.
class XServer {
  public:
    // `screen`: Xvfb's WIDTHxHEIGHTxDEPTH.
    explicit XServer(const std::string& screen = "1024x768x24");
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Running() const { return pid_ > 0; }
    const std::string& Display() const { return display_; }  // ":N"
    // The whole screen as the user sees it (what `import -window root`
    // saves); null when the server cannot be reached. Calling thread.
    QImage Screenshot() const;

  private:
    pid_t pid_ = -1;
    std::string display_;
    mutable ::_XDisplay* eyes_ = nullptr;  // for Screenshot
};

// Adds the mode WIDTHxHEIGHT (named so with "-test") at `clock` Hz over
// `hTotal` x `vTotal` to the first output of the server `dpy` is connected
// to; it goes with that connection. Xvfb refuses modes larger than the
// screen it started with.
void AddMode(::_XDisplay* dpy, unsigned width, unsigned height, unsigned long clock,
             unsigned hTotal, unsigned vTotal);

// Runs `command` with DISPLAY set to `display`; returns its standard output.
std::string RunIn(const std::string& display, const std::string& command);

// Whether `done` comes true within `limit`, asked every 100 ms (the machine
// may be slow). Calling thread; `done` runs on it.
bool Within(std::chrono::milliseconds limit, const std::function<bool()>& done);
// Whether `read` gives the same value twice running within `limit`, read as
// Within asks: what it reads (a size, a place, a picture) has settled.
template <typename Read>
bool Settles(std::chrono::milliseconds limit, Read read) {
    std::optional<decltype(read())> last;
    return Within(limit, [&] {
        auto now = read();
        const bool same = last && *last == now;
        last = std::move(now);
        return same;
    });
}
// Sleeps the calling thread for `time`: only where time itself must pass.
void Wait(std::chrono::milliseconds time);

// How many pixels of `image` inside `area` `match`.
int Count(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& match);

// Where window `id` on `display` stands and how large it is, as xdotool
// reports it (device pixels); empty when it cannot say.
QRect WindowGeometry(const std::string& display, unsigned long id);
// Whether window `id` on `server` shows on the screen drawn: more than one
// colour where it stands.
bool Drawn(const XServer& server, unsigned long id);
// Once window `id` on `server` is drawn and has the focus (waiting up to
// 10 s, focusing it when it does not take the focus itself), runs xdotool's
// `commands` (say "key Return"); whether it was drawn.
bool TypeInto(const XServer& server, unsigned long id, const std::string& commands);

// Path of the built player.
std::string PlayerBinary();

// Makes the file `path` with gst-launch-1.0 from `pipeline`, which ends in a
// muxer; whether that worked.
bool MakeClip(const std::string& pipeline, const std::string& path);
using test::FileText;

// Installs Tavimo, running `exec`, in the system data folder `system` as a
// package does (its entry declaring MP4, MPEG-TS and SubRip, the folder's
// MIME cache made), beside another player that `config`'s mimeapps.list makes
// the default for MP4; whether that worked.
bool InstallBesideAnother(const std::string& system, const std::string& config,
                          const std::string& exec);

// A user's own settings and runtime folders, made empty for one test, with
// the settings file read and written through the program's own store.
class UserFolders {
  public:
    std::string ConfigHome() const { return config_.path().toStdString(); }
    std::string RuntimeDir() const { return runtime_.path().toStdString(); }
    // Values under the program's settings key.
    void Store(const std::string& name, uint32_t value);
    void Store(const std::string& name, const std::string& text);
    std::optional<uint32_t> Dword(const std::string& name);
    // A text value under `key`; empty when missing.
    std::string Text(const std::string& key, const std::string& name);

  private:
    QTemporaryDir config_;
    QTemporaryDir runtime_;
};

// One run of the tavimo binary on `server` in `user`'s folders (so instances
// see each other), with `env` added to its environment and its standard error
// written to `errors` when given. Killed with the object if still running.
class Player {
  public:
    Player(const XServer& server, const UserFolders& user,
           const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {},
           const std::string& errors = {});
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    pid_t Pid() const { return pid_; }
    // This process's visible windows whose names `name` (a regular
    // expression) matches, as xdotool finds them now.
    std::vector<unsigned long> Windows(const std::string& name = ".*");
    // The X id of this process's main window, waiting up to `timeout`.
    std::optional<unsigned long> WaitForWindow(std::chrono::milliseconds timeout);
    // Exit status once the process ends within `timeout`; nullopt if it is
    // still running.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    bool Running();
    // A visible dialog window of this process (a message box, a file
    // dialog), waiting up to `timeout`.
    std::optional<unsigned long> WaitForBox(std::chrono::milliseconds timeout);
    // Focuses the window and types `keys` (xdotool key names); returns once
    // xdotool has sent them, without waiting for their effect.
    void Key(const std::string& keys);

  private:
    const XServer& server_;
    pid_t pid_ = -1;
    std::optional<int> status_;
    unsigned long window_ = 0;
};

// One test's X server, user folders, media folder and player, as most tests
// use them. Calling thread only.
struct Session {
    explicit Session(const std::string& screen = "1024x768x24") : server(screen) {}
    // Starts the player on `args` without a session bus (`env` added, its
    // standard error to `errors` when given); whether its window showed.
    bool Start(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
               const std::string& errors = {});
    std::string Run(const std::string& command) { return RunIn(server.Display(), command); }
    // The player's window on screen, device pixels.
    QRect Geometry() { return WindowGeometry(server.Display(), window); }
    // Types `keys` into the player; the caller waits for their effect.
    void Press(const std::string& keys) { player->Key(keys); }
    // The name of window `id`, without the line's end.
    std::string Title(unsigned long id);
    // Runs `act`, then waits up to 10 s for a window of the player titled
    // `title` that did not show before; 0 when none came.
    unsigned long NewWindow(const std::string& title, const std::function<void()>& act);

    XServer server;
    UserFolders user;
    QTemporaryDir media;
    std::unique_ptr<Player> player;
    unsigned long window = 0;
};

}  // namespace tavimo::e2e
