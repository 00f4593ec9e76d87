// Deinterlacing as the user chooses it: View > Deinterlace and the D key.
#pragma once

#include <string>

namespace tavimo {

// The stored `Deinterlace` values.
enum DeinterlaceSetting : int { kDeinterlaceAuto = 0, kDeinterlaceOn = 1, kDeinterlaceOff = 2 };

// The setting D moves to from `setting`: Auto, On, Off, then Auto again; a
// value out of that range counts as Auto. Any thread.
int NextDeinterlaceSetting(int setting);

// The note D shows: "Deinterlace: Auto", "Deinterlace: On" or
// "Deinterlace: Off" (out of range: Auto's). Any thread.
std::string DeinterlaceNoteText(int setting);

}  // namespace tavimo
