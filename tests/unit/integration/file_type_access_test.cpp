// Register Filetype on a temporary data folder with scripted desktop answers:
// what lands in the desktop entry and mimeapps, the boxes,
// and the failures that must not read as success. Also where the help file is
// found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../platform/test_dir.h"
#include "integration/file_type_access.h"
#include "integration/help_update.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

using platform::testing::TestDir;
using Kind = platform::ScriptedDialogs::Kind;

std::string Read(const std::string& path) {
    return (std::stringstream() << std::ifstream(path).rdbuf()).str();
}

TEST(FileTypeTextsTest, ExtensionsAndExecArguments) {
    const std::pair<const char*, const char*> extensions[] = {
        {"/v/a.b/clip", ""},           {"/v/.hidden", ""},    {"/v/name.", ""},
        {"http://h/live?x=1.2/s", ""}, {"/v/x.tar.GZ", "gz"}, {"/v/clip.mp4?token", ""},
    };
    for (const auto& [path, ext] : extensions)
        EXPECT_EQ(RegistrableExtension(path), ext) << path;
    const std::pair<const char*, const char*> arguments[] = {
        {"/usr/bin/tavimo", "/usr/bin/tavimo"},
        {"/opt/my player/tavimo", "\"/opt/my player/tavimo\""},
        {"/opt/$HOME\\\"q`/t", "\"/opt/\\$HOME\\\\\\\"q\\`/t\""},
        {"/opt/100%/tavimo", "/opt/100%%/tavimo"},
    };
    for (const auto& [path, argument] : arguments)
        EXPECT_EQ(DesktopExecArgument(path), argument) << path;
}

class RegisterFileTypeTest : public ::testing::Test {
  protected:
    void Register(const std::string& clip) {
        const FileTypeContext context{desktop, data.path, "/opt/my player/tavimo", "<svg/>"};
        RegisterFileType(clip, context, dialogs);
    }
    std::string LastBox() {
        auto boxes = dialogs.CallsOf(Kind::MessageBox);
        return boxes.empty() ? "(none)" : boxes.back().caption + ": " + boxes.back().text;
    }

    TestDir data;
    testing::FakeAssociations desktop;
    platform::ScriptedDialogs dialogs;
};

TEST_F(RegisterFileTypeTest, KnownTypesAddUpInOneDesktopEntry) {
    desktop.typeByExtension = {{"avi", "video/x-msvideo"}, {"mkv", "video/x-matroska"}};
    Register("/v/Film.AVI");
    EXPECT_EQ(LastBox(), "Tavimo: Filetype \".avi\" registered with Tavimo");
    Register("/v/Clip.MKV");
    EXPECT_EQ(LastBox(), "Tavimo: Filetype \".mkv\" registered with Tavimo");
    EXPECT_EQ(Read(data / "applications/tavimo.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Tavimo\n"
              "Comment=Tavimo Video File\n"
              "Exec=\"/opt/my player/tavimo\" %f\n"
              "Icon=tavimo\n"
              "Terminal=false\n"
              "Categories=AudioVideo;Video;Player;\n"
              "MimeType=video/x-msvideo;video/x-matroska;\n");
    EXPECT_EQ(Read(data / "icons/hicolor/scalable/apps/tavimo.svg"), "<svg/>");
    EXPECT_EQ(desktop.defaultsSet, (std::vector<std::string>{"video/x-msvideo=tavimo.desktop",
                                                             "video/x-matroska=tavimo.desktop"}));
    EXPECT_FALSE(std::filesystem::exists(data / "mime"));
}

// Nothing for no clip; a box of its own for a name without an extension; a
// failed step is said, with what failed, and later steps do not run.
TEST_F(RegisterFileTypeTest, RefusalsAndFailures) {
    Register("");
    EXPECT_EQ(LastBox(), "(none)");
    Register("/v/README");
    EXPECT_EQ(LastBox(),
              "Tavimo: \"README\" has no file extension, so no file type was registered.");
    EXPECT_TRUE(std::filesystem::is_empty(data.path));

    desktop.toolStatus = -1;  // update-mime-database missing
    Register("/v/a.zq9");
    EXPECT_EQ(LastBox(),
              "Tavimo: Filetype \".zq9\" could not be registered with Tavimo:\n"
              "update-mime-database is not installed");
    EXPECT_TRUE(desktop.defaultsSet.empty());

    desktop.toolStatus = 0;
    desktop.typeByExtension = {{"avi", "video/x-msvideo"}};
    desktop.setDefaultFails = true;
    Register("/v/a.avi");
    EXPECT_EQ(LastBox(),
              "Tavimo: Filetype \".avi\" could not be registered with Tavimo:\n"
              "the default application for video/x-msvideo was not set: mimeapps.list is "
              "read-only");

    desktop.setDefaultFails = false;
    std::ofstream(data / "file") << "x";  // a file where a folder must go
    RegisterFileType("/v/a.avi", {desktop, data / "file", "/t", ""}, dialogs);
    EXPECT_EQ(LastBox(),
              "Tavimo: Filetype \".avi\" could not be registered with Tavimo:\ncannot write " +
                  data.path + "/file/applications/tavimo.desktop: Not a directory");
}

TEST(HelpUpdateTest, TheReadMeHereFirstThenBesideTheProgram) {
    TestDir dir;
    std::filesystem::create_directories(dir / "cwd");
    std::filesystem::create_directories(dir / "usr/share/doc/tavimo");
    const std::string exe = dir / "usr/bin/tavimo";
    EXPECT_EQ(HelpFilePath(dir / "cwd", exe), "") << "neither";
    std::ofstream(dir / "usr/share/doc/tavimo/ReadMe.txt") << "guide";
    EXPECT_EQ(HelpFilePath(dir / "cwd", exe), dir / "usr/share/doc/tavimo/ReadMe.txt");
    std::ofstream(dir / "cwd/ReadMe.txt") << "local";
    EXPECT_EQ(HelpFilePath(dir / "cwd", exe), dir / "cwd/ReadMe.txt");
}

}  // namespace
}  // namespace tavimo
