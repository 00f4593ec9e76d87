// Register Filetype with scripted desktop answers: the extension and the Exec
// argument, and the failures that must not read as success (what a success
// writes is checked through the real GIO). Also where the help file is found.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

TEST(FileTypeTextsTest, ExtensionsAndExecArguments) {
    const std::pair<const char*, const char*> extensions[] = {
        {"/v/a.b/clip", ""},           {"/v/.hidden", ""},    {"/v/name.", ""},
        {"http://h/live?x=1.2/s", ""}, {"/v/x.tar.GZ", "gz"}, {"/v/clip.mp4?token", ""},
    };
    for (const auto& [path, ext] : extensions)
        EXPECT_EQ(RegistrableExtension(path), ext) << path;
    const std::pair<const char*, const char*> arguments[] = {
        {"/usr/bin/tavimo", "/usr/bin/tavimo"},
        {"/opt/$HOME\\\"q`/t", "\"/opt/\\$HOME\\\\\\\"q\\`/t\""},
        {"/opt/100%/tavimo", "/opt/100%%/tavimo"},
    };
    for (const auto& [path, argument] : arguments)
        EXPECT_EQ(DesktopExecArgument(path), argument) << path;
}

// Nothing for no clip; a box of its own for a name without an extension; a
// failed step is said, with what failed, and later steps do not run.
TEST(RegisterFileTypeTest, RefusalsAndFailures) {
    TestDir data;
    testing::FakeAssociations desktop;
    platform::ScriptedDialogs dialogs;
    // The last box after registering `clip` with `home` as the data folder.
    const auto box = [&](const std::string& clip, const std::string& home) {
        RegisterFileType(clip, {desktop, home, "/t", ""}, dialogs);
        auto boxes = dialogs.CallsOf(Kind::MessageBox);
        return boxes.empty() ? "(none)" : boxes.back().caption + ": " + boxes.back().text;
    };
    EXPECT_EQ(box("", data.path), "(none)");
    EXPECT_EQ(box("/v/README", data.path),
              "Tavimo: \"README\" has no file extension, so no file type was registered.");
    EXPECT_TRUE(std::filesystem::is_empty(data.path));

    desktop.toolStatus = -1;  // update-mime-database missing
    EXPECT_EQ(box("/v/a.zq9", data.path),
              "Tavimo: Filetype \".zq9\" could not be registered with Tavimo:\n"
              "update-mime-database is not installed");
    EXPECT_FALSE(std::filesystem::exists(data / "applications")) << "no entry after a failure";

    desktop.toolStatus = 0;
    desktop.typeByExtension = {{"avi", "video/x-msvideo"}};
    desktop.setDefaultFails = true;
    EXPECT_EQ(box("/v/a.avi", data.path),
              "Tavimo: Filetype \".avi\" could not be registered with Tavimo:\n"
              "the default application for video/x-msvideo was not set: mimeapps.list is "
              "read-only");

    desktop.setDefaultFails = false;
    std::ofstream(data / "file") << "x";  // a file where a folder must go
    EXPECT_EQ(box("/v/a.avi", data / "file"),
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

// Run from its build folder (no installed guide), F1 opens the build's copy
// in <build>/data; an installed guide comes first.
TEST(HelpUpdateTest, FromTheBuildFolderTheBuildsReadMe) {
    TestDir dir;
    std::filesystem::create_directories(dir / "src/build/data");
    const std::string exe = dir / "src/build/tavimo";
    EXPECT_EQ(HelpFilePath(dir / "src", exe), "") << "none";
    std::ofstream(dir / "src/build/data/ReadMe.txt") << "guide";
    EXPECT_EQ(HelpFilePath(dir / "src", exe), dir / "src/build/data/ReadMe.txt");
    std::filesystem::create_directories(dir / "src/share/doc/tavimo");
    std::ofstream(dir / "src/share/doc/tavimo/ReadMe.txt") << "installed";
    EXPECT_EQ(HelpFilePath(dir / "src", exe), dir / "src/share/doc/tavimo/ReadMe.txt");
}

}  // namespace
}  // namespace tavimo
