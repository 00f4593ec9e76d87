// Menu 107, accelerator table 107 and toolbar 107, declared once as tables
// in their order; the main frame walks them.
#pragma once

#include <span>

#include <QtCore/qnamespace.h>

#include "resources/command_ids.h"

namespace tavimo::res {

// The window title, string 107.
inline constexpr char kAppTitle[] = "Tavimo";

enum class MenuKind { Popup, Item, Separator, EndPopup };

// One row of a menu: popups open a level that EndPopup closes.
struct MenuRow {
    MenuKind kind;
    int id;               // command (0 for popups and separators)
    const char* caption;  // with "\t" and the shortcut text; translated ("Menu") where shown
    bool inactive;        // shown greyed, never chosen
};

std::span<const MenuRow> MainMenu();

// One accelerator: a key with exactly these modifiers (Shift, Ctrl, Alt).
struct Accelerator {
    int key;  // Qt::Key
    Qt::KeyboardModifiers modifiers;
    int command;
};

std::span<const Accelerator> AcceleratorTable();

// The command an accelerator gives for `key` pressed with `modifiers`
// (keypad and other modifiers ignored), or 0 for none.
int TranslateAccelerator(int key, Qt::KeyboardModifiers modifiers);

// One toolbar slot: a button (command, icon name) or a separator (command 0).
struct ToolbarButton {
    int command;
    const char* icon;     // our icon's file name under :/icons/, also the theme name we try
    const char* tooltip;  // translated ("Toolbar") where shown; nullptr: no tooltip
};

std::span<const ToolbarButton> Toolbar();

}  // namespace tavimo::res
