#include "app/recent_menu.h"

#include <QAction>
#include <QMenu>

namespace tavimo {

int QtRecentMenu::ItemCount() {
    return static_cast<int>(menu_->actions().size());
}

int QtRecentMenu::CommandAt(int position) {
    const QList<QAction*> actions = menu_->actions();
    if (position < 0 || position >= actions.size() || actions.at(position)->isSeparator()) {
        return 0;
    }
    return actions.at(position)->data().toInt();
}

bool QtRecentMenu::TextOf(int command, std::string* text) {
    for (QAction* action : menu_->actions()) {
        if (!action->isSeparator() && action->data().toInt() == command) {
            *text = action->text().toStdString();
            return true;
        }
    }
    return false;
}

void QtRecentMenu::InsertAt(int position, int command, const std::string& text, bool grayed) {
    auto* action = new QAction(QString::fromStdString(text), menu_);
    action->setData(command);
    action->setEnabled(!grayed);
    QObject::connect(action, &QAction::triggered, menu_, [this, command] { onCommand_(command); });
    const QList<QAction*> actions = menu_->actions();
    menu_->insertAction(position >= 0 && position < actions.size() ? actions.at(position) : nullptr,
                        action);
}

void QtRecentMenu::DeleteAt(int position) {
    const QList<QAction*> actions = menu_->actions();
    if (position >= 0 && position < actions.size()) {
        QAction* action = actions.at(position);
        menu_->removeAction(action);
        action->deleteLater();
    }
}

void QtRecentMenu::DeleteCommand(int command) {
    for (QAction* action : menu_->actions()) {
        if (!action->isSeparator() && action->data().toInt() == command) {
            menu_->removeAction(action);
            action->deleteLater();
            return;
        }
    }
}

}  // namespace tavimo
