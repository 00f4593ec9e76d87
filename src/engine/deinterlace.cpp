// View > Deinterlace and D: the setting, its note, and the graph told.
#include "engine/deinterlace.h"

#include "engine/player_record.h"
#include "resources/translate.h"

namespace tavimo {
namespace {

int Valid(int setting) {
    return setting == kDeinterlaceOn || setting == kDeinterlaceOff ? setting : kDeinterlaceAuto;
}

}  // namespace

int NextDeinterlaceSetting(int setting) {
    return (Valid(setting) + 1) % 3;
}

std::string DeinterlaceNoteText(int setting) {
    switch (Valid(setting)) {
        case kDeinterlaceOn:
            return TrText("Notes", "Deinterlace: On");
        case kDeinterlaceOff:
            return TrText("Notes", "Deinterlace: Off");
        default:
            return TrText("Notes", "Deinterlace: Auto");
    }
}

void PlayerRecord::SetDeinterlace(int setting) {
    Deinterlace = Valid(setting);
    ApplyDeinterlace();
    Note.Show(DeinterlaceNoteText(Deinterlace));
}

void PlayerRecord::ApplyDeinterlace() {
    std::shared_ptr<IDeinterlace> deinterlace;
    if (pGB && SUCCEEDED(pGB->QueryDeinterlace(&deinterlace)))
        deinterlace->SetDeinterlaceMode(static_cast<DeinterlaceMode>(Valid(Deinterlace)));
}

}  // namespace tavimo
