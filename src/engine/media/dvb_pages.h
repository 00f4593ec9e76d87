// DVB subtitle display sets as they come in a PES packet's data: a data
// identifier (0x20), a stream id (0x00), then segments of a sync byte (0x0F),
// a type, a page id, a 16-bit length and their data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavimo {

// Makes every region of the display set in `data` (`size` bytes, changed in
// place) one pixel wider on the right. GStreamer 1.22's dvbsuboverlay, as
// Debian 12 ships it, stops reading a field of an object at the first line
// that reaches its region's right edge, so that a page ffmpeg or most
// encoders wrote (lines as wide as the region) showed its first line only;
// with a column to spare every line is read. The extra column is the
// region's background, which the overlay fills a region of a new size with.
// Data that is no display set is left as it is; a damaged segment ends the
// walk. Returns how many regions were widened. Any thread.
int WidenDvbRegions(uint8_t* data, size_t size);

}  // namespace tavimo
