// Shift+S and the seek bar's preview in the main frame, playing clips made
// at test time through GStreamer (fake sinks, offscreen windows): what lands
// in the pictures folder, the note and the box; what the preview window
// shows over a clip that turns from red to blue, and over one with no picture.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "../frame/frame_test_util.h"
#include "app/main_frame.h"
#include "engine/media/gst_media.h"
#include "engine/screenshot.h"
#include "support/fake_dialogs.h"
#include "support/gst_player.h"
#include "support/shell.h"
#include "view/seek_preview.h"
#include "view/sliders.h"

namespace tavimo {
namespace {

namespace fs = std::filesystem;

fs::path gDir;

using test::Launch;

// `frames` of `pattern` at 25/s, 640 x 360, into concat c.
std::string Part(const char* pattern, int frames) {
    return std::string("videotestsrc pattern=") + pattern +
           " num-buffers=" + std::to_string(frames) +
           " ! video/x-raw,format=I420,width=640,height=360,framerate=25/1 ! c. ";
}

// A key frame every `keyFrames` frames (a second by default), so that each
// second starts a new picture.
std::string Encode(const std::string& file, int keyFrames = 25) {
    return "concat name=c ! x264enc speed-preset=ultrafast key-int-max=" +
           std::to_string(keyFrames) +
           " ! h264parse ! "
           "mp4mux name=mux ! filesink location=" +
           (gDir / file).string() + " ";
}

void MakeMedia() {
    gDir = test::NewFolder("shots");
    ASSERT_FALSE(gDir.empty());
    // Two seconds red, two blue, with a sound the preview must leave alone.
    ASSERT_TRUE(Launch(Part("red", 50) + Part("blue", 50) + Encode("colours.mp4") +
                       "audiotestsrc num-buffers=200 samplesperbuffer=882 ! audioconvert ! "
                       "avenc_aac ! aacparse ! queue ! mux."));
    ASSERT_TRUE(Launch(Part("black", 75) + Encode("night.mp4")));
    // Key frames at 0, 2 and 4 s: red until 2 s, blue from there on.
    ASSERT_TRUE(Launch(Part("red", 50) + Part("blue", 60) + Encode("keys.mp4", 50)));
    std::ofstream(gDir / "night.srt") << "1\n00:00:00,000 --> 00:00:10,000\nWWWWWWWW\n";
    // Red on the left, blue on the right, stored with a tag that asks for a
    // quarter turn anticlockwise, as a phone stores a clip filmed upright.
    const std::string stored = (gDir / "stored.mp4").string();
    ASSERT_TRUE(
        test::Ffmpeg("-f lavfi -i color=red:s=320x360:r=25:d=3 -f lavfi -i "
                     "color=blue:s=320x360:r=25:d=3 -filter_complex hstack -c:v libx264 "
                     "-preset ultrafast -pix_fmt yuv420p " +
                     stored));
    ASSERT_TRUE(test::Ffmpeg("-i " + stored + " -c copy -metadata:s:v:0 rotate=90 " +
                             (gDir / "side.mp4").string()));
    ASSERT_TRUE(
        Launch("audiotestsrc num-buffers=200 samplesperbuffer=882 ! audioconvert ! "
               "avenc_aac ! aacparse ! mp4mux ! filesink location=" +
               (gDir / "tone.mp4").string()));
}

// Makes xdg-user-dirs put the pictures in `name`/Pictures of the media
// folder, through a config folder of its own; that pictures folder.
fs::path UsePictures(const char* name) {
    const fs::path pictures = gDir / name / "Pictures", config = gDir / name / "config";
    fs::create_directories(config);
    std::ofstream(config / "user-dirs.dirs")
        << "XDG_PICTURES_DIR=\"" << pictures.string() << "\"\n";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    return pictures;
}

// The mean colour of `image` over `area`.
QColor Mean(const QImage& image, const QRect& area) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++n) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p);
        }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}

// The brightest grey of `image` over `area`.
int Brightest(const QImage& image, const QRect& area) {
    int brightest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            brightest = std::max(brightest, qGray(image.pixel(x, y)));
    return brightest;
}

bool Red(const QColor& c) {
    return c.red() > 180 && c.blue() < 60;
}
bool Blue(const QColor& c) {
    return c.blue() > 180 && c.red() < 60;
}

class ShotsPreviewTest : public testing::Test, protected frame_test::TestFrame {
  protected:
    static void SetUpTestSuite() {
        if (gDir.empty())
            MakeMedia();
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(gDir, ignored);
        gDir.clear();
    }
    ShotsPreviewTest() {
        media = NewGstMediaFramework(test::FakeSinks());
        Start().Record().UseMediaFramework(media.get());
        frame->resize(800, 600);
    }
    ~ShotsPreviewTest() override { frame.reset(); }  // its graph before the framework

    // Opens `name` of the media folder and lets it run a moment.
    PlayerRecord& Open(const char* name) {
        PlayerRecord& record = frame->Record();
        record.ClipPath = (gDir / name).string();
        record.OpenClip();
        EXPECT_EQ(record.ClipState, ClipState::Running) << name;
        QTest::qWait(300);
        return record;
    }

    // Shift+S as the window gets it; waits for the save to end.
    QString Shoot() {
        QSignalSpy finished(&frame->Screenshots(), &ScreenshotSaver::finished);
        QTest::keyClick(frame->windowHandle(), Qt::Key_S, Qt::ShiftModifier);
        EXPECT_TRUE(finished.wait(10000));
        return finished.isEmpty() ? QString() : finished.at(0).at(0).toString();
    }

    // The mouse over the seek bar at `fraction` of its width.
    void Hover(double fraction) {
        CSlider* bar = frame->Sliders()->SeekBar();
        const QPointF at(bar->ClientRect().left() + fraction * bar->ClientRect().width(), 5);
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
    }
    // The mean colour of the preview's picture once a hover at `fraction`
    // has shown its thumbnail.
    QColor ShownAt(double fraction) {
        QSignalSpy shown(&frame->Preview(), &SeekPreview::thumbnailShown);
        Hover(fraction);
        EXPECT_TRUE(shown.wait(5000)) << fraction;
        return Mean(frame->Preview().grab().toImage(), QRect(1, 1, 160, 90));
    }

    std::string NoteText() { return frame_test::Note(frame->Record()); }

    std::unique_ptr<MediaFramework> media;
};

// A paused black clip with a white subtitle, an accurate seek 10 ms into the
// frame of 1 s (it lands on the next), a note showing: the PNG has the clip's
// size and is named after the frame's own time; it is black above and has
// the subtitle's white near the bottom, without the note; the note names it;
// a second shot of the same moment (that note showing) gets " (2)", again
// without a note, and leaves the first as it was. A frame back (a seek into
// the middle of the frame before) is named after that frame's start.
TEST_F(ShotsPreviewTest, ScreenshotIsTheClipsPictureWithItsSubtitleAndNeverOverwrites) {
    const fs::path pictures = UsePictures("saved");
    PlayerRecord& record = Open("night.mp4");
    record.TogglePause();
    record.SeekTo(10100000);
    record.Note.Show("Subtitles: Off");
    QTest::qWait(300);

    const QString first = Shoot();
    const fs::path folder = pictures / "Tavimo";
    EXPECT_EQ(first.toStdString(), (folder / "night 0-00-01.040.png").string());
    EXPECT_EQ(NoteText(), "Saved night 0-00-01.040.png");
    const QImage shot(first);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(640, 360));
    EXPECT_LT(qGray(Mean(shot, QRect(0, 0, 640, 180)).rgb()), 10) << "black above the subtitle";
    EXPECT_LT(Brightest(shot, QRect(0, 0, 640, 120)), 30) << "no note at the top left";
    EXPECT_GT(Brightest(shot, QRect(0, 240, 640, 120)), 220) << "the subtitle's white is burnt in";

    const auto before = fs::last_write_time(first.toStdString());
    const auto size = fs::file_size(first.toStdString());
    const QString second = Shoot();
    EXPECT_EQ(second.toStdString(), (folder / "night 0-00-01.040 (2).png").string());
    EXPECT_EQ(NoteText(), "Saved night 0-00-01.040 (2).png");
    const QImage again(second);
    ASSERT_FALSE(again.isNull());
    EXPECT_LT(Brightest(again, QRect(0, 0, 640, 120)), 30) << "no note at the top left";
    EXPECT_GT(Brightest(again, QRect(0, 240, 640, 120)), 220) << "the subtitle stays";
    EXPECT_EQ(fs::last_write_time(first.toStdString()), before);
    EXPECT_EQ(fs::file_size(first.toStdString()), size);
    record.StepFrame(-1);
    EXPECT_EQ(Shoot().toStdString(), (folder / "night 0-00-01.000.png").string());
    EXPECT_TRUE(dialogs->CallsOf(platform::ScriptedDialogs::Kind::MessageBox).empty());
}

// A clip stored on its side is saved and previewed upright, as it is shown:
// the PNG is 360 x 640, blue above and red below, and so is the seek bar's
// thumbnail, 160 wide.
TEST_F(ShotsPreviewTest, AClipStoredOnItsSideIsSavedAndPreviewedUpright) {
    const fs::path pictures = UsePictures("upright");
    frame->move(100, 700);  // room above the bar
    PlayerRecord& record = Open("side.mp4");
    record.TogglePause();
    const QImage shot(Shoot());
    ASSERT_EQ(shot.size(), QSize(360, 640));
    EXPECT_TRUE(Blue(Mean(shot, QRect(0, 0, 360, 300))));
    EXPECT_TRUE(Red(Mean(shot, QRect(0, 340, 360, 300))));

    ShownAt(0.5);
    const QImage thumbnail = frame->Preview().Thumbnail();
    ASSERT_EQ(thumbnail.size(), QSize(160, 284));
    EXPECT_TRUE(Blue(Mean(thumbnail, QRect(0, 0, 160, 130))));
    EXPECT_TRUE(Red(Mean(thumbnail, QRect(0, 154, 160, 130))));
    record.CloseClip();
}

// A file where the folder should be: a box names the folder and says why,
// nothing is written and no note claims a save.
TEST_F(ShotsPreviewTest, ScreenshotIntoAFolderThatCannotBeMadeSaysWhichAndWhy) {
    const fs::path pictures = UsePictures("blocked");
    fs::create_directories(pictures);
    std::ofstream(pictures / "Tavimo") << "in the way\n";
    PlayerRecord& record = Open("night.mp4");
    record.TogglePause();

    EXPECT_EQ(Shoot(), QString());
    const auto boxes = dialogs->CallsOf(platform::ScriptedDialogs::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find((pictures / "Tavimo").string()), std::string::npos)
        << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("Not a directory"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(NoteText(), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(pictures), fs::directory_iterator()), 1);
}

// A clip without a picture: Shift+S only beeps; no file, no box, no note.
// Its preview shows the time alone, narrower than a thumbnail, and no
// decoder is ever asked.
TEST_F(ShotsPreviewTest, AClipWithoutAPictureOnlyBeepsAndPreviewsTheTimeAlone) {
    const fs::path pictures = UsePictures("soundonly");
    ASSERT_TRUE(Open("tone.mp4").HasWindowlessControl());

    QSignalSpy finished(&frame->Screenshots(), &ScreenshotSaver::finished);
    QTest::keyClick(frame->windowHandle(), Qt::Key_S, Qt::ShiftModifier);
    EXPECT_FALSE(finished.wait(500));
    EXPECT_EQ(dialogs->CallsOf(platform::ScriptedDialogs::Kind::Beep).size(), 1u);
    EXPECT_TRUE(dialogs->CallsOf(platform::ScriptedDialogs::Kind::MessageBox).empty());
    EXPECT_FALSE(fs::exists(pictures));
    EXPECT_EQ(NoteText(), "");

    SeekPreview& preview = frame->Preview();
    QSignalSpy shown(&preview, &SeekPreview::thumbnailShown);
    Hover(0.5);
    EXPECT_FALSE(shown.wait(1000));
    EXPECT_TRUE(preview.isVisible());
    EXPECT_TRUE(preview.Thumbnail().isNull());
    EXPECT_LT(preview.width(), 160);
    EXPECT_EQ(preview.Decodes(), 0);
    frame->Record().CloseClip();
}

// Hovering a quarter in shows red, four fifths in shows blue, 160 pixels
// wide above the bar with the time under it; going back to the first bucket
// shows red again at once without decoding anything more. In full screen,
// and in a window at the screen's top, the preview sits below the bar. The
// preview of a moment between two key frames is the nearer one: 1.6 s (its
// second's middle, 1.5 s, asked) shows the blue key frame at 2 s, not the
// red one at 0; 0.3 s shows the red one.
TEST_F(ShotsPreviewTest, PreviewShowsTheMomentUnderTheMouseOrTheNearestKeyFrame) {
    frame->move(100, 400);  // room above the bar
    Open("colours.mp4");
    SeekPreview& preview = frame->Preview();
    QColor mean = ShownAt(0.25);
    EXPECT_TRUE(Red(mean)) << mean.name().toStdString();
    EXPECT_EQ(preview.Thumbnail().size(), QSize(160, 90));
    const QRect bar(frame->Sliders()->SeekBar()->mapToGlobal(QPoint(0, 0)),
                    frame->Sliders()->SeekBar()->size());
    EXPECT_TRUE(preview.isVisible());
    EXPECT_LT(preview.geometry().bottom(), bar.top()) << "above the bar";

    mean = ShownAt(0.8);
    EXPECT_TRUE(Blue(mean)) << mean.name().toStdString();
    EXPECT_EQ(preview.Decodes(), 2);

    QSignalSpy shown(&preview, &SeekPreview::thumbnailShown);
    Hover(0.25);
    EXPECT_EQ(shown.size(), 1) << "from what was kept, at once";
    mean = Mean(preview.grab().toImage(), QRect(1, 1, 160, 90));
    EXPECT_TRUE(Red(mean)) << mean.name().toStdString();
    QTest::qWait(300);
    EXPECT_EQ(preview.Decodes(), 2);

    frame->Record().FullScreen = true;  // the bar runs along the screen's top
    Hover(0.5);
    EXPECT_GT(preview.geometry().top(), bar.bottom()) << "below the bar";
    frame->Record().FullScreen = false;

    frame->move(100, 0);  // a window at the screen's top: no room above the bar
    QTest::qWait(50);
    const QRect topBar(frame->Sliders()->SeekBar()->mapToGlobal(QPoint(0, 0)),
                       frame->Sliders()->SeekBar()->size());
    ASSERT_LT(topBar.top(), preview.height()) << "the window did not move up";
    Hover(0.5);
    EXPECT_GT(preview.geometry().top(), topBar.bottom()) << "below the bar, on the screen";

    Open("keys.mp4");
    const int64_t length = frame->Record().Duration;
    ASSERT_GT(length, 40000000);
    const QColor near16 = ShownAt(16000000.0 / double(length));
    EXPECT_TRUE(Blue(near16)) << "1.6 s: 2 s is nearer than 0 s " << near16.name().toStdString();
    const QColor near3 = ShownAt(3000000.0 / double(length));
    EXPECT_TRUE(Red(near3)) << "0.3 s: 0 s is nearer " << near3.name().toStdString();
}

// Where Shift+S saves, as the README says: the pictures folder that
// xdg-user-dirs names, ~/Pictures when it names none, the home folder when
// it names the home folder (xdg-user-dirs' way of saying "none wanted"),
// "Tavimo" inside each. Last: it moves the home.
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
