#include "integration/recent_file_list.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/dialogs.h"
#include "platform/registry.h"
#include "resources/translate.h"

namespace tavimo {
namespace {

constexpr char kAppKey[] = "Software\\Orvenic\\Tavimo";
constexpr char kListKey[] = "Software\\Orvenic\\Tavimo\\Recent Document List";
constexpr uint32_t kSlotBytes = 260;
constexpr int kLastDeletedValue = 15;

std::string ValueName(int i) {
    return "Document" + std::to_string(i);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The first 259 bytes of `path`, not splitting a UTF-8 sequence.
std::string Slot(const std::string& path) {
    if (path.size() <= RecentFileList::kMaxPathLength)
        return path;
    size_t end = RecentFileList::kMaxPathLength;
    while (end > 0 && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80)
        --end;
    return path.substr(0, end);
}

}  // namespace

void RecentFileList::AttachRecentMenu(RecentMenu* menu) {
    menu_ = menu;
    std::string text;
    emptyText_ =
        menu && menu->TextOf(kFirstCommand, &text) ? text.substr(0, kSlotBytes - 1) : "(empty)";
}

void RecentFileList::Remove(size_t index) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

void RecentFileList::AddRecent(const std::string& path) {
    Entry entry{Slot(path), path.size() > kMaxPathLength};
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (SameIgnoringCase(entries_[i].path, entry.path)) {
            entry.cut = entry.cut || entries_[i].cut;
            Remove(i);
            break;
        }
    }
    if (!entries_.empty() && entries_.size() >= static_cast<size_t>(maxEntries_))
        Remove(0);
    entries_.push_back(std::move(entry));
    RebuildRecentMenu();
}

std::vector<std::string> RecentFileList::Paths() const {
    std::vector<std::string> out;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        out.push_back(it->path);
    return out;
}

void RecentFileList::RebuildRecentMenu() {
    if (!menu_)
        return;
    int p = menu_->ItemCount();
    for (int i = 0; i < menu_->ItemCount(); ++i) {
        if (menu_->CommandAt(i) == kFirstCommand) {
            p = i;
            break;
        }
    }
    for (int command = kFirstCommand + 1; command < kFirstCommand + maxEntries_; ++command)
        menu_->DeleteCommand(command);
    if (entries_.empty()) {
        menu_->InsertAt(p, kFirstCommand, emptyText_, true);
        menu_->DeleteAt(p + 1);
        return;
    }
    const int count = static_cast<int>(entries_.size());
    for (int k = 1; k <= count; ++k) {
        const std::string text =
            "&" + std::to_string(k) + " " + MenuLiteral(entries_[count - k].path);
        menu_->InsertAt(p + k - 1, kFirstCommand + k - 1, text, false);
    }
    menu_->DeleteAt(p + count);
}

void RecentFileList::SaveRecent() {
    platform::RegKey app = nullptr, list = nullptr;
    if (registry_.CreateKey(kAppKey, &app) != platform::ERROR_SUCCESS)
        return;
    if (registry_.CreateKey(kListKey, &list) != platform::ERROR_SUCCESS) {
        registry_.CloseKey(app);
        return;
    }
    const uint32_t count = static_cast<uint32_t>(maxEntries_);
    registry_.SetValue(list, "DocumentCount", platform::REG_DWORD,
                       reinterpret_cast<const uint8_t*>(&count), sizeof count);
    const int n = static_cast<int>(entries_.size());
    for (int i = n; i >= 1; --i) {
        const std::string& path = entries_[n - i].path;
        registry_.SetValue(list, ValueName(i), platform::REG_SZ,
                           reinterpret_cast<const uint8_t*>(path.c_str()),
                           static_cast<uint32_t>(path.size() + 1));
    }
    for (int i = n + 1; i <= kLastDeletedValue; ++i)
        registry_.DeleteValue(list, ValueName(i));
    registry_.CloseKey(list);
    registry_.CloseKey(app);
}

void RecentFileList::LoadRecent() {
    platform::RegKey app = nullptr, list = nullptr;
    if (registry_.OpenKey(kAppKey, &app) != platform::ERROR_SUCCESS)
        return;
    if (registry_.OpenKey(kListKey, &list) != platform::ERROR_SUCCESS) {
        registry_.CloseKey(app);
        return;
    }
    uint32_t type = 0, count = 0, size = sizeof count;
    long status = registry_.QueryValue(list, "DocumentCount", &type,
                                       reinterpret_cast<uint8_t*>(&count), &size);
    if (status == platform::ERROR_SUCCESS && type == platform::REG_DWORD && size == sizeof count) {
        maxEntries_ = static_cast<int>(std::clamp<uint32_t>(count, 2, 16));
        entries_.clear();
        for (int i = maxEntries_; i >= 1; --i) {
            uint8_t text[kSlotBytes] = {};
            uint32_t length = kSlotBytes;
            if (registry_.QueryValue(list, ValueName(i), nullptr, text, &length) !=
                platform::ERROR_SUCCESS)
                continue;
            std::string path(reinterpret_cast<const char*>(text),
                             strnlen(reinterpret_cast<const char*>(text), length));
            if (path.size() >= kSlotBytes)
                continue;
            AddRecent(path);
            // A full slot may hold a path that was cut to fit.
            // A path that cannot be checked (an unreadable folder, a name too
            // long) is kept as it was stored.
            std::error_code ec;
            if (path.size() == kMaxPathLength && !std::filesystem::exists(path, ec) && !ec)
                entries_.back().cut = true;
        }
        RebuildRecentMenu();
    }
    registry_.CloseKey(list);
    registry_.CloseKey(app);
}

std::optional<std::string> RecentFileList::OpenRecent(int command, platform::Dialogs& dialogs) {
    const long index = static_cast<long>(entries_.size()) - (command - (kFirstCommand - 1));
    if (index < 0 || index >= static_cast<long>(entries_.size()) || entries_[index].cut) {
        dialogs.MessageBeep(platform::MB_ICONHAND);
        return std::nullopt;
    }
    Entry entry = entries_[index];
    Remove(static_cast<size_t>(index));
    entries_.push_back(entry);
    RebuildRecentMenu();
    SaveRecent();
    return entry.path;
}

}  // namespace tavimo
