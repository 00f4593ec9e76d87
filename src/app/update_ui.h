// Check marks of the menu items, kept apart from the fields they show: a
// stored on/off value other than 0 or 1 acts as on but leaves its mark as it
// was. The frame applies the marks to its actions.
#pragma once

#include <map>

namespace tavimo {

class UpdateUi {
  public:
    // Sets the mark of `command` from `value`: 0 clears it, 1 sets it, any
    // other value leaves it. UI thread.
    void SetCheck(int command, int value) {
        if (value == 0 || value == 1) {
            checks_[command] = value == 1;
        }
    }
    bool Checked(int command) const {
        auto it = checks_.find(command);
        return it != checks_.end() && it->second;
    }

  private:
    std::map<int, bool> checks_;
};

}  // namespace tavimo
