// render-icon SVG PNG SIZE: draws the SVG at SIZE x SIZE pixels into a PNG
// (the installed application icons are made from the one scalable icon).
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: render-icon SVG PNG SIZE\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[3]);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid() || size <= 0) {
        std::fprintf(stderr, "render-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "render-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
