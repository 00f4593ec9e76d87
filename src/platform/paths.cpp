#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace tavimo::platform {

namespace {

bool SameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string SelfExePath() {
    std::vector<char> buf(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buf.size())
            return std::string(buf.data(), n);
        if (buf.size() >= (1u << 16))
            return {};
        buf.resize(buf.size() * 2);
    }
}

// Keeps the names the caller used (symbolic links stay links) and only makes the path absolute
// and drops "." and doubled separators. Where the tidied text would name another file (a ".."
// after a linked folder), the fully resolved path is used instead.
std::string LongPathName(const std::string& p) {
    struct stat original {};
    if (p.empty() || ::stat(p.c_str(), &original) != 0)
        return p;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(p, ec);
    if (ec)
        return p;
    const std::string tidy = absolute.lexically_normal().string();
    if (SameFile(original, tidy))
        return tidy;
    const std::filesystem::path resolved = std::filesystem::canonical(p, ec);
    return ec ? p : resolved.string();
}

}  // namespace tavimo::platform
