#include "integration/resume_positions.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "platform/registry.h"

namespace tavimo {
namespace {

constexpr char kResumeKey[] = "Software\\Orvenic\\Tavimo\\Resume Positions";

// Each clip is one text value "Clip<n>" (1 is the newest): the position in
// 100 ns units, a space, the path.
std::string ValueName(size_t i) {
    return "Clip" + std::to_string(i + 1);
}

bool ReadEntry(platform::Registry& registry, platform::RegKey key, size_t i,
               ResumePositions::Entry* entry) {
    uint32_t type = 0, size = 0;
    const std::string name = ValueName(i);
    if (registry.QueryValue(key, name, &type, nullptr, &size) != platform::ERROR_SUCCESS ||
        type != platform::REG_SZ) {
        return false;
    }
    std::string text(size, '\0');
    if (registry.QueryValue(key, name, nullptr, reinterpret_cast<uint8_t*>(text.data()), &size) !=
        platform::ERROR_SUCCESS) {
        return false;
    }
    text.resize(strnlen(text.c_str(), size));
    int64_t position = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, position);
    if (error != std::errc() || rest == end || *rest != ' ' || position <= 0) {
        return false;
    }
    *entry = {std::string(rest + 1, end), position};
    return true;
}

}  // namespace

std::vector<ResumePositions::Entry> ResumePositions::Load() const {
    std::vector<Entry> entries;
    platform::RegKey key = nullptr;
    if (registry_.OpenKey(kResumeKey, &key) != platform::ERROR_SUCCESS) {
        return entries;
    }
    Entry entry;
    for (size_t i = 0; i < kMaxClips && ReadEntry(registry_, key, i, &entry); ++i) {
        entries.push_back(std::move(entry));
    }
    registry_.CloseKey(key);
    return entries;
}

void ResumePositions::Save(std::vector<Entry> entries) {
    platform::RegKey key = nullptr;
    if (registry_.CreateKey(kResumeKey, &key) != platform::ERROR_SUCCESS) {
        return;
    }
    entries.resize(std::min(entries.size(), kMaxClips));
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string text = std::to_string(entries[i].second) + " " + entries[i].first;
        registry_.SetValue(key, ValueName(i), platform::REG_SZ,
                           reinterpret_cast<const uint8_t*>(text.c_str()),
                           static_cast<uint32_t>(text.size() + 1));
    }
    // Values past the list's new end would otherwise come back on the next load.
    for (size_t i = entries.size();
         registry_.DeleteValue(key, ValueName(i)) == platform::ERROR_SUCCESS; ++i) {
    }
    registry_.CloseKey(key);
}

int64_t ResumePositions::Opened(const std::string& path) {
    Track(path);
    for (const Entry& entry : Load()) {
        if (entry.first == path) {
            return entry.second;
        }
    }
    return 0;
}

void ResumePositions::Forget(const std::string& path) {
    std::vector<Entry> entries = Load();
    if (std::erase_if(entries, [&](const Entry& e) { return e.first == path; }) != 0) {
        Save(std::move(entries));
    }
}

void ResumePositions::Leave(int64_t duration) {
    if (open_.empty()) {
        return;
    }
    const std::string path = std::exchange(open_, std::string());
    if (noted_ <= kMargin || noted_ >= duration - kMargin) {
        Forget(path);
        return;
    }
    std::vector<Entry> entries = Load();
    std::erase_if(entries, [&](const Entry& e) { return e.first == path; });
    entries.insert(entries.begin(), {path, noted_});
    Save(std::move(entries));
}

void ResumePositions::Completed() {
    if (!open_.empty()) {
        Forget(open_);
    }
    noted_ = 0;
}

}  // namespace tavimo
