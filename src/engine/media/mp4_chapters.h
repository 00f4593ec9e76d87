// Chapters of an MP4, M4A or MOV file in the Nero form (the chpl box inside
// moov/udta, as ffmpeg and most taggers write them), which GStreamer 1.22's
// MP4 demuxer does not report in its table of contents.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tavimo {

// The chapters of the file at `path` as (start in 100-ns units, title), in
// the file's order; empty when it has none, is no MP4 file or cannot be read.
// A damaged box gives the chapters before the damage; a box whose size
// points backwards or past its parent ends the walk. Reads the box headers
// on the way (at most 65536 on each level) and the user data box (up to
// 1 MB). Any thread; blocks on the file, so not the UI thread.
std::vector<std::pair<int64_t, std::string>> ReadNeroChapters(const std::string& path);

}  // namespace tavimo
