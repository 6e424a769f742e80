// Menus, toolbars, accelerator tables and status-pane sets as plain data, so
// that the program states them as tables and tests can read them.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace fw {

// A menu item: a command (id != 0), a separator (id 0, no text, no items) or
// a popup (items). "&" marks the mnemonic.
struct MenuItem {
    std::string text;
    int id = 0;
    std::vector<MenuItem> items;

    bool isSeparator() const { return id == 0 && text.empty() && items.empty(); }
    bool isPopup() const { return !items.empty(); }
};
using MenuLayout = std::vector<MenuItem>;  // the popups of a menu bar

// A toolbar button (command id and tooltip), or a separator (id 0).
struct ToolButton {
    int id = 0;
    std::string tip;
};
using ToolbarLayout = std::vector<ToolButton>;

// A key combination in Qt's portable text form ("Ctrl+N", "Shift+Del", "F6")
// and its command.
struct Accelerator {
    std::string keys;
    int id = 0;
};
using AcceleratorTable = std::vector<Accelerator>;

// The resources a main frame draws on, by resource id.
struct ResourceTables {
    std::map<int, MenuLayout> menus;
    std::map<int, ToolbarLayout> toolbars;
    std::map<int, AcceleratorTable> accelerators;
    // String resources; status panes are as wide as the string of their id.
    std::map<int, std::string> strings;
};

}  // namespace fw
