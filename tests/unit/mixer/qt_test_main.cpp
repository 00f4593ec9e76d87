// Test entry for programs that draw text: a QGuiApplication (offscreen) with
// DejaVu Sans loaded from its file, so glyph shapes do not depend on what else
// the machine has installed.
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    const char* fontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (QFontDatabase::addApplicationFont(QString::fromLatin1(fontFile)) < 0) {
        std::fprintf(stderr, "cannot load %s (package fonts-dejavu-core)\n", fontFile);
        return 1;
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    QGuiApplication::setFont(font);
    return RUN_ALL_TESTS();
}
