#include "platform/paths.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/display_modes.h"
#include "test_dir.h"

namespace tavimo::platform {
namespace {

using testing::TestDir;
namespace fs = std::filesystem;

TEST(SelfExePath, NamesThisProgram) {
    const std::string self = SelfExePath();
    EXPECT_TRUE(fs::path(self).is_absolute()) << self;
    EXPECT_EQ(fs::path(self).filename(), "platform_paths_tests");
    EXPECT_TRUE(fs::is_regular_file(self));
}

// Relative inputs are relative to the folder the test moves into.
struct LongPathCase {
    const char* name;
    std::string input;     // "@" stands for the test folder
    std::string expected;  // "@" likewise
};

const LongPathCase kLongPathCases[] = {
    {"relative name becomes absolute", "clip.mp4", "@/clip.mp4"},
    {"absolute name stays", "@/clip.mp4", "@/clip.mp4"},
    {"dot segments are dropped", "@/./sub/../clip.mp4", "@/clip.mp4"},
    {"doubled separators are dropped", "@//sub///x.mp4", "@/sub/x.mp4"},
    {"a linked file keeps its own name", "link.mp4", "@/link.mp4"},
    {"parent of a linked folder is the real parent", "@/deep/../x.mp4", "@/sub/x.mp4"},
    {"folders count as existing", "sub", "@/sub"},
    {"non-ASCII names", "clé été.mp4", "@/clé été.mp4"},
    {"a missing file is unchanged", "missing.mp4", "missing.mp4"},
    {"a missing absolute path is unchanged", "@/./missing.mp4", "@/./missing.mp4"},
    {"a URL is unchanged", "http://example.com/a.mp4", "http://example.com/a.mp4"},
    {"empty text is unchanged", "", ""},
};

std::string Expand(std::string text, const std::string& root) {
    if (!text.empty() && text[0] == '@')
        text = root + text.substr(1);
    return text;
}

TEST(LongPathName, AbsoluteForExistingPathsOnly) {
    TestDir dir;
    fs::create_directories(dir / "sub/deeper");
    std::ofstream(dir / "clip.mp4") << "x";
    std::ofstream(dir / "sub/x.mp4") << "x";
    std::ofstream(dir / "clé été.mp4") << "x";
    fs::create_symlink(dir / "clip.mp4", dir / "link.mp4");
    fs::create_directory_symlink(dir / "sub/deeper", dir / "deep");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    for (const LongPathCase& c : kLongPathCases) {
        EXPECT_EQ(LongPathName(Expand(c.input, dir.path())), Expand(c.expected, dir.path()))
            << c.name;
    }
    fs::current_path(before);
}

struct FormatCase {
    const char* name;
    DisplayMode mode;
    const char* expected;
};

const FormatCase kFormatCases[] = {
    {"usual mode", {1920, 1080, 24, 60}, "1920x1080x24 60Hz"},
    {"unknown refresh", {1280, 720, 24, 0}, "1280x720x24 0Hz"},
    {"all zero", {}, "0x0x0 0Hz"},
    {"widest numbers fit",
     {INT_MIN, INT_MIN, INT_MIN, INT_MIN},
     "-2147483648x-2147483648x-2147483648 -2147483648Hz"},
};

TEST(FormatDisplayMode, MatchesTheStoredForm) {
    for (const FormatCase& c : kFormatCases)
        EXPECT_EQ(FormatDisplayMode(c.mode), c.expected) << c.name;
}

}  // namespace
}  // namespace tavimo::platform
