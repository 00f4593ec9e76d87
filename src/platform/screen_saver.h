// The X server's screen saver and display power saving (DPMS): read, held
// off while the player covers the screen, and given back as they were.
#pragma once

#include <memory>

namespace tavimo::platform {

struct ScreenSaverSettings {
    bool known = false;  // false: nothing was read (no X server)
    int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
    bool dpmsCapable = false, dpmsEnabled = false;
    bool operator==(const ScreenSaverSettings&) const = default;
};

class ScreenSaver {
  public:
    virtual ~ScreenSaver() = default;
    // The current settings. UI thread.
    virtual ScreenSaverSettings Get() = 0;
    // No screen saver, no power saving, until Put(). UI thread.
    virtual void SwitchOff() = 0;
    // Puts `saved` (from Get) back exactly; nothing when it is not known.
    virtual void Put(const ScreenSaverSettings& saved) = 0;
};

// The X display Qt uses (or $DISPLAY), on a connection of the screen saver's
// own; does nothing without X. UI thread; defined in the UI library.
std::unique_ptr<ScreenSaver> MakeScreenSaver();

}  // namespace tavimo::platform
