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
        {"previous passes over subtitles", dir / "c.txt", Previous, dir / "b.avi"},
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

// Run from its build folder, with no entry installed for all users, the
// program walks the types its own entry declares, beside those the desktop
// offers it (registered with Ctrl+R); installed, the desktop alone decides.
TEST(FolderNavigationTest, WithoutAnInstalledEntryItsOwnTypesCount) {
    TestDir dir;
    for (const char* name : {"a.mp4", "b.mkv", "c.srt", "d.ogv", "e.avi", "f.webm"})
        Touch(dir / name);
    testing::FakeAssociations desktop;
    desktop.typeByExtension = {
        {"mp4", "video/mp4"}, {"mkv", "video/x-matroska"}, {"srt", "application/x-subrip"},
        {"ogv", "video/ogg"}, {"avi", "video/x-msvideo"},  {"webm", "video/webm"}};
    desktop.programsByType = {{"video/x-msvideo", {kSelf}},  // registered with Ctrl+R
                              {"video/ogg", {"/usr/bin/other-player"}}};
    const std::vector<std::string> own = {"video/mp4", "video/x-matroska", "video/webm",
                                          "application/x-subrip"};
    enum Step { Next, Previous };
    // Name, installed entry, the clip, the step, the file it opens.
    const std::tuple<const char*, const char*, std::string, Step, std::optional<std::string>>
        rows[] = {
            {"build folder: an own type", "", dir / "a.mp4", Next, dir / "b.mkv"},
            {"build folder: past subtitles and another's type to a registered one", "",
             dir / "b.mkv", Next, dir / "e.avi"},
            {"build folder: back to an own type", "", dir / "e.avi", Previous, dir / "b.mkv"},
            {"build folder: the last own type", "", dir / "e.avi", Next, dir / "f.webm"},
            {"installed: only the desktop's offers", "/usr/share/applications/tavimo.desktop",
             dir / "a.mp4", Next, dir / "e.avi"},
            {"installed: nothing after the registered type",
             "/usr/share/applications/tavimo.desktop", dir / "e.avi", Next, std::nullopt},
        };
    for (const auto& [name, installed, clip, step, opens] : rows) {
        desktop.installedEntry = installed;
        PlayerFileTest test(desktop, kSelf,
                            FallbackTypes(desktop).empty() ? std::vector<std::string>{} : own);
        EXPECT_EQ(step == Next ? FindNextFile(clip, test) : FindPreviousFile(clip, test), opens)
            << name;
    }
}

}  // namespace
}  // namespace tavimo
