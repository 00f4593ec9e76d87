// Registration through the real GIO and shared-mime-info, in XDG folders of
// the test's own, read back in this process and by a separate one (`gio`).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../../unit/platform/test_dir.h"
#include "integration/file_type_access.h"
#include "platform/desktop.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

using platform::testing::TestDir;

// The first line a command prints.
std::string FirstLine(const std::string& command) {
    std::array<char, 512> line{};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    const bool read = pipe != nullptr && fgets(line.data(), line.size(), pipe) != nullptr;
    if (pipe != nullptr)
        pclose(pipe);
    return read ? line.data() : "";
}

std::string Read(const std::string& path) {
    return (std::stringstream() << std::ifstream(path).rdbuf()).str();
}

class DesktopGioTest : public ::testing::Test {
  protected:
    // GIO reads the XDG variables once: they are set before its first use.
    static void SetUpTestSuite() {
        sandbox = new TestDir();
        setenv("XDG_DATA_HOME", (*sandbox / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (*sandbox / "config").c_str(), 1);
        std::filesystem::create_directories(*sandbox / "my player");  // needs quoting
        std::ofstream(Exe()) << "#!/bin/sh\n";
        ::chmod(Exe().c_str(), 0755);
    }
    static void TearDownTestSuite() { delete sandbox; }
    static std::string Exe() { return *sandbox / "my player/tavimo"; }

    std::string Register(const std::string& clip) {
        platform::ScriptedDialogs dialogs;
        RegisterFileType(clip, {desktop, *sandbox / "data", Exe(), "<svg/>"}, dialogs);
        return dialogs.calls.at(0).text;
    }

    static inline TestDir* sandbox = nullptr;
    platform::FileAssociations& desktop = platform::DesktopAssociations();
};

// A known extension takes the desktop's type, an unknown one gets a type of our
// own; one desktop entry lists both, and GIO, here and in a separate `gio`, then
// names us as their program.
TEST_F(DesktopGioTest, RegisteredTypesOpenWithUsAfterwards) {
    EXPECT_EQ(desktop.ContentTypeOf("a.zq9"), "application/octet-stream");
    EXPECT_EQ(Register("/v/Film.MKV"), "Filetype \".mkv\" registered with Tavimo");
    EXPECT_EQ(Register("/v/show.zq9"), "Filetype \".zq9\" registered with Tavimo");
    EXPECT_EQ(Read(*sandbox / "data/applications/tavimo.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Tavimo\n"
              "Comment=Tavimo Video File\n"
              "Exec=\"" +
                  Exe() +
                  "\" %f\n"
                  "Icon=tavimo\n"
                  "Terminal=false\n"
                  "Categories=AudioVideo;Video;Player;\n"
                  "MimeType=video/x-matroska;video/x-tavimo-zq9;\n");
    EXPECT_EQ(Read(*sandbox / "data/icons/hicolor/scalable/apps/tavimo.svg"), "<svg/>");
    EXPECT_FALSE(std::filesystem::exists(*sandbox / "data/mime/packages/tavimo-mkv.xml"))
        << "a known type needs no package of ours";
    EXPECT_EQ(Read(*sandbox / "data/mime/packages/tavimo-zq9.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
              "  <mime-type type=\"video/x-tavimo-zq9\">\n"
              "    <comment>Tavimo Video File</comment>\n"
              "    <glob pattern=\"*.zq9\"/>\n"
              "  </mime-type>\n"
              "</mime-info>\n");
    EXPECT_EQ(desktop.DefaultAppExecutable("video/x-matroska"), Exe());

    const std::string file = *sandbox / "a.zq9";
    std::ofstream(file) << "\x01\x02";
    EXPECT_EQ(FirstLine("gio info -a standard::content-type '" + file + "' | tail -1"),
              "  standard::content-type: video/x-tavimo-zq9\n");
    EXPECT_NE(FirstLine("gio mime video/x-tavimo-zq9").find(": tavimo.desktop"), std::string::npos);
}

// An entry naming the program by a linked name on PATH still means us.
TEST_F(DesktopGioTest, TheProgramIsFoundThroughPathAndLinks) {
    std::filesystem::create_directories(*sandbox / "bin");
    std::filesystem::create_symlink(Exe(), *sandbox / "bin/tv");
    setenv("PATH", (*sandbox / "bin:" + std::string(getenv("PATH"))).c_str(), 1);
    std::filesystem::create_directories(*sandbox / "data/applications");
    std::ofstream(*sandbox / "data/applications/linked.desktop")
        << "[Desktop Entry]\nType=Application\nName=Linked\nExec=tv %f\n";
    std::string error;
    ASSERT_TRUE(desktop.SetDefaultApplication("video/x-linked", "linked.desktop", &error)) << error;
    EXPECT_EQ(desktop.DefaultAppExecutable("video/x-linked"), Exe());
}

}  // namespace
}  // namespace tavimo
