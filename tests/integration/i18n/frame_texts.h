#pragma once

// A main frame as start-up makes it, on fakes, and the texts its menus and
// toolbar show, for the translation tests.

#include <memory>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTranslator>

#include "../frame/frame_test_util.h"
#include "app/main_frame.h"

namespace tavimo {

// The frame as start-up makes it, on fakes.
struct TestFrame : frame_test::TestFrame {
    TestFrame() { Start(); }
};

// One menu item or popup as shown: the titles of the popups above it, its text.
struct ShownText {
    QString where;
    QString text;
};

// Every non-separator entry of `menu` and the popups below it, depth first.
inline void CollectMenu(const QMenu* menu, const QString& where, std::vector<ShownText>& out) {
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        out.push_back({where, action->text()});
        if (action->menu() != nullptr)
            CollectMenu(action->menu(), where + " > " + action->text(), out);
    }
}

inline std::vector<ShownText> MenuTexts(CMainFrame& frame) {
    std::vector<ShownText> out;
    for (const QAction* popup : frame.menuBar()->actions()) {
        out.push_back({"menu bar", popup->text()});
        CollectMenu(popup->menu(), popup->text(), out);
    }
    return out;
}

// Every menu of the frame: the bar's popups and the popups inside them.
inline std::vector<const QMenu*> Menus(CMainFrame& frame) {
    std::vector<const QMenu*> out;
    std::vector<const QMenu*> open;
    for (const QAction* popup : frame.menuBar()->actions())
        open.push_back(popup->menu());
    while (!open.empty()) {
        const QMenu* menu = open.back();
        open.pop_back();
        out.push_back(menu);
        for (const QAction* action : menu->actions())
            if (action->menu() != nullptr)
                open.push_back(action->menu());
    }
    return out;
}

// The translators installed on the application go (they are its children).
inline void RemoveTranslators() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>())
        delete translator;
}

}  // namespace tavimo
