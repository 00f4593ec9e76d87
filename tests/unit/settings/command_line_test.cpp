#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/run_player.h"

namespace tavimo {
namespace {

TEST(CommandLinePath, Table) {
    // case, arguments after the program name, the path opened
    const std::tuple<const char*, std::vector<std::string>, std::string> rows[] = {
        {"no arguments: no clip", {}, ""},
        {"split at blanks: joined with one space", {"/tmp/my", "clip.mp4"}, "/tmp/my clip.mp4"},
        {"quoted path keeps inner blanks", {"\"/tmp/my clip.mp4\""}, "/tmp/my clip.mp4"},
        {"runs of quotes at both ends go", {"\"\"\"/x\"\""}, "/x"},
        {"nothing but quotes opens nothing", {"\"\"\""}, ""},
        {"inner quotes stay", {"\"/a.mp4\"", "\"/b.mp4\""}, "/a.mp4\" \"/b.mp4"},
        {"blanks are not trimmed", {" /a.mp4 "}, " /a.mp4 "},
    };
    for (auto [name, args, path] : rows) {
        args.insert(args.begin(), "tavimo");
        std::vector<char*> argv;
        for (std::string& s : args)
            argv.push_back(s.data());
        EXPECT_EQ(CommandLinePath(static_cast<int>(argv.size()), argv.data()), path) << name;
    }
}

}  // namespace
}  // namespace tavimo
