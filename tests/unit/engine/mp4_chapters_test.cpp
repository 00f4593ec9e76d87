// Nero chapters read from MP4 files written byte by byte: the normal box, and
// files damaged in each way a size or length can lie.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/media/mp4_chapters.h"

namespace tavimo {
namespace {

std::string Be(uint64_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
}

std::string Box(const char* type, const std::string& payload) {
    return Be(8 + payload.size(), 4) + type + payload;
}

std::string Entry(uint64_t start, const std::string& title) {
    return Be(start, 8) + static_cast<char>(title.size()) + title;
}

using Chapters = std::vector<std::pair<int64_t, std::string>>;

TEST(Mp4ChaptersTest, ReadsTheNeroBoxAndStopsAtDamage) {
    const std::string header = std::string("\x01\0\0\0", 4) + Be(0, 4);  // version 1, reserved
    const std::string two =
        header + '\x02' + Entry(0, "Intro") + Entry(25'000'000, "Zwei \xC3\xA4");
    const std::string ftyp = Box("ftyp", "isom" + Be(512, 4) + "isom");
    const std::string mdat = Box("mdat", std::string(100, 'x'));
    struct Row {
        const char* name;
        std::string file;
        Chapters chapters;
    } rows[] = {
        {"after the media data, beside other boxes",
         ftyp + mdat +
             Box("moov", Box("mvhd", std::string(20, '\0')) +
                             Box("udta", Box("meta", "") + Box("chpl", two))),
         {{0, "Intro"}, {25'000'000, "Zwei \xC3\xA4"}}},
        {"version 0 has no reserved bytes",
         Box("moov", Box("udta", Box("chpl", std::string("\0\0\0\0", 4) + '\x01' + Entry(7, "")))),
         {{7, ""}}},
        {"a title running past the box: the chapters before it",
         Box("moov", Box("udta", Box("chpl", header + '\x03' + Entry(0, "Intro") + Be(9, 8) +
                                                 "\x40" + "short"))),
         {{0, "Intro"}}},
        {"a count larger than the entries",
         Box("moov", Box("udta", Box("chpl", header + '\x09' + Entry(5, "A")))),
         {{5, "A"}}},
        {"a child box larger than its parent",
         Box("moov", Be(4000, 4) + "udta" + Box("chpl", two)),
         {}},
        {"a movie box larger than the file",
         ftyp + Be(1'000'000, 4) + "moov" + Box("udta", Box("chpl", two)),
         {}},
        {"a box smaller than its header",
         ftyp + Be(3, 4) + "free" + Box("moov", Box("udta", Box("chpl", two))),
         {}},
        {"no chapters", ftyp + Box("moov", Box("udta", "")), {}},
        {"not an MP4 file", "This is not a video.\n", {}},
    };
    for (const Row& row : rows) {
        const std::string path = testing::TempDir() + "chapters.mp4";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << row.file;
        EXPECT_EQ(ReadNeroChapters(path), row.chapters) << row.name;
    }
    EXPECT_EQ(ReadNeroChapters(testing::TempDir() + "missing.mp4"), Chapters{});
}

}  // namespace
}  // namespace tavimo
