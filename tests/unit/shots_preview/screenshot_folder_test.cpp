// Where Shift+S saves, as the README says: the pictures folder that
// xdg-user-dirs names, ~/Pictures when it names none, the home folder when
// it names the home folder (xdg-user-dirs' way of saying "none wanted"),
// "Tavimo" inside each.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/screenshot.h"

namespace tavimo {
namespace {

TEST(ScreenshotFolderTest, ThePicturesFolderOfXdgUserDirsOrPicturesInTheHome) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string home = dir.filePath("home").toStdString();
    const std::string config = dir.filePath("config").toStdString();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    QDir().mkpath(QString::fromStdString(config));
    struct Row {
        const char* name;
        const char* userDirs;  // the line of user-dirs.dirs; none when null
        std::string want;
    } rows[] = {
        {"no user-dirs.dirs", nullptr, home + "/Pictures/Tavimo"},
        {"a file without the pictures line", "XDG_MUSIC_DIR=\"$HOME/Music\"",
         home + "/Pictures/Tavimo"},
        {"a pictures folder of the user's", "XDG_PICTURES_DIR=\"$HOME/Bilder\"",
         home + "/Bilder/Tavimo"},
        {"the pictures folder set to the home", "XDG_PICTURES_DIR=\"$HOME/\"", home + "/Tavimo"},
    };
    for (const Row& row : rows) {
        const std::string file = config + "/user-dirs.dirs";
        std::remove(file.c_str());
        if (row.userDirs)
            std::ofstream(file) << row.userDirs << "\n";
        EXPECT_EQ(ScreenshotFolder(), row.want) << row.name;
    }
}

}  // namespace
}  // namespace tavimo
