// The whole of one text or ASS subtitle stream a clip carries, read ahead of
// playback for the subtitle synchroniser: the clip's own source only has the
// cues it has played through. The GStreamer reader lives in
// engine/media/gst_cue_reader.cpp.
#pragma once

#include <atomic>
#include <string>

#include "subtitles/subtitle_track.h"

namespace tavimo {

// Reads every cue of the stream `streamId` (as the clip's own source names
// it) of the local clip at `path` with nothing decoded: text cues become
// entries as the player draws them, ASS events entries with the event's text
// field. False with `error` set when the clip or the stream cannot be read,
// or when `cancel` is set. Worker thread; blocks while the file is read
// (a demuxer's pace: about a second per GB from the page cache).
bool ReadEmbeddedCues(const std::string& path, const std::string& streamId,
                      const std::atomic<bool>& cancel, SubtitleEntries* entries,
                      std::string* error);

}  // namespace tavimo
