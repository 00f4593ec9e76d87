// Play > Night Mode and N: the setting, its note, and the graph told.
#include "engine/player_record.h"
#include "resources/translate.h"

namespace tavimo {

void PlayerRecord::ToggleNightMode() {
    NightMode = NightMode == 0 ? 1 : 0;
    ApplyNightMode();
    Note.Show(NightMode != 0 ? TrText("Notes", "Night mode: on")
                             : TrText("Notes", "Night mode: off"));
}

void PlayerRecord::ApplyNightMode() {
    if (pNM)
        pNM->put_NightMode(NightMode != 0);
}

}  // namespace tavimo
