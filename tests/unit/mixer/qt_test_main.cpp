// Test entry for programs that draw text: an offscreen QGuiApplication with
// DejaVu Sans loaded from its file, so glyphs do not depend on the machine.
#include <QFontDatabase>
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    if (QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")) < 0) {
        return 1;  // package fonts-dejavu-core
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    QGuiApplication::setFont(font);  // the default subtitle font
    return RUN_ALL_TESTS();
}
