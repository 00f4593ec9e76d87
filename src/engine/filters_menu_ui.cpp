#include "engine/filters_menu_ui.h"

#include <QAction>
#include <QMenu>

#include "engine/filter_properties.h"

namespace tavimo {

void QtFiltersPopup::RemoveAll() {
    // The item being handled may be among them: it goes once its signal returns.
    for (QAction* action : menu_->actions()) {
        menu_->removeAction(action);
        action->deleteLater();
    }
}

void QtFiltersPopup::Append(int id, const std::string& name) {
    QAction* action = menu_->addAction(QString::fromStdString(name));
    QObject::connect(action, &QAction::triggered, menu_, [command = command_, id] { command(id); });
}

void QtFiltersMenu::ShowProperties(int id, QWidget* owner) {
    ShowFilterProperties(table_, id, owner);
}

}  // namespace tavimo
