// The stored 60-byte LOGFONTA value of the subtitle font and its QFont.
#include "subtitles/log_font.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cstring>

namespace tavimo {
namespace {

LogFontBytes Record(int32_t height, int32_t weight, const char* face) {
    LogFontBytes r{};
    std::memcpy(r.data(), &height, 4);  // little-endian host, as stored
    std::memcpy(r.data() + 16, &weight, 4);
    std::strncpy(reinterpret_cast<char*>(r.data() + 28), face, 32);
    return r;
}

TEST(LogFont, FieldsSurviveARoundTrip) {
    struct Case {
        const char* name;
        int pixelSize;
        QFont::Weight weight;
        bool italic, underline, strikeOut;
    };
    const Case cases[] = {
        {"plain", 24, QFont::Normal, false, false, false},
        {"bold italic", 31, QFont::Bold, true, false, false},
        {"thin underlined struck", 12, QFont::Thin, false, true, true},
        {"black", 40, QFont::Black, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(c.pixelSize);
        font.setWeight(c.weight);
        font.setItalic(c.italic);
        font.setUnderline(c.underline);
        font.setStrikeOut(c.strikeOut);
        const LogFontBytes bytes = LogFontFromFont(font);
        int32_t height;
        std::memcpy(&height, bytes.data(), 4);
        EXPECT_EQ(height, -c.pixelSize) << "character height, GDI sign";
        const std::optional<QFont> back = FontFromLogFont(bytes.data(), bytes.size());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->family(), QStringLiteral("DejaVu Sans"));
        EXPECT_EQ(back->pixelSize(), c.pixelSize);
        EXPECT_EQ(back->weight(), c.weight);
        EXPECT_EQ(back->italic(), c.italic);
        EXPECT_EQ(back->underline(), c.underline);
        EXPECT_EQ(back->strikeOut(), c.strikeOut);
    }
}

TEST(LogFont, StoredFieldsSitAtTheirOffsets) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    const LogFontBytes b = LogFontFromFont(font);
    const uint8_t height[] = {0xEC, 0xFF, 0xFF, 0xFF};  // -20
    const uint8_t weight[] = {0xBC, 0x02, 0x00, 0x00};  // 700
    EXPECT_EQ(std::memcmp(b.data(), height, 4), 0);
    EXPECT_EQ(std::memcmp(b.data() + 16, weight, 4), 0);
    EXPECT_EQ(b[20], 1);  // lfItalic
    EXPECT_STREQ(reinterpret_cast<const char*>(b.data() + 28), "DejaVu Sans");
}

TEST(LogFont, UnusableRecordsGiveNoFont) {
    struct Case {
        const char* name;
        LogFontBytes bytes;
        size_t size;
    };
    LogFontBytes unterminated = Record(-20, 400, "");
    std::memset(unterminated.data() + 28, 'A', 32);
    const Case cases[] = {
        {"one byte short", Record(-20, 400, "DejaVu Sans"), 59},
        {"empty", Record(-20, 400, "DejaVu Sans"), 0},
        {"empty face name", Record(-20, 400, ""), 60},
        {"face name without NUL", unterminated, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(FontFromLogFont(c.bytes.data(), c.size).has_value());
    }
    EXPECT_FALSE(FontFromLogFont(nullptr, 60).has_value());
}

TEST(LogFont, HeightAndWeightFollowGdiConventions) {
    struct Case {
        const char* name;
        int32_t height;
        int32_t weight;
        int expectedCell;  // 0: check the pixel size instead
        int expectedPixelSize;
        QFont::Weight expectedWeight;
    };
    const Case cases[] = {
        {"negative height is the character height", -18, 700, 0, 18, QFont::Bold},
        {"positive height is the cell height", 30, 0, 30, 0, QFont::Normal},
        {"weight rounds to the nearest hundred", -12, 640, 0, 12, QFont::DemiBold},
        {"weight above the scale", -12, 1000, 0, 12, QFont::Black},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LogFontBytes r = Record(c.height, c.weight, "DejaVu Sans");
        const std::optional<QFont> font = FontFromLogFont(r.data(), r.size());
        ASSERT_TRUE(font.has_value());
        if (c.expectedCell != 0) {
            EXPECT_NEAR(QFontMetrics(*font).height(), c.expectedCell, 1);
        } else {
            EXPECT_EQ(font->pixelSize(), c.expectedPixelSize);
        }
        EXPECT_EQ(font->weight(), c.expectedWeight);
    }
}

TEST(LogFont, LongFaceNamesAreCutOnACharacterBoundary) {
    // 15 two-byte characters and one more: 32 bytes, one more than fits.
    QFont font(QString::fromUtf8("ééééééééééééééééé"));
    font.setPixelSize(10);
    const LogFontBytes b = LogFontFromFont(font);
    const char* face = reinterpret_cast<const char*>(b.data() + 28);
    EXPECT_EQ(std::strlen(face), 30u);
    EXPECT_TRUE(QString::fromUtf8(face).startsWith(QString::fromUtf8("éé")));
    EXPECT_FALSE(QString::fromUtf8(face).contains(QChar::ReplacementCharacter));
}

}  // namespace
}  // namespace tavimo
