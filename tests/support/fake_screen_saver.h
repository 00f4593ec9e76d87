#pragma once

// A ScreenSaver for tests: settings held in memory; every call logged in order.

#include <string>
#include <vector>

#include "platform/screen_saver.h"

namespace tavimo::platform {

class FakeScreenSaver : public ScreenSaver {
  public:
    // `log` (not owned) gets "Get", "SwitchOff", "Put <timeout>".
    explicit FakeScreenSaver(std::vector<std::string>* log) : log_(log) {}
    ScreenSaverSettings Get() override {
        log_->push_back("Get");
        return current;
    }
    void SwitchOff() override {
        log_->push_back("SwitchOff");
        current.timeout = 0;
        current.dpmsEnabled = false;
    }
    void Put(const ScreenSaverSettings& saved) override {
        log_->push_back("Put " + std::to_string(saved.timeout));
        current = saved;
    }
    ScreenSaverSettings current{true, 600, 600, 1, 1, true, true};

  private:
    std::vector<std::string>* log_;
};

}  // namespace tavimo::platform
