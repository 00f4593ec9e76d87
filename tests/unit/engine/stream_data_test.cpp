// Stream data written byte by byte. Nero chapters read from MP4 files: the
// normal box, and files damaged in each way a size or length can lie; each
// file is read on a thread of its own, so that a walk that never ends fails
// the row instead of hanging the test. DVB display sets given a column to
// spare in each region, and data that is damaged or no display set left as
// it came.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "../platform/test_dir.h"
#include "../subtitles/hang_bound.h"
#include "engine/media/dvb_pages.h"
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
    const Chapters none, both = {{0, "Intro"}, {25'000'000, "Zwei \xC3\xA4"}};
    struct Row {
        const char* name;
        std::string file;
        Chapters chapters;
    } rows[] = {
        {"after the media data, beside other boxes",
         ftyp + mdat +
             Box("moov", Box("mvhd", std::string(20, '\0')) +
                             Box("udta", Box("meta", "") + Box("chpl", two))),
         both},
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
        {"a child box larger than its parent", Box("moov", Be(4000, 4) + "udta" + Box("chpl", two)),
         none},
        {"a movie box larger than the file",
         ftyp + Be(1'000'000, 4) + "moov" + Box("udta", Box("chpl", two)), none},
        {"a box smaller than its header",
         ftyp + Be(3, 4) + "free" + Box("moov", Box("udta", Box("chpl", two))), none},
        {"a 64-bit size that points back before the box",
         ftyp + Box("free", "") + Be(1, 4) + "skip" + Be(~uint64_t{7}, 8) +
             Box("moov", Box("udta", Box("chpl", two))),
         none},
        {"a 64-bit size smaller than its header",
         ftyp + Be(1, 4) + "skip" + Be(8, 8) + Box("moov", Box("udta", Box("chpl", two))), none},
        {"a 64-bit size past the end of the file",
         ftyp + Be(1, 4) + "mdat" + Be(uint64_t{1} << 40, 8) +
             Box("moov", Box("udta", Box("chpl", two))),
         none},
        {"a child's 64-bit size that points back",
         Box("moov", Be(1, 4) + "free" + Be(~uint64_t{15}, 8) + Box("udta", Box("chpl", two))),
         none},
        {"a movie box with a 64-bit size",
         ftyp + Be(1, 4) + "moov" + Be(16 + 8 + 8 + two.size(), 8) + Box("udta", Box("chpl", two)),
         both},
        {"a movie box running to the end of the file (size 0)",
         ftyp + Be(0, 4) + "moov" + Box("udta", Box("chpl", two)), both},
        {"a user data box over 1 MB is not read",
         Box("moov", Box("udta", Box("chpl", two) + Box("free", std::string(1 << 20, '\0')))),
         none},
        {"no chapters", ftyp + Box("moov", Box("udta", "")), none},
        {"not an MP4 file", "This is not a video.\n", none},
    };
    platform::testing::TestDir dir;
    for (const Row& row : rows) {  // each file read within 10 s, or the row fails
        const std::string path = dir.Write(row.name, row.file);
        EXPECT_EQ(testing_support::Within<Chapters>(std::chrono::seconds(10),
                                                    [path] { return ReadNeroChapters(path); }),
                  row.chapters)
            << row.name;
    }
    EXPECT_EQ(ReadNeroChapters(dir / "missing.mp4"), Chapters{});
}

using namespace std::string_literals;

// The data of a PES packet: identifier, stream id, then segments.
const std::string kHead = "\x20\x00"s;
// A page composition (type 0x10, page 1, 8 bytes): time-out 30 s, mode
// change, region 0 at (100, 30).
const std::string kPage = "\x0f\x10\x00\x01\x00\x08\x1e\x08\x00\xff\x00\x64\x00\x1e"s;
// A region composition (type 0x11, 16 bytes): region 0, filled, 120 x 40,
// 2-bit, CLUT 0, one object at (0, 0).
const std::string kRegion120 =
    "\x0f\x11\x00\x01\x00\x10\x00\x08\x00\x78\x00\x28\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00"s;
const std::string kRegion121 =
    "\x0f\x11\x00\x01\x00\x10\x00\x08\x00\x79\x00\x28\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00"s;
// The same for region 1, 255 wide (the low byte carries over) and 65535 wide.
const std::string kRegion255 =
    "\x0f\x11\x00\x01\x00\x10\x01\x08\x00\xff\x00\x28\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00"s;
const std::string kRegion256 =
    "\x0f\x11\x00\x01\x00\x10\x01\x08\x01\x00\x00\x28\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00"s;
const std::string kRegionWidest =
    "\x0f\x11\x00\x01\x00\x10\x01\x08\xff\xff\x00\x28\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00"s;
const std::string kEnd = "\x0f\x80\x00\x01\x00\x00\xff"s;

TEST(DvbPagesTest, RegionsGetAColumnToSpareAndDamagedDataIsLeftAlone) {
    struct Row {
        const char* name;
        std::string in;
        std::string out;
        int widened;
    } rows[] = {
        {"a page with one region", kHead + kPage + kRegion120 + kEnd,
         kHead + kPage + kRegion121 + kEnd, 1},
        {"two regions; a width's low byte carries into its high byte",
         kHead + kRegion120 + kRegion255 + kEnd, kHead + kRegion121 + kRegion256 + kEnd, 2},
        {"the widest region stays as wide", kHead + kRegionWidest, kHead + kRegionWidest, 0},
        {"a segment running past the data ends the walk",
         kHead + kRegion120 + kRegion255.substr(0, 12),
         kHead + kRegion121 + kRegion255.substr(0, 12), 1},
        {"a region segment too short to hold its size",
         kHead + "\x0f\x11\x00\x01\x00\x03\x00\x08\x00"s,
         kHead + "\x0f\x11\x00\x01\x00\x03\x00\x08\x00"s, 0},
        {"no sync byte where a segment starts", kHead + "\x00"s + kRegion120,
         kHead + "\x00"s + kRegion120, 0},
        {"not subtitle data", "\x21\x00"s + kRegion120, "\x21\x00"s + kRegion120, 0},
        {"a segment header cut short", kHead + "\x0f\x11\x00"s, kHead + "\x0f\x11\x00"s, 0},
        {"nothing", "", "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Exactly as long as the data, so that the sanitizer catches a read past it.
        std::vector<uint8_t> data(row.in.begin(), row.in.end());
        EXPECT_EQ(WidenDvbRegions(data.data(), data.size()), row.widened);
        EXPECT_EQ(std::string(data.begin(), data.end()), row.out);
    }
}

}  // namespace
}  // namespace tavimo
