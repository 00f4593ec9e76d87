// The remembered options: where each one lives, its registry value, type and
// default, and the load at start-up and the save at close.
#pragma once

#include "app/update_ui.h"

namespace tavimo {

class PlayerRecord;
namespace platform {
class Registry;
class DisplayModes;
}  // namespace platform

// The registry key of the settings, below the user's root.
inline constexpr char kSettingsKey[] = "Software\\Orvenic\\Tavimo";

// The settings fields the frame itself holds.
struct FrameSettings {
    int ToolBarVisible = 1;
    int SeekBarVisible = 1;
    int AllowMultipleInstances = 0;
};

// The whole settings record: the frame's fields and the player record's.
struct Settings {
    PlayerRecord& record;
    FrameSettings& frame;
};

// Overlays what the registry holds on the defaults already in `settings` and
// sets the check marks of the values that have one. A missing key, a missing
// value or a value of the wrong type leaves the default. UI thread, before
// the main window exists.
void LoadSettings(Settings settings, platform::Registry& registry, platform::DisplayModes& modes,
                  UpdateUi& ui);

// Writes every value into the existing key; writes nothing when the key does
// not exist yet. `Resolution` is deleted when the index is 0. UI thread.
void SaveSettings(Settings settings, platform::Registry& registry, platform::DisplayModes& modes);

}  // namespace tavimo
