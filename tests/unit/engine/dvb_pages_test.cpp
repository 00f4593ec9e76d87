// DVB display sets given a column to spare in each region, and data that is
// damaged or no display set left as it came.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/media/dvb_pages.h"

namespace tavimo {
namespace {

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
