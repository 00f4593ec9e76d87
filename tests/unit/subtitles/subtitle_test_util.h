// A scratch folder for the subtitle tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tavimo {

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
