// The real program under Xvfb, drawing through ximagesink (no GPU here) and
// playing its sound into a PulseAudio null sink, with one clip of each kind a
// user meets: square HD, PAL and NTSC with non-square pixels, picture
// subtitles (PGS, VobSub, DVB), 10-bit HEVC, an interlaced broadcast TS,
// sound alone and two audio tracks. For each: a picture of the clip's display
// shape on screen, the picture subtitle where one is chosen, then pause, B
// (its note in the still picture), V, a seek, play, four steps faster and
// back to normal speed, with the window answering every key within 2 s,
// playback moving on at the end, and Escape twice closing it with the audio
// language chosen kept.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "support/null_sound_server.h"
#include "support/pgs_stream.h"
#include "support/shell.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

// Every clip's picture is one flat blue, so that the picture's shape on
// screen is the bounding box of that blue below the menu, toolbar and seek
// bar (whose icons have blues of their own); picture subtitles are a green
// rectangle on it. The blue's exact value depends on the colour matrix the
// decoder assumes, so the test takes any strong blue.
constexpr char kFill[] = "0x2050d0";
constexpr int kBarsHeight = 85;
bool IsFill(QRgb pixel) {
    const QColor c(pixel);
    return c.blue() > 150 && c.red() < 100 && c.green() < 140 && c.blue() - c.green() > 60;
}
bool IsSubtitleGreen(QRgb pixel) {
    const QColor c(pixel);
    return c.green() > 150 && c.red() < 90 && c.blue() < 90;
}
// The note's text.
bool IsWhite(QRgb pixel) {
    const QColor c(pixel);
    return std::min({c.red(), c.green(), c.blue()}) > 200;
}

struct Row {
    const char* name;
    const char* file;
    double aspect;       // the picture's display aspect; 0 for sound alone
    bool subtitle;       // a picture subtitle shows (chosen on open, or by `choose`)
    const char* choose;  // keys that choose the subtitle track, if any
    const char* kept;    // the audio language B chooses and the settings keep; "": not asked
};

// What the user sees, by clip: written out, not derived from the clips'
// making. 720 x 576 at 16/15 shows as 768 x 576, at 64/45 as 1024 x 576;
// 720 x 480 at 8/9 as 640 x 480.
const Row kRows[] = {
    {"SquareHd", "hd.mp4", 16.0 / 9, false, "", ""},
    {"Pal4x3", "pal43.mkv", 4.0 / 3, false, "", ""},
    {"Pal16x9Anamorphic", "pal169.mkv", 16.0 / 9, false, "", ""},
    {"Ntsc", "ntsc.mkv", 4.0 / 3, false, "", ""},
    {"PgsChosen", "pgs.mkv", 4.0 / 3, true, "", ""},
    {"VobSubChosen", "vobsub.mkv", 4.0 / 3, true, "", ""},
    {"DvbTransportStream", "dvb.ts", 4.0 / 3, true, "v", ""},
    {"Hevc10Bit", "hevc10.mkv", 16.0 / 9, false, "", ""},
    {"InterlacedMpeg2Ts", "interlaced.ts", 16.0 / 9, false, "", ""},
    {"SoundAlone", "sound.m4a", 0, false, "", ""},
    {"TwoAudioTracks", "two-audio.mkv", 16.0 / 9, false, "", "de"},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

QTemporaryDir* gMedia = nullptr;
std::string Media(const std::string& name) {
    return gMedia->filePath(QString::fromStdString(name)).toStdString();
}
using test::Ffmpeg;
// `seconds` of the flat picture at `size`, `rate` and sample aspect `sar`.
std::string Picture(const std::string& size, const std::string& rate, const std::string& sar,
                    int seconds = 8) {
    return "-f lavfi -i color=c=" + std::string(kFill) + ":s=" + size + ":r=" + rate +
           ":d=" + std::to_string(seconds) + ",setsar=" + sar + " ";
}
std::string Tone(int hz, int seconds = 8) {
    return "-f lavfi -i sine=f=" + std::to_string(hz) + ":d=" + std::to_string(seconds) + " ";
}
const std::string kH264 = "-c:v libx264 -preset ultrafast -g 15 -pix_fmt yuv420p ";

bool MakePictureSubtitleClips() {
    std::ofstream(Media("rect.sup"), std::ios::binary) << test::PgsRectangle(45000, 450000);
    // The rectangle as the default subtitle track of `file`, coded by `codec`.
    const auto withRectangle = [](const char* codec, const char* file) {
        return Ffmpeg("-copyts -i " + Media("plain.mkv") + " -fix_sub_duration -i " +
                      Media("rect.sup") + " -map 0 -map 1 -c:v copy -c:a copy -c:s " + codec +
                      " -disposition:s:0 default " + Media(file));
    };
    return Ffmpeg(Picture("320x240", "25", "1") + Tone(440) + kH264 + "-c:a aac " +
                  Media("plain.mkv")) &&
           withRectangle("copy", "pgs.mkv") && withRectangle("dvdsub", "vobsub.mkv") &&
           Ffmpeg("-i " + Media("vobsub.mkv") + " -map 0 -c:v copy -c:a mp2 -c:s dvbsub " +
                  Media("dvb.ts"));
}

bool MakeMedia() {
    return Ffmpeg(Picture("1920x1080", "30", "1") + Tone(440) + kH264 + "-c:a aac " +
                  Media("hd.mp4")) &&
           Ffmpeg(Picture("720x576", "25", "16/15") + Tone(440) + kH264 + "-c:a aac " +
                  Media("pal43.mkv")) &&
           Ffmpeg(Picture("720x576", "25", "64/45") + Tone(440) + kH264 + "-c:a aac " +
                  Media("pal169.mkv")) &&
           Ffmpeg(Picture("720x480", "30000/1001", "8/9") + Tone(440) + kH264 + "-c:a ac3 " +
                  Media("ntsc.mkv")) &&
           Ffmpeg(Picture("640x360", "25", "1") + Tone(440) +
                  "-c:v libx265 -preset ultrafast -pix_fmt yuv420p10le -x265-params log-level=0 "
                  "-c:a libopus " +
                  Media("hevc10.mkv")) &&
           Ffmpeg(Picture("720x576", "25", "64/45") + Tone(440) +
                  "-c:v mpeg2video -b:v 4M -flags +ilme+ildct -top 1 -c:a mp2 " +
                  Media("interlaced.ts")) &&
           Ffmpeg(Tone(440) + "-c:a aac " + Media("sound.m4a")) &&
           Ffmpeg(Picture("640x360", "25", "1") + Tone(440) + Tone(660) + "-map 0 -map 1 -map 2 " +
                  kH264 +
                  "-c:a aac -metadata:s:a:0 language=eng "
                  "-metadata:s:a:1 language=deu " +
                  Media("two-audio.mkv")) &&
           MakePictureSubtitleClips();
}

class MediaMatrix : public testing::TestWithParam<Row> {
  public:
    static void SetUpTestSuite() {
        gMedia = new QTemporaryDir;
        made_ = MakeMedia();
        server_ = new XServer("1920x1200x24");
        sound_ = new test::NullSoundServer;
    }
    static void TearDownTestSuite() {
        delete sound_;
        delete server_;
        delete gMedia;
    }

  protected:
    void SetUp() override {
        ASSERT_TRUE(made_) << "the test clips could not be made (ffmpeg with x264, x265, opus)";
        ASSERT_TRUE(server_->Running());
        ASSERT_TRUE(sound_->Running()) << "the PulseAudio null sink did not start";
    }

    void Start(const Row& row) {
        const std::vector<std::string> env = {
            "PULSE_SERVER=" + sound_->Address(),
            "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"};
        player_ =
            std::make_unique<Player>(*server_, user_, std::vector<std::string>{Media(row.file)},
                                     env, errors_.filePath("stderr.txt").toStdString());
        window_ = player_->WaitForWindow(20s).value_or(0);
    }
    QImage Window() {
        return server_->Screenshot().copy(WindowGeometry(server_->Display(), window_));
    }
    // The X server's time of the last key press the window's thread handled.
    std::string UserTime() {
        return RunIn(server_->Display(),
                     "xprop -id " + std::to_string(window_) + " _NET_WM_USER_TIME");
    }
    // Types `key` and waits for the window to handle it.
    bool Answers(const std::string& key) {
        const std::string before = UserTime();
        player_->Key(key);
        return Within(2s, [&] { return UserTime() != before; });
    }
    std::string Errors() { return FileText(errors_.filePath("stderr.txt").toStdString()); }

    static inline bool made_ = false;
    static inline XServer* server_ = nullptr;
    static inline test::NullSoundServer* sound_ = nullptr;
    UserFolders user_;
    QTemporaryDir errors_;
    std::unique_ptr<Player> player_;
    unsigned long window_ = 0;
};

// The bounding box of the clip's colour in `shot`, and how much of it is
// that colour.
struct Shape {
    QRect box;
    double filled = 0;
};
Shape PictureIn(const QImage& shot) {
    Shape s;
    int count = 0;
    for (int y = kBarsHeight; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (IsFill(shot.pixel(x, y)))
                s.box |= QRect(x, y, 1, 1), ++count;
        }
    }
    s.filled = s.box.isEmpty() ? 0 : double(count) / (s.box.width() * s.box.height());
    return s;
}

TEST_P(MediaMatrix, PlaysShowsAndAnswersThroughTheRealSinks) {
    const Row& row = GetParam();
    Start(row);
    ASSERT_NE(window_, 0u) << "no window for " << row.file << "\n" << Errors();

    Shape shape;
    if (row.aspect > 0) {
        const bool shown = Within(15s, [&] {
            shape = PictureIn(Window());
            return shape.box.width() >= 200 && shape.filled > 0.9;
        });
        ASSERT_TRUE(shown) << "no picture: box " << shape.box.width() << "x" << shape.box.height()
                           << "\n"
                           << Errors();
        const double aspect = double(shape.box.width()) / shape.box.height();
        EXPECT_NEAR(aspect, row.aspect, row.aspect * 0.03)
            << "shown " << shape.box.width() << "x" << shape.box.height();
    }
    if (*row.choose) {
        ASSERT_TRUE(Answers(row.choose));
    }
    if (row.subtitle) {
        int green = 0;
        EXPECT_TRUE(Within(
            15s, [&] { return (green = Count(Window(), shape.box, IsSubtitleGreen)) > 500; }))
            << "no picture subtitle; green pixels " << green;
    }

    // Paused, B draws its note into the still picture (a sound server's sink
    // holding a thread in its preroll would hang the window here).
    const auto noteShown = [&] { return Count(Window(), shape.box, IsWhite) > 40; };
    EXPECT_TRUE(Within(5s, [&] { return !noteShown(); })) << "the notes of the start stay";
    ASSERT_TRUE(Answers("space"));
    ASSERT_TRUE(Answers("b"));
    if (row.aspect > 0) {
        EXPECT_TRUE(Within(5s, noteShown)) << "no note in the paused picture";
    }
    for (const char* key : {"v", "period", "Return", "bracketright", "bracketright", "bracketright",
                            "bracketright"}) {
        ASSERT_TRUE(Answers(key)) << "no answer to " << key << " within 2 s";
    }
    // At twice the speed, then at normal speed, playback moves on: the seek
    // bar's time changes (the picture itself is one colour).
    const auto moves = [&] {
        const QImage before = Window();
        return Within(3s, [&] { return Window() != before; });
    };
    EXPECT_TRUE(moves()) << "playback stood still at 2x\n" << Errors();
    ASSERT_TRUE(Answers("BackSpace"));
    EXPECT_TRUE(moves()) << "playback stood still at 1x\n" << Errors();
    if (row.aspect > 0) {
        const Shape after = PictureIn(Window());
        EXPECT_EQ(after.box.size(), shape.box.size()) << "the picture changed its shape";
    }
    // Escape stops, Escape again closes, and the settings keep the language.
    player_->Key("Escape");
    player_->Key("Escape");
    EXPECT_EQ(player_->WaitForExit(10s), 0) << Errors();
    if (*row.kept) {
        EXPECT_EQ(user_.Text("Software\\Orvenic\\Tavimo", "AudioLanguage"), row.kept);
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, MediaMatrix, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tavimo::e2e
