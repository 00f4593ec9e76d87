// libFuzzer target: the Nero chapter reader on any file. The input is the
// whole file, kept in memory (memfd) and read through its /proc path. Any
// chapter found must hold a start of 0 or more and a title of at most 255
// bytes; a walk that never ends shows as a time-out.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/media/mp4_chapters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = memfd_create("fuzz-chapters.mp4", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        abort();
    for (const auto& [start, title] : tavimo::ReadNeroChapters(path)) {
        if (start < 0 || title.size() > 255)
            abort();
    }
    return 0;
}
