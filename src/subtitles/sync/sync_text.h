// What the subtitle synchroniser says and writes: the command line's line,
// the note on the picture, the subtitles retimed, a corrected SubRip file,
// and the cue times of an ASS/SSA script.
#pragma once

#include <string>
#include <string_view>

#include "subtitles/subtitle_track.h"
#include "subtitles/sync/sync_align.h"

namespace tavimo::sync {

// "delay +2.350 s", "delay -1.200 s, frame rate 25 -> 23.976",
// "delay +1.000 s until 0:41:07.200, then +31.400 s" (the time is the clip
// time where the next part starts). For a matched result. Any thread.
std::string ResultLine(const SyncResult& result);

// "Subtitles synchronised: +2.35 s", "Subtitles synchronised: −1.20 s,
// 25 → 23.976 fps", "Subtitles synchronised: +1.00 s in 2 parts"; with
// `remembered`, " (remembered)" after it. UTF-8. Any thread.
std::string ResultNote(const SyncResult& result, bool remembered);

// A frame rate as the shortest text that reads back the same ("23.976",
// "25"), with a decimal point under every locale. Any thread.
std::string RateText(double fps);

// `entries` with the result's ratio and the parts' offsets applied; with
// `withDelay` false the first part's offset is left out (the player keeps it
// as the subtitle delay, so that Z, X and Shift+Z work from it). Frame-based
// entries become times at `fps` when anything but the delay changes them.
// Entries that would end before 0 are dropped; starts below 0 become 0.
// Any thread.
SubtitleEntries Retimed(const SubtitleEntries& entries, const SyncResult& result, double fps,
                        bool withDelay);

// `entries` (time-based) as a SubRip file, numbered from 1. Any thread.
std::string SubRipText(const SubtitleEntries& entries);

// The "Dialogue:" events of an ASS/SSA script as entries (times only matter;
// the text is the event's text field), in file order. Any thread.
SubtitleEntries AssDialogueEntries(std::string_view script);

}  // namespace tavimo::sync
