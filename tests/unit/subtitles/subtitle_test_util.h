// Helpers shared by the subtitle tests: a scratch folder and entry printing.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "subtitles/subtitle_track.h"

namespace tavimo {

inline void PrintTo(const SubtitleEntry& e, std::ostream* os) {
    *os << "{start " << e.start << ", end " << e.end << ", text \"" << e.text << "\", lines "
        << e.lines << ", frames " << e.startFrame << "-" << e.endFrame << "}";
}

// A folder of its own below $TMPDIR, removed with everything in it.
class ScratchDir {
  public:
    ScratchDir() {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/tavimo-subs-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }

    // Writes `bytes` to the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string file = path_ + "/" + name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

  private:
    std::string path_;
};

}  // namespace tavimo
