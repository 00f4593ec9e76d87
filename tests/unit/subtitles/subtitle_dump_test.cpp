// The subtitle-dump developer tool: reader choice, output format, exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "subtitle_test_util.h"

namespace tavimo {
namespace {

struct DumpResult {
    std::string out;
    int status = -1;
};

DumpResult RunDump(const std::string& path) {
    DumpResult result;
    const std::string command = std::string("'") + SUBTITLE_DUMP + "' '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(SubtitleDump, PrintsEntries) {
    ScratchDir dir;
    ASSERT_EQ(mkdir((dir.path() + "/folder.srt").c_str(), 0700), 0);
    const struct {
        const char* name;
        const char* file;
        const char* bytes;  // nullptr: not written
        const char* out;
        int status;
    } cases[] = {
        {"SubRip, text escaped", "a.srt", "1\n0:0:1,0 --> 0:0:2,5\nC:\\dir\nline two\n",
         "1000 2005 0 0 2 C:\\\\dir\\nline two\nentries 1\n", 0},
        {"txt in upper case is SubRip", "B.TXT", "1\n0:0:1,0 --> 0:0:2,0\n\n",
         "1000 2000 0 0 0 \nentries 1\n", 0},
        {"MicroDVD", "c.sub", "{25}{50}a|b\n{-1}{7}\n",
         "0 0 25 50 2 a\\nb\n0 0 -1 7 1 \nentries 2\n", 0},
        {"nothing found", "e.srt", "not a subtitle", "entries 0\n", 0},
        {"extension without a reader", "d.ass", "", "unsupported\n", 2},
        {"no extension", "plain", "", "unsupported\n", 2},
        {"missing file", "missing.srt", nullptr, "", 1},
        {"folder", "folder.srt", nullptr, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path =
            c.bytes != nullptr ? dir.Write(c.file, c.bytes) : dir.path() + "/" + c.file;
        const DumpResult result = RunDump(path);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.status, c.status);
    }
}

}  // namespace
}  // namespace tavimo
