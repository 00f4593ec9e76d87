// The Filters popup of the main window and its table, as one piece the frame
// holds: rebuilt when a graph starts, asked when an item is chosen.
#pragma once

#include <functional>
#include <memory>

#include "engine/filters_menu.h"

class QMenu;
class QWidget;

namespace tavimo {

// The popup as a QMenu whose items issue their ids through `command`.
class QtFiltersPopup : public FiltersPopup {
  public:
    QtFiltersPopup(QMenu* menu, std::function<void(int)> command)
        : menu_(menu), command_(std::move(command)) {}
    void RemoveAll() override;
    void Append(int id, const std::string& name) override;

  private:
    QMenu* menu_;
    std::function<void(int)> command_;
};

class QtFiltersMenu {
  public:
    QtFiltersMenu(QMenu* menu, std::function<void(int)> command)
        : popup_(menu, std::move(command)) {}
    // BuildFiltersMenu for the graph that has just started.
    void Build(const std::shared_ptr<IGraphBuilder>& graph) {
        BuildFiltersMenu(graph, popup_, table_);
    }
    // ShowFilterProperties for a chosen item.
    void ShowProperties(int id, QWidget* owner);
    const FilterMenuTable& Table() const { return table_; }

  private:
    QtFiltersPopup popup_;
    FilterMenuTable table_;
};

}  // namespace tavimo
