// The real program at the desktop's scale and on a screen too small for the
// clip, under Xvfb: at Xft.dpi 192 (a scale of 2) a 640 x 360 clip opens with
// a 1280 x 720 picture in device pixels right under the bars, the subtitles
// follow a drag to the pixel, a notch of the wheel grows the window by twice
// its step, a click on the seek bar plays on from that moment, its thumbnail
// comes at the screen's density (the view reads the scale from Qt's device
// pixel ratio whatever sets it); a 1080p clip on a 1080p screen opens inside the
// work area with its aspect kept.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "seek_bar_shot.h"
#include "x_session.h"

namespace tavimo::e2e {
namespace {

using namespace std::chrono_literals;

// The clip's plain grey (videotestsrc's 0x808080 after encoding).
bool IsGrey(QRgb pixel) {
    const QColor c(pixel);
    return std::abs(c.red() - 128) < 16 && std::abs(c.green() - 128) < 16 &&
           std::abs(c.blue() - 128) < 16;
}
bool IsWhite(QRgb pixel) {
    const QColor c(pixel);
    return std::min({c.red(), c.green(), c.blue()}) > 225;
}

// Geometry of an X window in device pixels, from xwininfo (xdotool's is
// off for a child window).
QRect WindowRect(const std::string& info) {
    int x = 0, y = 0, w = 0, h = 0;
    std::istringstream in(info);
    for (std::string line; std::getline(in, line);) {
        std::sscanf(line.c_str(), "  Absolute upper-left X: %d", &x);
        std::sscanf(line.c_str(), "  Absolute upper-left Y: %d", &y);
        std::sscanf(line.c_str(), "  Width: %d", &w);
        std::sscanf(line.c_str(), "  Height: %d", &h);
    }
    return QRect(x, y, w, h);
}

// The grey picture's extent along the row and column through `inside`.
QRect GreyAround(const QImage& shot, QPoint inside) {
    int left = inside.x(), right = inside.x(), top = inside.y(), bottom = inside.y();
    while (left > 0 && IsGrey(shot.pixel(left - 1, inside.y())))
        --left;
    while (right < shot.width() - 1 && IsGrey(shot.pixel(right + 1, inside.y())))
        ++right;
    while (top > 0 && IsGrey(shot.pixel(inside.x(), top - 1)))
        --top;
    while (bottom < shot.height() - 1 && IsGrey(shot.pixel(inside.x(), bottom + 1)))
        ++bottom;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// A session at a desktop scale of 2 (Xft.dpi 192) or of 1.
struct Scaled : Session {
    Scaled(const std::string& screen, bool doubled) : Session(screen) {
        if (doubled)
            Run("sh -c 'echo Xft.dpi: 192 | xrdb -merge'");
    }
    // Makes the clip `name` from `pipeline` (which ends in a muxer) and opens
    // it; whether its window showed.
    bool Open(const std::string& name, const std::string& pipeline) {
        const std::string clip = media.filePath(QString::fromStdString(name)).toStdString();
        return MakeClip(pipeline, clip) && Start({clip});
    }
    // The picture's native surface: the frame's one child window with a
    // picture in it (Qt's other children are 1 x 1 or off).
    QRect Surface() {
        std::istringstream tree(Run("xwininfo -children -id " + std::to_string(window)));
        QRect best;
        for (std::string line; std::getline(tree, line);) {
            const size_t id = line.find("0x");
            if (id == std::string::npos || line.find_first_not_of(' ') != id)
                continue;  // not a line of the children's list
            std::istringstream word(line.substr(id));
            std::string hex;
            word >> hex;
            const QRect r = WindowRect(Run("xwininfo -id " + hex));
            if (r.width() * r.height() > best.width() * best.height())
                best = r;
        }
        return best;
    }
    // The grey picture at the bottom left of the frame, found from 200 rows
    // above the frame's bottom; empty while it does not show. `shot` gets
    // the screenshot it was found in.
    QRect GreyPicture(QImage* shot = nullptr) {
        const QRect frame = Geometry();
        const QImage screen = server.Screenshot();
        if (shot)
            *shot = screen;
        const QPoint probe(frame.left() + 40, frame.bottom() - 200);
        return screen.rect().contains(probe) && IsGrey(screen.pixel(probe))
                   ? GreyAround(screen, probe)
                   : QRect();
    }
};

// The lowest row of `picture` with white text in it; -1 when there is none.
int TextBottom(const QImage& shot, const QRect& picture) {
    for (int y = picture.bottom(); y >= picture.top(); --y) {
        int white = 0;
        for (int x = picture.left(); x <= picture.right(); ++x)
            white += IsWhite(shot.pixel(x, y)) ? 1 : 0;
        if (white >= 3)
            return y;
    }
    return -1;
}

TEST(ScaleE2e, AClipAtADesktopScaleOfTwo) {
    Scaled s("1920x1200x24", true);
    ASSERT_TRUE(s.server.Running());
    ASSERT_NE(s.Run("xrdb -query").find("192"), std::string::npos) << "xrdb missing";
    // 40 s of plain grey, 640 x 360, with one subtitle all along.
    std::ofstream(s.media.filePath("grey.srt").toStdString())
        << "1\n00:00:00,000 --> 00:05:00,000\nA subtitle to drag\n\n";
    ASSERT_TRUE(s.Open("grey.mp4",
                       "videotestsrc pattern=solid-color foreground-color=0xff808080 "
                       "num-buffers=200 ! video/x-raw,width=640,height=360,framerate=5/1 ! "
                       "x264enc speed-preset=ultrafast key-int-max=5 ! mp4mux"));

    // The picture: 1280 x 720 device pixels, as is its surface, at the
    // bottom of the frame, which is as wide; right under the bars, with no
    // black row between.
    QRect picture;
    QImage shot;
    const auto shown = [&] {
        picture = s.GreyPicture(&shot);
        return picture.size() == QSize(1280, 720);
    };
    ASSERT_TRUE(Within(15s, shown)) << "picture " << picture.width() << "x" << picture.height();
    const QRect frame = s.Geometry();
    EXPECT_EQ(frame.width(), 1280);
    EXPECT_EQ(picture.bottom(), frame.bottom());
    EXPECT_EQ(s.Surface(), picture) << "the sink's window is the picture, in device pixels";
    EXPECT_FALSE(IsBlack(shot.pixel(picture.left() + 40, picture.top() - 1))) << "no seam";

    // Stopped at 0:00: the subtitle's bottom 5 video pixels, 10 device
    // pixels, above the picture's.
    s.Press("s");
    ASSERT_TRUE(Within(10s, [&] {
        shot = s.server.Screenshot();
        return SeekBarIn(shot, 0, picture.top(), 60).isNull() && TextBottom(shot, picture) >= 0;
    })) << "stopped at 0:00, the subtitle on the still picture";
    const int rest = TextBottom(shot, picture);
    EXPECT_NEAR(rest, picture.bottom() - 10, 2) << picture.bottom();

    // Dragged to picture rows 400 and then 300: the text's bottom follows the
    // cursor (to a video pixel, two device pixels, and the blur of its
    // edge), 100 device pixels apart.
    const auto at = [&](int row) {
        return std::to_string(picture.left() + 640) + " " + std::to_string(picture.top() + row);
    };
    int dragged[2] = {};
    for (int i = 0; i < 2; ++i) {
        const int row = i == 0 ? 400 : 300;
        s.Run("xdotool mousemove " + at(row + 60) + " mousedown 1 mousemove " + at(row + 30) +
              " sleep 0.2 mousemove " + at(row) + " sleep 0.3 mouseup 1");
        Within(5s, [&] {
            dragged[i] = TextBottom(s.server.Screenshot(), picture) - picture.top();
            return std::abs(dragged[i] - (row - 2)) <= 2;
        });
        EXPECT_NEAR(dragged[i], row - 2, 2) << "drag " << i;
    }
    EXPECT_NEAR(dragged[0] - dragged[1], 100, 2);

    // One notch up: StretchStep 10 and 10 / (16/9) = 5 on each side, in
    // logical pixels: 40 x 20 device pixels more in all.
    s.Run("xdotool mousemove " + at(200) + " click 4");
    ASSERT_TRUE(Within(3s, [&] { return s.Geometry().size() != frame.size(); }));
    EXPECT_EQ(s.Geometry().size(), frame.size() + QSize(40, 20));
    s.Press("a");
    ASSERT_TRUE(Within(5s, [&] { return s.Geometry().size() == frame.size(); }))
        << "back to the fit";

    // Playing, a click at three quarters of the seek bar: playback goes on
    // from 0:30 of the 0:40.
    s.Press("Return");
    QRect bar;
    ASSERT_TRUE(Within(10s, [&] {
        bar = SeekBarIn(s.server.Screenshot(), 0, picture.top(), 60);
        return bar.width() > 600;
    })) << "the seek bar's fill shows";
    s.Run("xdotool mousemove " + std::to_string(bar.left() + bar.width() * 3 / 4) + " " +
          std::to_string(bar.center().y()) + " click 1 mousemove 1900 1190");
    double reached = 0;
    Within(5s, [&] {  // the fill leaps from near the start
        reached = double(FillEnd(s.server.Screenshot(), bar)) / bar.width();
        return reached > 0.6;
    });
    EXPECT_GE(reached, 0.74) << "0:30 is 0.75 of the bar";
    EXPECT_LE(reached, 0.82) << "within a few seconds of 0:30";
}

// The top-level window `width` device pixels wide (the seek bar's preview),
// or an empty rectangle.
QRect TopLevelOfWidth(Scaled& s, int width) {
    std::istringstream tree(s.Run("xwininfo -root -children"));
    for (std::string line; std::getline(tree, line);) {
        int w = 0, h = 0, x = 0, y = 0;
        const size_t size = line.rfind(")  ");
        if (size != std::string::npos &&
            std::sscanf(line.c_str() + size + 3, "%dx%d+%d+%d", &w, &h, &x, &y) == 4 && w == width)
            return QRect(x, y, w, h);
    }
    return {};
}

// The share of `image`'s pixels whose red differs by more than 120 from
// that of the pixel on their left.
double ColourChanges(const QImage& image) {
    int changes = 0, all = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 1; x < image.width(); ++x, ++all) {
            changes += std::abs(QColor(image.pixel(x, y)).red() -
                                QColor(image.pixel(x - 1, y)).red()) > 120;
        }
    }
    return all > 0 ? double(changes) / all : 0.0;
}

// At a scale of 2 the seek bar's thumbnail is decoded at 320 device pixels,
// not at 160 and enlarged: a clip of 2-pixel checkers shows 1-pixel checkers,
// every pixel red beside green, where a thumbnail decoded at 160 and enlarged
// shows pairs of pixels alike at best.
TEST(ScaleE2e, TheSeekBarsThumbnailAtTheScreensDensity) {
    Scaled s("1920x1200x24", true);
    ASSERT_TRUE(s.server.Running());
    ASSERT_TRUE(s.Open("checkers.mp4",
                       "videotestsrc pattern=checkers-2 num-buffers=50 ! "
                       "video/x-raw,width=640,height=360,framerate=5/1 ! "
                       "x264enc speed-preset=ultrafast qp-max=10 key-int-max=5 ! mp4mux"));
    // The seek bar runs across the frame about 130 device pixels down (menu
    // 40, toolbar 60, bar 40); hovering its middle shows the preview. It is
    // filled while the clip plays, and empty once stopped.
    const QRect frame = s.Geometry();
    const auto filled = [&] {
        return !SeekBarIn(s.server.Screenshot(), frame.top(), frame.top() + 140, frame.left() + 60)
                    .isNull();
    };
    ASSERT_TRUE(Within(15s, filled)) << "the clip plays";
    s.Press("s");
    ASSERT_TRUE(Within(10s, [&] { return !filled(); })) << "stopped";
    QRect preview;
    ASSERT_TRUE(Within(10s, [&] {
        s.Run("xdotool mousemove " + std::to_string(frame.left() + 500) + " " +
              std::to_string(frame.top() + 130) + " sleep 0.2 mousemove " +
              std::to_string(frame.left() + 510) + " " + std::to_string(frame.top() + 130));
        preview = TopLevelOfWidth(s, 2 * (160 + 2));
        return !preview.isEmpty();
    })) << "the preview shows, 162 logical pixels wide";
    double changes = 0;
    const auto sharp = [&] {
        // The picture: inside the border, above the time.
        changes = ColourChanges(s.server.Screenshot().copy(preview.adjusted(4, 4, -4, -60)));
        return changes > 0.8;
    };
    ASSERT_TRUE(Within(10s, sharp))
        << changes << " of the pixels change colour from the one on their left";
}

// A 1920 x 1080 clip on a 1920 x 1080 screen whose work area leaves 40 rows
// at the top and the bottom to panels: the frame stays inside the work area,
// with the picture made smaller and its aspect kept.
TEST(ScaleE2e, A1080pClipOnA1080pScreen) {
    Scaled s("1920x1080x24", false);
    ASSERT_TRUE(s.server.Running());
    s.Run("xprop -root -format _NET_WORKAREA 32c -set _NET_WORKAREA 0,40,1920,1000");
    ASSERT_TRUE(s.Open("big.mp4",
                       "videotestsrc pattern=solid-color foreground-color=0xff808080 "
                       "num-buffers=10 ! video/x-raw,width=1920,height=1080,framerate=5/1 ! "
                       "x264enc speed-preset=ultrafast ! mp4mux"));
    QRect picture;
    ASSERT_TRUE(Within(15s, [&] {
        picture = s.GreyPicture();
        return picture.width() > 1000;
    })) << "the picture shows";
    ASSERT_TRUE(Settles(5s, [&] { return s.Geometry(); }));
    const QRect frame = s.Geometry();
    EXPECT_TRUE(QRect(0, 40, 1920, 1000).contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_EQ(frame.bottom(), 1039) << "as tall as the work area lets it be";
    // The picture fills its surface but for a letterbox row or column where
    // the aspect does not come out in whole pixels.
    const QRect surface = s.Surface();
    EXPECT_TRUE(surface.contains(picture));
    EXPECT_LE(surface.width() + surface.height() - picture.width() - picture.height(), 1);
    EXPECT_NEAR(double(picture.width()) / picture.height(), 16.0 / 9.0, 0.004)
        << picture.width() << "x" << picture.height();
}

}  // namespace
}  // namespace tavimo::e2e
