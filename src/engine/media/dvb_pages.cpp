// Walking a DVB subtitle display set's segments.
#include "engine/media/dvb_pages.h"

namespace tavimo {
namespace {

constexpr uint8_t kDataIdentifier = 0x20;
constexpr uint8_t kSyncByte = 0x0F;
constexpr uint8_t kRegionComposition = 0x11;
constexpr size_t kSegmentHeader = 6;  // sync, type, page id, length
// A region composition: id, version and fill flag, width, height, then more
// the overlay reads only when there are at least this many bytes.
constexpr size_t kRegionMinimum = 10;

}  // namespace

int WidenDvbRegions(uint8_t* data, size_t size) {
    if (!data || size < 2 || data[0] != kDataIdentifier || data[1] != 0x00)
        return 0;
    int widened = 0;
    size_t at = 2;
    while (at + kSegmentHeader <= size && data[at] == kSyncByte) {
        const uint8_t type = data[at + 1];
        const size_t length = size_t(data[at + 4]) << 8 | data[at + 5];
        uint8_t* payload = data + at + kSegmentHeader;
        if (length > size - at - kSegmentHeader)
            break;
        const unsigned width = type == kRegionComposition && length >= kRegionMinimum
                                   ? unsigned(payload[2]) << 8 | payload[3]
                                   : 0xFFFF;
        if (width < 0xFFFF) {
            payload[2] = uint8_t((width + 1) >> 8);
            payload[3] = uint8_t((width + 1) & 0xFF);
            ++widened;
        }
        at += kSegmentHeader + length;
    }
    return widened;
}

}  // namespace tavimo
