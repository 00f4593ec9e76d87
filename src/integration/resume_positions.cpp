#include "integration/resume_positions.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <utility>

#include "platform/registry.h"

namespace tavimo {
namespace {

constexpr char kResumeKey[] = "Software\\Orvenic\\Tavimo\\Resume Positions";
// Entries that could not be read are copied here, under their own names,
// before a save renumbers the list over them.
constexpr char kDamagedKey[] = "Software\\Orvenic\\Tavimo\\Resume Positions.bad";

// Each clip is one text value "Clip<n>" (1 is the newest): the position in
// 100 ns units, a space, the path.
std::string ValueName(size_t i) {
    return "Clip" + std::to_string(i + 1);
}

// The stored bytes of `name` and their type; false when there is no such value.
bool ReadRaw(platform::Registry& registry, platform::RegKey key, const std::string& name,
             uint32_t* type, std::string* bytes) {
    uint32_t size = 0;
    if (registry.QueryValue(key, name, type, nullptr, &size) != platform::ERROR_SUCCESS)
        return false;
    bytes->assign(size, '\0');
    return registry.QueryValue(key, name, nullptr, reinterpret_cast<uint8_t*>(bytes->data()),
                               &size) == platform::ERROR_SUCCESS;
}

// "<position> <path>" with a positive position and a path that is not empty.
bool ParseEntry(uint32_t type, std::string text, ResumePositions::Entry* entry) {
    if (type != platform::REG_SZ)
        return false;
    text.resize(strnlen(text.c_str(), text.size()));
    int64_t position = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, position);
    if (error != std::errc() || rest == end || *rest != ' ' || rest + 1 == end || position <= 0)
        return false;
    *entry = {std::string(rest + 1, end), position};
    return true;
}

// Copies the values named `names` of `key` into kDamagedKey, as they are.
void KeepDamaged(platform::Registry& registry, platform::RegKey key,
                 const std::vector<std::string>& names) {
    platform::RegKey bad = nullptr;
    if (names.empty() || registry.CreateKey(kDamagedKey, &bad) != platform::ERROR_SUCCESS)
        return;
    for (const std::string& name : names) {
        uint32_t type = 0;
        std::string bytes;
        if (ReadRaw(registry, key, name, &type, &bytes))
            registry.SetValue(bad, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                              static_cast<uint32_t>(bytes.size()));
    }
    registry.CloseKey(bad);
}

}  // namespace

ResumePositions::Scan ResumePositions::Read(platform::RegKey key) const {
    Scan scan;
    for (size_t i = 0; i < kMaxClips; ++i) {
        const std::string name = ValueName(i);
        uint32_t type = 0;
        std::string bytes;
        Entry entry;
        if (!ReadRaw(registry_, key, name, &type, &bytes))
            continue;  // a gap: the entries after it still count
        if (ParseEntry(type, std::move(bytes), &entry))
            scan.entries.push_back(std::move(entry));
        else
            scan.damaged.push_back(name);
    }
    return scan;
}

std::vector<ResumePositions::Entry> ResumePositions::Load() const {
    platform::RegKey key = nullptr;
    if (registry_.OpenKey(kResumeKey, &key) != platform::ERROR_SUCCESS)
        return {};
    Scan scan = Read(key);
    registry_.CloseKey(key);
    return std::move(scan.entries);
}

void ResumePositions::Update(const std::function<bool(std::vector<Entry>&)>& change) {
    platform::RegKey key = nullptr;
    if (registry_.CreateKey(kResumeKey, &key) != platform::ERROR_SUCCESS)
        return;
    Scan scan = Read(key);
    if (!change(scan.entries)) {
        registry_.CloseKey(key);
        return;
    }
    KeepDamaged(registry_, key, scan.damaged);
    std::vector<Entry>& entries = scan.entries;
    entries.resize(std::min(entries.size(), kMaxClips));
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string text = std::to_string(entries[i].second) + " " + entries[i].first;
        registry_.SetValue(key, ValueName(i), platform::REG_SZ,
                           reinterpret_cast<const uint8_t*>(text.c_str()),
                           static_cast<uint32_t>(text.size() + 1));
    }
    // Values past the list's new end would otherwise come back on the next
    // load; gaps and damaged values among them go too.
    for (size_t i = entries.size();
         registry_.DeleteValue(key, ValueName(i)) == platform::ERROR_SUCCESS || i < kMaxClips;
         ++i) {
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
    Update([&](std::vector<Entry>& entries) {
        return std::erase_if(entries, [&](const Entry& e) { return e.first == path; }) != 0;
    });
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
    Update([&](std::vector<Entry>& entries) {
        std::erase_if(entries, [&](const Entry& e) { return e.first == path; });
        entries.insert(entries.begin(), {path, noted_});
        return true;
    });
}

void ResumePositions::Completed() {
    if (!open_.empty()) {
        Forget(open_);
    }
    noted_ = 0;
}

}  // namespace tavimo
