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
    FakeDisplayModes() = default;
    explicit FakeDisplayModes(std::vector<DisplayMode> m) : modes(std::move(m)) {}

    std::vector<DisplayMode> modes;
    bool failSwitch = false;         // SwitchTo answers false (and records the attempt)
    std::vector<std::string> calls;  // "SwitchTo(3)", "Restore()" in call order
    std::vector<int> switched;       // every index passed to SwitchTo
    int restores = 0;
    int current = 0;  // index switched to, 0 while in the original mode

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
        if (failSwitch || i < 1 || i > static_cast<int>(modes.size()))
            return false;
        current = i;
        return true;
    }
    void Restore() override {
        calls.push_back("Restore()");
        ++restores;
        current = 0;
    }
};

}  // namespace tavimo::platform
