// libFuzzer target for one subtitle reader (SubRip, or MicroDVD when
// TAVIMO_FUZZ_MICRODVD is 1). Each input is read from memory and from a file;
// both must give the same entries, and every entry must be well formed. A
// broken rule aborts, which libFuzzer reports with the input and the line.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "subtitles/subtitle_reader.h"

using namespace tavimo;

static void Require(bool ok) {
    if (!ok) {
        abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto read = TAVIMO_FUZZ_MICRODVD ? ReadMicroDvd : ReadSubRip;
    SubtitleReader memory, file;
    Require(memory.OpenSubtitleData(std::string(reinterpret_cast<const char*>(data), size)));
    read(memory);
    // An in-memory file of this process (no disk writes between runs), reached
    // through its /proc path as any file would be.
    static const int fd = memfd_create("tavimo-fuzz", MFD_CLOEXEC);
    Require(ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    Require(file.OpenSubtitleFile("/proc/self/fd/" + std::to_string(fd)));
    read(file);
    Require(file.entries() == memory.entries());
    for (const SubtitleEntry& e : file.entries()) {
        const int64_t lines = std::min<int64_t>(std::ranges::count(e.text, '\n') + 1, INT16_MAX);
        Require(IsValidUtf8(e.text) && e.text.find('\0') == std::string::npos);
        if (TAVIMO_FUZZ_MICRODVD) {  // frame entries; every bar starts a line
            Require(e.start == 0 && e.end == 0 && e.lines == lines);
        } else {  // time entries; text lines joined by line feeds
            Require(e.startFrame == 0 && e.endFrame == 0 &&
                    e.lines == (e.text.empty() ? 0 : lines));
            Require(e.text.empty() || (e.text.front() != '\n' && e.text.back() != '\n'));
        }
    }
    return 0;
}
