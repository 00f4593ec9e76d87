// The File popup as the recent-file list sees it: items by position, each
// identified by its command.
#pragma once

#include <functional>

#include "integration/recent_file_list.h"

class QMenu;

namespace tavimo {

class QtRecentMenu : public RecentMenu {
  public:
    // `menu` not owned; `onCommand` runs when an inserted item is chosen.
    QtRecentMenu(QMenu* menu, std::function<void(int)> onCommand)
        : menu_(menu), onCommand_(std::move(onCommand)) {}

    int ItemCount() override;
    int CommandAt(int position) override;
    bool TextOf(int command, std::string* text) override;
    void InsertAt(int position, int command, const std::string& text, bool grayed) override;
    void DeleteAt(int position) override;
    void DeleteCommand(int command) override;

  private:
    QMenu* menu_;
    std::function<void(int)> onCommand_;
};

}  // namespace tavimo
