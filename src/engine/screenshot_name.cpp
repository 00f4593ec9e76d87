#include "engine/screenshot_name.h"

#include <cstdio>

namespace tavimo {
namespace {

// The longest file name Linux file systems take, in bytes (NAME_MAX).
constexpr size_t kLongestName = 255;

// `name` cut to at most `bytes` bytes, never inside a UTF-8 sequence.
std::string CutAtCharacter(const std::string& name, size_t bytes) {
    if (name.size() <= bytes)
        return name;
    size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;  // `end` would split a character: keep it whole or not at all
    return name.substr(0, end);
}

}  // namespace

std::string ClipNameOf(const std::string& clipPath) {
    std::string path = clipPath;
    if (path.find("://") != std::string::npos)
        path = path.substr(0, path.find_first_of("?#"));
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name.empty() ? "Tavimo" : name;
}

std::string ScreenshotTime(int64_t position) {
    const int64_t ms = position > 0 ? position / 10000 : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%lld-%02d-%02d.%03d", static_cast<long long>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return text;
}

std::string ScreenshotName(const std::string& clipPath, int64_t position, int attempt) {
    std::string suffix = " " + ScreenshotTime(position);
    if (attempt > 1)
        suffix += " (" + std::to_string(attempt) + ")";
    suffix += ".png";
    const size_t room = kLongestName > suffix.size() ? kLongestName - suffix.size() : 0;
    return CutAtCharacter(ClipNameOf(clipPath), room) + suffix;
}

}  // namespace tavimo
