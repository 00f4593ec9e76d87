// Registration through the real GIO and shared-mime-info, in XDG folders of
// the test's own: the desktop's answers afterwards, in this process and in a
// separate one (`gio`).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../../unit/platform/test_dir.h"
#include "integration/file_type_access.h"
#include "integration/folder_navigation.h"
#include "platform/desktop.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

using platform::testing::TestDir;

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        std::array<char, 512> buffer{};
        size_t n = 0;
        while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            out.append(buffer.data(), n);
        pclose(pipe);
    }
    return out;
}

class DesktopGioTest : public ::testing::Test {
  protected:
    // GIO reads the XDG variables once: they are set before its first use.
    static void SetUpTestSuite() {
        sandbox = new TestDir();
        setenv("XDG_DATA_HOME", (*sandbox / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (*sandbox / "config").c_str(), 1);
        // A program whose path needs quoting in a desktop entry.
        std::filesystem::create_directories(*sandbox / "my player");
        std::ofstream(*sandbox / "my player/tavimo") << "#!/bin/sh\n";
        ::chmod((*sandbox / "my player/tavimo").c_str(), 0755);
    }
    static void TearDownTestSuite() { delete sandbox; }

    std::string Register(const std::string& clip) {
        platform::ScriptedDialogs dialogs;
        const FileTypeContext context{platform::DesktopAssociations(), *sandbox / "data", Exe(),
                                      "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"};
        RegisterFileType(clip, context, dialogs);
        return dialogs.calls.empty() ? "" : dialogs.calls.back().text;
    }
    static std::string Exe() { return *sandbox / "my player/tavimo"; }

    static inline TestDir* sandbox = nullptr;
};

TEST_F(DesktopGioTest, AKnownExtensionOpensWithUsAfterwards) {
    auto& desktop = platform::DesktopAssociations();
    EXPECT_EQ(desktop.ContentTypeOf("clip.mp4"), "video/mp4");
    PlayerFileTest before(desktop, Exe());
    EXPECT_FALSE(before.IsPlayerFile("a.mp4"));

    EXPECT_EQ(Register("/v/clip.MP4"), "Filetype \".mp4\" registered with Tavimo");
    EXPECT_EQ(desktop.DefaultAppExecutable("video/mp4"), Exe());
    PlayerFileTest after(desktop, Exe());
    EXPECT_TRUE(after.IsPlayerFile("a.mp4"));
    EXPECT_FALSE(after.IsPlayerFile("c.txt"));
    const std::string mime = Shell("gio mime video/mp4");
    EXPECT_NE(mime.substr(0, mime.find('\n')).find(": tavimo.desktop"), std::string::npos)
        << "the default application: " << mime;
}

// Our own type is known to the next process at once (and to this one once
// GIO looks at the MIME database again).
TEST_F(DesktopGioTest, AnUnknownExtensionBecomesOurType) {
    EXPECT_EQ(platform::DesktopAssociations().ContentTypeOf("a.zq9"), "application/octet-stream");
    EXPECT_EQ(Register("/v/show.zq9"), "Filetype \".zq9\" registered with Tavimo");
    const std::string file = *sandbox / "a.zq9";
    std::ofstream(file) << "\x01\x02";
    EXPECT_NE(Shell("gio info -a standard::content-type '" + file + "'")
                  .find("standard::content-type: video/x-tavimo-zq9"),
              std::string::npos);
    const std::string mime = Shell("gio mime video/x-tavimo-zq9");
    EXPECT_NE(mime.substr(0, mime.find('\n')).find(": tavimo.desktop"), std::string::npos) << mime;
    std::ifstream entry(*sandbox / "data/applications/tavimo.desktop");
    std::string text((std::istreambuf_iterator<char>(entry)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("MimeType=video/mp4;video/x-tavimo-zq9;\n"), std::string::npos) << text;
}

// An entry naming the program by a linked name on PATH still means us.
TEST_F(DesktopGioTest, TheProgramIsFoundThroughPathAndLinks) {
    std::filesystem::create_directories(*sandbox / "bin");
    std::filesystem::create_symlink(Exe(), *sandbox / "bin/tv");
    setenv("PATH", (*sandbox / "bin:" + std::string(getenv("PATH"))).c_str(), 1);
    std::filesystem::create_directories(*sandbox / "data/applications");
    std::ofstream(*sandbox / "data/applications/linked.desktop")
        << "[Desktop Entry]\nType=Application\nName=Linked\nExec=tv %f\n";
    auto& desktop = platform::DesktopAssociations();
    std::string error;
    ASSERT_TRUE(desktop.SetDefaultApplication("video/x-linked", "linked.desktop", &error)) << error;
    EXPECT_EQ(desktop.DefaultAppExecutable("video/x-linked"), Exe());
}

}  // namespace
}  // namespace tavimo
