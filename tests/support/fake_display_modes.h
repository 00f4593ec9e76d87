#pragma once

// A DisplayModes for tests: a fixed list of modes, numbered from 1; records every switch and
// restore in order.

#include <string>
#include <utility>
#include <vector>

#include "platform/display_modes.h"

namespace tavimo::platform {

class FakeDisplayModes : public DisplayModes {
  public:
    explicit FakeDisplayModes(std::vector<DisplayMode> m) : modes(std::move(m)) {}

    std::vector<DisplayMode> modes;
    std::vector<std::string> calls;  // "SwitchTo(3)", "Restore()" in call order
    std::vector<int> switched;       // every index passed to SwitchTo

    bool EnumMode(int i, DisplayMode* mode) override {
        if (i < 1 || i > static_cast<int>(modes.size()))
            return false;
        if (mode)
            *mode = modes[i - 1];
        return true;
    }
    bool SwitchTo(int i) override {
        calls.push_back("SwitchTo(" + std::to_string(i) + ")");
        switched.push_back(i);
        return i >= 1 && i <= static_cast<int>(modes.size());
    }
    void Restore() override { calls.push_back("Restore()"); }
};

}  // namespace tavimo::platform
