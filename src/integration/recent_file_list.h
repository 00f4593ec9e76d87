// The recent-file list of the File menu: the most recently opened clips,
// newest first, as numbered items that reopen them; kept in the registry
// sub-key "Recent Document List" between runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavimo {

namespace platform {
class Dialogs;
class Registry;
}  // namespace platform

// The File menu as the list sees it: items by position, each with a command
// id (0 for separators and submenus). The frame adapts its menu. UI thread.
class RecentMenu {
  public:
    virtual ~RecentMenu() = default;
    virtual int ItemCount() = 0;
    virtual int CommandAt(int position) = 0;
    // The text of the item with `command`; false when there is none.
    virtual bool TextOf(int command, std::string* text) = 0;
    // A plain item (disabled and greyed when `grayed`) at `position`.
    virtual void InsertAt(int position, int command, const std::string& text, bool grayed) = 0;
    virtual void DeleteAt(int position) = 0;
    // Deletes the item with `command`, when there is one.
    virtual void DeleteCommand(int command) = 0;
};

class RecentFileList {
  public:
    static constexpr int kFirstCommand = 57616;  // the newest entry
    static constexpr size_t kMaxPathLength = 259;

    // `registry` is not owned and outlives the list. UI thread.
    explicit RecentFileList(platform::Registry& registry) : registry_(registry) {}

    // Remembers the File popup; its item kFirstCommand gives the empty-list
    // text ("(empty)" without one). `menu` not owned; null detaches.
    void AttachRecentMenu(RecentMenu* menu);
    // Reads the list from the registry and rebuilds the menu.
    void LoadRecent();
    // Writes "DocumentCount" and "Document1".. (newest first).
    void SaveRecent();
    // `path` (its first 259 characters) becomes the newest entry; an entry
    // equal but for letter case goes, and the oldest when the list is full.
    void AddRecent(const std::string& path);
    // Command kFirstCommand.. : the path to open, moved to the top and saved;
    // nothing (and a beep) when the entry does not exist or was cut to fit.
    std::optional<std::string> OpenRecent(int command, platform::Dialogs& dialogs);
    // Brings the menu's items in line with the entries.
    void RebuildRecentMenu();

    int MaxEntries() const { return maxEntries_; }
    // Newest first.
    std::vector<std::string> Paths() const;

  private:
    struct Entry {
        std::string path;
        bool cut = false;  // longer than a slot: listed, never opened
    };
    void Remove(size_t index);

    platform::Registry& registry_;
    std::vector<Entry> entries_;  // oldest first
    int maxEntries_ = 4;
    RecentMenu* menu_ = nullptr;
    std::string emptyText_ = "(empty)";
};

}  // namespace tavimo
