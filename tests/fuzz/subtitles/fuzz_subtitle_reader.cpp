// libFuzzer target for one subtitle reader (SubRip, or MicroDVD when
// TAVIMO_FUZZ_MICRODVD is 1). Each input is read from memory and from a file;
// both must give the same entries, and every entry must be well formed.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_track.h"
#include "subtitles/text_encoding.h"

namespace {

using namespace tavimo;

void Check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "broken: %s\n", what);
        abort();
    }
}

void Read(SubtitleReader& reader) {
#if TAVIMO_FUZZ_MICRODVD
    ReadMicroDvd(reader);
#else
    ReadSubRip(reader);
#endif
}

// An in-memory file of this process (no disk writes between runs), reached
// through its /proc path as any file would be.
struct ScratchFile {
    int fd = memfd_create("tavimo-fuzz", MFD_CLOEXEC);
    std::string path = "/proc/self/fd/" + std::to_string(fd);

    void Store(const std::string& bytes) const {
        Check(ftruncate(fd, 0) == 0, "truncate");
        Check(pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
              "write");
    }
};

void CheckEntry(const SubtitleEntry& e) {
    Check(IsValidUtf8(e.text), "text is UTF-8");
    Check(e.text.find('\0') == std::string::npos, "no NUL in text");
    const auto feeds = std::count(e.text.begin(), e.text.end(), '\n');
#if TAVIMO_FUZZ_MICRODVD
    Check(e.start == 0 && e.end == 0, "frame entry has no times");
    Check(e.lines == std::min<int64_t>(feeds + 1, INT16_MAX), "lines counts bars");
#else
    Check(e.startFrame == 0 && e.endFrame == 0, "time entry has no frames");
    Check(e.text.empty() ? e.lines == 0 : e.lines == std::min<int64_t>(feeds + 1, INT16_MAX),
          "lines counts text lines");
    Check(e.text.empty() || (e.text.front() != '\n' && e.text.back() != '\n'),
          "no line feed at either end");
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    SubtitleReader memory;
    Check(memory.OpenSubtitleData(bytes, "fuzz"), "open from memory");
    Read(memory);

    static const ScratchFile scratch;
    Check(scratch.fd >= 0, "scratch file");
    scratch.Store(bytes);
    SubtitleReader file;
    Check(file.OpenSubtitleFile(scratch.path), "open the file");
    Read(file);
    Check(file.entries() == memory.entries(), "file and memory agree");

    for (const SubtitleEntry& e : file.entries()) {
        CheckEntry(e);
    }
    // Lookups over what was read, at times taken from the input.
    int32_t cursor = 0;
    for (size_t i = 0; i + 8 <= size && i < 64; i += 8) {
        int64_t t = 0;
        memcpy(&t, data + i, sizeof t);
        const int found = FindEntryAt(file.entries(), t, i % 16 ? 23.976 : 25.0, cursor);
        Check(found == kNoEntry || static_cast<size_t>(found) < file.entries().size(), "index");
    }
    return 0;
}
