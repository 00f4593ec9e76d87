// Helpers shared by the subtitle tests: entry printing and a scratch folder.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "subtitles/subtitle_track.h"

namespace tavimo {

inline void PrintTo(const SubtitleEntry& e, std::ostream* os) {
    *os << "{" << e.start << "-" << e.end << " frames " << e.startFrame << "-" << e.endFrame
        << " lines " << e.lines << " \"" << e.text << "\"}";
}

// A folder of its own below $TMPDIR, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = std::filesystem::temp_directory_path() / "tavimo-subs-XXXXXX";
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "/nonexistent";
    }
    ~ScratchDir() { std::filesystem::remove_all(path_, error_); }
    ScratchDir(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // Writes `bytes` to the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ + "/" + name, std::ios::binary) << bytes;
        return path_ + "/" + name;
    }

  private:
    std::string path_;
    std::error_code error_;
};

}  // namespace tavimo
