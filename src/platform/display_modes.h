#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace tavimo::platform {

// One display mode of the primary output; sizes in pixels, frequency in Hz.
struct DisplayMode {
    int width = 0, height = 0, bitsPerPel = 0, frequency = 0;
};

// "%dx%dx%d %dHz" (width, height, bits per pixel, frequency). Any thread.
inline std::string FormatDisplayMode(const DisplayMode& mode) {
    char text[64];  // four ints with their separators always fit
    std::snprintf(text, sizeof(text), "%dx%dx%d %dHz", mode.width, mode.height, mode.bitsPerPel,
                  mode.frequency);
    return text;
}

class DisplayModes {
  public:
    virtual ~DisplayModes() = default;
    // Mode i, numbered from 1, of the primary output. False past the last (and always without
    // RandR). UI thread.
    virtual bool EnumMode(int i, DisplayMode* mode) = 0;
    // Switches the primary output to mode i; Restore() puts back the mode in use before the first
    // switch. Return false on failure. UI thread.
    virtual bool SwitchTo(int i) = 0;
    virtual void Restore() = 0;
};

// XRandR on the X display Qt uses (or $DISPLAY); no modes without X or RandR. UI thread; the
// caller owns the result. Defined in the UI library.
std::unique_ptr<DisplayModes> MakeDisplayModes();

}  // namespace tavimo::platform
