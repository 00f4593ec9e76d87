// The player's files on the desktop. Register Filetype with scripted desktop
// answers: the extension and the Exec argument, and the failures that must
// not read as success (what a success writes is checked through the real
// GIO); where the help file is found. Stepping through a real folder:
// file-manager order, which files count as the player's, no wrap-around, the
// current clip gone, paths without a folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "../platform/test_dir.h"
#include "integration/file_type_access.h"
#include "integration/folder_navigation.h"
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
    data.Write("file");  // a file where a folder must go
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
        dir.Write(guide, "guide");
        EXPECT_EQ(HelpFilePath(dir / "cwd", exe), dir / guide) << guide;
    }
}

constexpr char kSelf[] = "/opt/tavimo/bin/tavimo";

TEST(FolderNavigationTest, FileManagerOrder) {
    std::vector<std::string> names = {"f.mp4",  "b10.mp4", "été.mp4", "b2.mp4",
                                      "B2.mp4", "a.mp4",   "clip 9",  "clip 10"};
    SortLikeFileManager(names);
    EXPECT_EQ(names, (std::vector<std::string>{"a.mp4", "B2.mp4", "b2.mp4", "b10.mp4", "clip 9",
                                               "clip 10", "été.mp4", "f.mp4"}));
}

TEST(FolderNavigationTest, StepsThroughTheFolder) {
    TestDir dir;
    for (const char* name : {"d.avi", "c.txt", "a.avi", "b.avi", "b.SRT", "e.mkv"})
        dir.Write(name);
    ::mkdir((dir / "c2.avi").c_str(), 0755);  // a folder between b.avi and d.avi
    enum Step { Next, Previous };
    // Name, the clip, the step, the file it opens.
    const std::tuple<const char*, std::string, Step, std::optional<std::string>> rows[] = {
        {"next passes over subtitles offered to us, text and folders", dir / "b.avi", Next,
         dir / "d.avi"},
        {"clip deleted: next", dir / "bb.avi", Next, std::nullopt},
        {"clip deleted: previous opens the last of ours", dir / "bb.avi", Previous, dir / "d.avi"},
        {"a program named in another case is not us", dir / "d.avi", Next, std::nullopt},
        {"names are case-sensitive", dir / "B.avi", Next, std::nullopt},
        {"from a text file", dir / "c.txt", Next, dir / "d.avi"},
        {"URL", "file://" + dir.path + "/b.avi", Next, std::nullopt},
        {"bare name", "b.avi", Previous, std::nullopt},
        {"folder gone", dir / "gone/b.avi", Previous, std::nullopt},
    };
    testing::FakeAssociations desktop;
    desktop.typeByExtension = {{"avi", "video/x-msvideo"},
                               {"txt", "text/plain"},
                               {"SRT", "application/x-subrip"},
                               {"mkv", "video/x-matroska"}};
    // A type counts when the running executable, exactly, is among its
    // programs, default or not.
    desktop.programsByType = {{"video/x-msvideo", {"/usr/bin/other-player", kSelf}},
                              {"text/plain", {"/usr/bin/editor"}},
                              {"application/x-subrip", {kSelf}},
                              {"video/x-matroska", {"/opt/Tavimo/bin/tavimo"}}};
    PlayerFileTest test(desktop, kSelf);
    for (const auto& [name, clip, step, opens] : rows) {
        EXPECT_EQ(step == Next ? FindNextFile(clip, test) : FindPreviousFile(clip, test), opens)
            << name;
    }
}

// Run from its build folder with no entry installed, the program's own
// entry's types count too (the files e2e test walks them); installed, the
// desktop alone decides.
TEST(FolderNavigationTest, OwnTypesCountOnlyWithoutAnInstalledEntry) {
    testing::FakeAssociations desktop;
    desktop.installedEntry = "/usr/share/applications/tavimo.desktop";
    EXPECT_TRUE(FallbackTypes(desktop).empty()) << "installed";
}

}  // namespace
}  // namespace tavimo
