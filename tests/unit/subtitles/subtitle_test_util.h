// Helpers shared by the subtitle tests: entries to compare with, their
// printing, and a scratch folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "subtitles/subtitle_track.h"

namespace tavimo {

// A time-based entry (ms) and a frame-based one.
inline SubtitleEntry Timed(int64_t start, int64_t end, std::string text = "t", int16_t lines = 1) {
    return {.start = start, .end = end, .text = std::move(text), .lines = lines};
}
inline SubtitleEntry Framed(int32_t start, int32_t end, std::string text = "f", int16_t lines = 1) {
    return {.text = std::move(text), .lines = lines, .startFrame = start, .endFrame = end};
}

inline void PrintTo(const SubtitleEntry& e, std::ostream* os) {
    *os << e.start << "-" << e.end << " frames " << e.startFrame << "-" << e.endFrame << " lines "
        << e.lines << " \"" << e.text << "\"";
}

// A folder of its own below $TMPDIR, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir() { path_ = mkdtemp(pattern_.data()) ? pattern_ : "/nonexistent"; }
    ~ScratchDir() { std::filesystem::remove_all(path_, error_); }
    ScratchDir(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // Writes `bytes` to the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ + "/" + name, std::ios::binary) << bytes;
        return path_ + "/" + name;
    }

  private:
    std::string pattern_ = std::filesystem::temp_directory_path() / "tavimo-subs-XXXXXX";
    std::string path_;
    std::error_code error_;  // of the removal, ignored
};

}  // namespace tavimo
