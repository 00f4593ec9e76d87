#pragma once

// A DisplayModes for tests: a fixed list of modes, numbered from 1, and the mode the display is
// in now, as a display would hold it.

#include <utility>
#include <vector>

#include "platform/display_modes.h"

namespace tavimo::platform {

class FakeDisplayModes : public DisplayModes {
  public:
    explicit FakeDisplayModes(std::vector<DisplayMode> m) : modes(std::move(m)) {}

    std::vector<DisplayMode> modes;
    int current = 0;  // the mode shown now; 0: the one the display started in

    bool EnumMode(int i, DisplayMode* mode) override {
        if (i < 1 || i > static_cast<int>(modes.size()))
            return false;
        if (mode)
            *mode = modes[i - 1];
        return true;
    }
    bool SwitchTo(int i) override {
        if (i < 1 || i > static_cast<int>(modes.size()))
            return false;
        current = i;
        return true;
    }
    void Restore() override { current = 0; }
};

}  // namespace tavimo::platform
