// What the player record needs from the window that holds it. The main frame
// implements it; tests give a fake.
#pragma once

#include <string>

namespace tavimo {

namespace platform {
class Dialogs;
}

class PlayerHost {
  public:
    virtual ~PlayerHost() = default;
    // Every box and file dialog of the engine goes through these. UI thread.
    virtual platform::Dialogs& Dialogs() = 0;
    // Sets the main window's title (UTF-8). UI thread.
    virtual void SetWindowTitle(const std::string& title) = 0;
};

}  // namespace tavimo
