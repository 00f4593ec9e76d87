#pragma once

// A ScreenSaver for tests: the suspension held in memory, as a server would
// hold it for one client.

#include "platform/screen_saver.h"

namespace tavimo::platform {

class FakeScreenSaver : public ScreenSaver {
  public:
    void Suspend(bool on) override { suspended = on; }
    bool Suspended() const override { return suspended; }
    bool suspended = false;
};

}  // namespace tavimo::platform
