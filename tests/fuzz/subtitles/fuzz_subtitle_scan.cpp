// libFuzzer target: the readers' number scanning against the C library's
// sscanf, for the three formats the readers use. The first byte picks the
// format, the rest is the line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "subtitles/subtitle_reader_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kFormats[] = {"%d %d", "%d:%d:%d,%d --> %d:%d:%d,%d", "{%d}{%d}"};
    const char* format = kFormats[size > 0 ? data[0] % 3 : 0];
    const std::string line(reinterpret_cast<const char*>(data) + (size > 0), size - (size > 0));
    int32_t ours[8] = {};
    int libc[8] = {};
    const int n = tavimo::ScanNumbers(line, format, ours);
    if (n != sscanf(line.c_str(), format, &libc[0], &libc[1], &libc[2], &libc[3], &libc[4],
                    &libc[5], &libc[6], &libc[7]) ||
        !std::equal(ours, ours + std::max(n, 0), libc)) {
        abort();
    }
    return 0;
}
