#include "platform/paths.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "platform/display_modes.h"
#include "test_dir.h"

namespace tavimo::platform {
namespace {

namespace fs = std::filesystem;

TEST(LongPathName, AbsoluteForExistingPathsOnly) {
    testing::TestDir dir;
    fs::create_directories(dir / "sub/deeper");
    for (const char* file : {"clip.mp4", "sub/x.mp4"})
        std::ofstream(dir / file) << "x";
    fs::create_symlink(dir / "clip.mp4", dir / "link.mp4");
    fs::create_directory_symlink(dir / "sub/deeper", dir / "deep");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path);
    // case, input, expected; "@" stands for the test folder, the current one
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"relative name becomes absolute", "clip.mp4", "@/clip.mp4"},
        {"dot segments and doubled separators go", "@/./sub/..//clip.mp4", "@/clip.mp4"},
        {"a linked file keeps its own name", "link.mp4", "@/link.mp4"},
        {"parent of a linked folder is the real parent", "@/deep/../x.mp4", "@/sub/x.mp4"},
        {"a missing file is unchanged", "@/./missing.mp4", "@/./missing.mp4"},
        {"a URL is unchanged", "http://example.com/a.mp4", "http://example.com/a.mp4"},
        {"empty text is unchanged", "", ""},
    };
    const auto expand = [&](std::string s) { return s[0] == '@' ? dir.path + s.substr(1) : s; };
    for (const auto& [name, input, expected] : rows)
        EXPECT_EQ(LongPathName(expand(input)), expand(expected)) << name;
    fs::current_path(before);
}

TEST(FormatDisplayMode, WidestNumbersFit) {
    EXPECT_EQ(FormatDisplayMode({INT_MIN, INT_MIN, INT_MIN, INT_MIN}),
              "-2147483648x-2147483648x-2147483648 -2147483648Hz");
}

}  // namespace
}  // namespace tavimo::platform
