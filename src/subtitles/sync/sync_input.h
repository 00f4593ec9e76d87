// The cues of a subtitle file for the synchroniser, read by its extension.
#pragma once

#include <string>

#include "subtitles/subtitle_track.h"

namespace tavimo::sync {

// Reads `path` (.srt/.txt SubRip, .sub MicroDVD, .ass/.ssa script events)
// into `entries`. False with `error` set when the extension has no reader or
// the file cannot be read. Any thread.
bool ReadSubtitleEntries(const std::string& path, SubtitleEntries* entries, std::string* error);

}  // namespace tavimo::sync
