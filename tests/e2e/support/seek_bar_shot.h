// The seek bar as a screenshot shows it: the played part filled in amber up
// to the position, inside a black border.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdlib>

namespace tavimo::e2e {

inline bool IsFill(QRgb pixel) {
    const QColor c(pixel);
    return std::abs(c.red() - 214) < 12 && std::abs(c.green() - 165) < 12 && c.blue() < 20;
}
inline bool IsBlack(QRgb pixel) {
    return QColor(pixel).value() < 16;
}

// The seek bar's client area: its fill, first met in rows [top, bottom) and
// columns [0, columns), starts it on the left; its black border ends it on
// the right (along the bottom row, where no text is). Empty when no fill
// shows there.
inline QRect SeekBarIn(const QImage& shot, int top, int bottom, int columns) {
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < columns; ++x) {
            if (!IsFill(shot.pixel(x, y)))
                continue;
            int last = y, right = x;
            while (IsFill(shot.pixel(x, last + 1)))
                ++last;
            while (right < shot.width() - 1 && !IsBlack(shot.pixel(right + 1, last)))
                ++right;
            return QRect(QPoint(x, y), QPoint(right, last));
        }
    }
    return {};
}

// How far the fill reaches into `bar`, in pixels from its left.
inline int FillEnd(const QImage& shot, const QRect& bar) {
    int x = bar.left();
    while (x <= bar.right() && IsFill(shot.pixel(x, bar.bottom())))
        ++x;
    return x - bar.left();
}

}  // namespace tavimo::e2e
