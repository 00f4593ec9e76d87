// Stepping through a real folder: file-manager order, which files count as
// the player's, no wrap-around, the current clip gone, paths without a folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "../platform/test_dir.h"
#include "integration/folder_navigation.h"
#include "support/fake_desktop.h"

namespace tavimo {
namespace {

using platform::testing::TestDir;

constexpr char kSelf[] = "/opt/tavimo/bin/tavimo";

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

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
        Touch(dir / name);
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
