// The subtitle-dump developer tool: reader choice, output format, exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "subtitle_test_util.h"

namespace tavimo {
namespace {

TEST(SubtitleDump, PrintsEntries) {
    ScratchDir dir;
    const struct {
        const char* name;
        const char* file;
        const char* bytes;  // nullptr: not written
        const char* out;    // standard output, then the exit status
    } cases[] = {
        {"SubRip, text escaped", "a.srt", "1\n0:0:1,0 --> 0:0:2,5\nC:\\d\nx\n",
         "1000 2005 0 0 2 C:\\\\d\\nx\nentries 1\nexit 0"},
        {"txt in upper case is SubRip", "B.TXT", "1\n0:0:1,0 --> 0:0:2,0\n\n",
         "1000 2000 0 0 0 \nentries 1\nexit 0"},
        {"MicroDVD", "c.sub", "{25}{50}a|b\n{-1}{7}\n",
         "0 0 25 50 2 a\\nb\n0 0 -1 7 1 \nentries 2\nexit 0"},
        {"extension without a reader", "d.ass", "", "unsupported\nexit 2"},
        {"missing file", "missing.srt", nullptr, "exit 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.bytes ? dir.Write(c.file, c.bytes) : dir.path() + "/" + c.file;
        FILE* pipe = popen(("'" SUBTITLE_DUMP "' '" + path + "' 2>/dev/null").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        for (int ch; (ch = fgetc(pipe)) != EOF;) {
            out.push_back(static_cast<char>(ch));
        }
        const int status = pclose(pipe);
        EXPECT_EQ(out + "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1),
                  c.out);
    }
}

}  // namespace
}  // namespace tavimo
