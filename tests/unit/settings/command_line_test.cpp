#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_player.h"

namespace tavimo {
namespace {

struct CommandLineCase {
    const char* name;
    std::vector<std::string> args;  // after the program name
    std::string path;
};

const CommandLineCase kCases[] = {
    {"no arguments: no clip", {}, ""},
    {"one plain path", {"/tmp/a.mp4"}, "/tmp/a.mp4"},
    {"split at blanks: joined with one space", {"/tmp/my", "clip.mp4"}, "/tmp/my clip.mp4"},
    {"quoted path keeps inner blanks", {"\"/tmp/my clip.mp4\""}, "/tmp/my clip.mp4"},
    {"runs of quotes at both ends go", {"\"\"\"/x\"\""}, "/x"},
    {"nothing but quotes opens nothing", {"\"\"\""}, ""},
    {"inner quotes stay", {"\"/a.mp4\"", "\"/b.mp4\""}, "/a.mp4\" \"/b.mp4"},
    {"blanks are not trimmed", {" /a.mp4 "}, " /a.mp4 "},
    {"a URL", {"http://127.0.0.1:1/x.mp4"}, "http://127.0.0.1:1/x.mp4"},
};

TEST(CommandLinePath, Table) {
    for (const CommandLineCase& c : kCases) {
        std::vector<std::string> storage{"tavimo"};
        storage.insert(storage.end(), c.args.begin(), c.args.end());
        std::vector<char*> argv;
        for (std::string& s : storage) {
            argv.push_back(s.data());
        }
        EXPECT_EQ(CommandLinePath(static_cast<int>(argv.size()), argv.data()), c.path) << c.name;
    }
}

}  // namespace
}  // namespace tavimo
