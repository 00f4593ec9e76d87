// The real program plays the demo clip under Xvfb: the picture a person sees,
// the title, Escape twice, and the recent list it leaves in the settings file.
#include <gtest/gtest.h>

#include <QColor>
#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <thread>

#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

// Rows of the window: menu bar, toolbar and seek band above the view, which
// fits the 640 x 360 clip (no window manager: the window sits at 0, 0).
constexpr int kPictureRow = 150;  // a row through the colour bars

TEST(PlaybackE2e, DemoClipPlaysInTheWindowAndEscapeTwiceCloses) {
    XServer server;
    ASSERT_TRUE(server.Running());
    UserFolders user;
    QTemporaryDir media;
    const std::string clip = media.filePath("demo clip.mp4").toStdString();
    std::filesystem::copy_file(std::string(TAVIMO_BUILD_DIR) + "/demo/demo.mp4", clip);

    Player player(server, user.ConfigHome(), user.RuntimeDir(), {clip});
    const auto window = player.WaitForWindow(15s);
    ASSERT_TRUE(window.has_value());
    std::this_thread::sleep_for(2s);

    const QImage shot = server.Screenshot(std::string(TAVIMO_BUILD_DIR) + "/e2e-playback.png");
    ASSERT_FALSE(shot.isNull());
    const QColor white(shot.pixel(45, kPictureRow)), yellow(shot.pixel(135, kPictureRow)),
        blue(shot.pixel(595, kPictureRow));
    EXPECT_GT(white.lightness(), 200) << "first bar";
    EXPECT_GT(yellow.red(), 180);
    EXPECT_GT(yellow.green(), 180);
    EXPECT_LT(yellow.blue(), 80) << "second bar";
    EXPECT_GT(blue.blue(), 180);
    EXPECT_LT(blue.red(), 80) << "last bar";

    const std::string title =
        RunIn(server.Display(), "xdotool getwindowname " + std::to_string(*window));
    EXPECT_EQ(title, "Tavimo - " + clip + "\n");
    EXPECT_EQ(user.Text("Software\\Orvenic\\Tavimo\\Recent Document List", "Document1"), clip);

    player.Key("Escape");  // stops: the player stays
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(player.Running());
    player.Key("Escape");  // stopped: closes
    EXPECT_EQ(player.WaitForExit(10s), 0);
}

}  // namespace
}  // namespace tavimo::e2e
