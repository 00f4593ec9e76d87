// Helpers shared by the subtitle tests: entries to compare with, their
// printing, and a scratch folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
struct ScratchDir {
    std::string path = [] {
        std::string p = std::filesystem::temp_directory_path() / "tavimo-subs-XXXXXX";
        return mkdtemp(p.data()) ? p : "/nonexistent";
    }();
    ~ScratchDir() { std::filesystem::remove_all(path, ignored); }
    // Writes `bytes` to the file `name` in the folder; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
        return path + "/" + name;
    }
    std::error_code ignored;  // of the removal
};

}  // namespace tavimo
