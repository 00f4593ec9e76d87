// The X server's screen saver and display power saving, held off for as long
// as this client asks, without touching the server's own settings.
#pragma once

#include <memory>

namespace tavimo::platform {

// A hold that belongs to this process alone: the server counts it per client
// and lifts it when the client's connection ends, also when the process dies.
// The server's timeout and DPMS state are never written.
class ScreenSaver {
  public:
    virtual ~ScreenSaver() = default;
    // Takes (true) or lifts (false) the hold; the same value twice does
    // nothing. Taking it also wakes a screen that has gone blank. UI thread.
    virtual void Suspend(bool on) = 0;
    // Whether the hold is taken. UI thread.
    virtual bool Suspended() const = 0;
};

// On a connection of its own to the X display Qt uses (or $DISPLAY); does
// nothing without X or without the screen saver extension 1.1. UI thread;
// defined in the UI library.
std::unique_ptr<ScreenSaver> MakeScreenSaver();

}  // namespace tavimo::platform
