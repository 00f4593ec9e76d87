// libFuzzer target for one subtitle reader (SubRip, or MicroDVD when
// TAVIMO_FUZZ_MICRODVD is 1). Each input is read from memory and from a file;
// both must give the same entries, and every entry must be well formed.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "subtitles/subtitle_reader.h"

namespace {

using namespace tavimo;
constexpr bool kMicroDvd = TAVIMO_FUZZ_MICRODVD;

void Check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "broken: %s\n", what);
        abort();
    }
}

void CheckEntry(const SubtitleEntry& e) {
    Check(IsValidUtf8(e.text) && e.text.find('\0') == std::string::npos, "UTF-8 text, no NUL");
    const auto feeds = std::count(e.text.begin(), e.text.end(), '\n');
    const int64_t lines = std::min<int64_t>(feeds + 1, INT16_MAX);
    if (kMicroDvd) {
        Check(e.start == 0 && e.end == 0 && e.lines == lines, "frame entry, lines count bars");
        return;
    }
    Check(e.startFrame == 0 && e.endFrame == 0, "time entry has no frames");
    Check(e.lines == (e.text.empty() ? 0 : lines), "lines counts text lines");
    Check(e.text.empty() || (e.text.front() != '\n' && e.text.back() != '\n'),
          "no line feed at either end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto read = kMicroDvd ? ReadMicroDvd : ReadSubRip;
    SubtitleReader memory, file;
    Check(memory.OpenSubtitleData(std::string(reinterpret_cast<const char*>(data), size), "fuzz"),
          "open from memory");
    read(memory);
    // An in-memory file of this process (no disk writes between runs), reached
    // through its /proc path as any file would be.
    static const int fd = memfd_create("tavimo-fuzz", MFD_CLOEXEC);
    Check(ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size),
          "scratch file");
    Check(file.OpenSubtitleFile("/proc/self/fd/" + std::to_string(fd)), "open the file");
    read(file);
    Check(file.entries() == memory.entries(), "file and memory agree");
    for (const SubtitleEntry& e : file.entries()) {
        CheckEntry(e);
    }
    return 0;
}
