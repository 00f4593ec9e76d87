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

// The ReadMe F1 opens, as each guide is added in turn to one tree where the
// program runs from <dir>/bin with <dir>/cwd the working folder: none; the
// build's copy in <bin>/data; an installed guide before it; one in the
// working folder before all.
TEST(HelpUpdateTest, TheReadMeHereFirstThenInstalledThenTheBuilds) {
    TestDir dir;
    std::filesystem::create_directories(dir / "cwd");
    const std::string exe = dir / "bin/tavimo";
    EXPECT_EQ(HelpFilePath(dir / "cwd", exe), "") << "none";
    for (const char* guide :
         {"bin/data/ReadMe.txt", "share/doc/tavimo/ReadMe.txt", "cwd/ReadMe.txt"}) {
        std::filesystem::create_directories(std::filesystem::path(dir / guide).parent_path());
        std::ofstream(dir / guide) << "guide";
        EXPECT_EQ(HelpFilePath(dir / "cwd", exe), dir / guide) << guide;
    }
}

}  // namespace
}  // namespace tavimo
