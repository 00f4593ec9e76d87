// Synchronisation results kept per clip and subtitle file, in the user's
// cache folder, so that opening the same pair again applies the result at
// once. The pair is known by content: the clip by its size and the bytes at
// its start and end, the subtitles by their times and text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "subtitles/subtitle_track.h"
#include "subtitles/sync/sync_align.h"

namespace tavimo::sync {

// "<size>-<hash>" of the file at `path` (its size and the first and last
// 64 KiB); empty when it cannot be read. Any thread; reads 128 KiB at most.
std::string ClipIdentity(const std::string& path);

// A hash of the entries' times (or frames) and texts, as hex. Any thread.
std::string SubtitleIdentity(const SubtitleEntries& entries);

// The results file: one line per pair, oldest first, each with a checksum
// so that a damaged line is skipped while the others are kept. Numbers are
// written the same in every locale; a line whose values no match could give
// (a rate far from 1, an offset of days) is skipped too.
class SyncMemory {
  public:
    static constexpr size_t kMostEntries = 500;

    // `path`: the results file (created on the first Remember).
    explicit SyncMemory(std::string path) : path_(std::move(path)) {}

    // ${XDG_CACHE_HOME:-$HOME/.cache}/tavimo/subtitle-sync.txt
    static std::string DefaultPath();

    // The result remembered for the pair, if any. UI or worker thread.
    std::optional<SyncResult> Find(const std::string& clip, const std::string& subtitles) const;

    // Keeps `result` (matched) for the pair as the newest entry, replacing
    // any for the same pair and dropping the oldest beyond kMostEntries. The
    // file is read and replaced in one step under a lock on "<path>.lock",
    // which other players remembering at the same time wait for. False when
    // it cannot be written. Blocks while another process holds the lock.
    bool Remember(const std::string& clip, const std::string& subtitles, const SyncResult& result);

  private:
    struct Line {
        std::string key;
        std::string text;  // the whole line
    };
    std::vector<Line> ReadLines() const;

    std::string path_;
};

}  // namespace tavimo::sync
