// The number scanning of the subtitle readers: a small scanf for formats made
// of "%d" conversions, white space and literal characters, with the C
// library's results (as glibc gives them) but without its locale and
// format-parsing overhead.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tavimo {

// Scans `input` against `format` as sscanf(input, format, ...) would with one
// int per "%d": white space in the format skips any white space of the input,
// "%d" skips white space and reads an optional sign and decimal digits, every
// other character must match. Values that do not fit an int are truncated as
// glibc does (through a saturating 64-bit value). `input` ends at its end or
// at its first NUL. Writes at most values.size() numbers.
// Returns the number of conversions, or -1 when the input ended before the
// first one. Any thread; no allocation.
int ScanNumbers(std::string_view input, std::string_view format, std::span<int32_t> values);

}  // namespace tavimo
