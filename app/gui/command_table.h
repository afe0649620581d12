#pragma once

// The command table of the main window, as data. Every command is one QAction whose object
// name is the command's name; the main menu, the tool bar, the button row and the two context
// menus are built from the place lists below, so the table is the single description of what
// the user sees where.
//
// A place list is a sequence of command names in display order; kSeparator stands for a
// separator.

#include <QString>

#include <span>
#include <string_view>

namespace borderlux {

inline constexpr std::string_view kSeparator = "-";

struct CommandDef {
    std::string_view name; ///< action object name, e.g. "acOpenFile"
    std::string_view caption; ///< menu and button text
    std::string_view hint; ///< status tip and tool tip; empty for none
    int image; ///< index into the shared icon list; -1 for none
    bool checkable = false;
};

/// One pull-down of the main menu: its title (with the menu key marked by '&') and entries.
struct MenuDef {
    std::string_view objectName;
    std::string_view title;
    std::span<const std::string_view> entries;
};

/// Every command, in the order of first appearance (main menu, then tool bar only, then
/// button row and context menus).
std::span<const CommandDef> Commands();
/// The command of that name, or null.
const CommandDef* FindCommand(std::string_view name);

/// The main menu, left to right.
std::span<const MenuDef> MainMenu();
/// The tool bar `ToolBar_Main`, left to right.
std::span<const std::string_view> ToolBarEntries();
/// The button row beside the category selectors, left to right.
std::span<const std::string_view> ButtonRowEntries();
/// The context menu of the main view, `PopupMenu1`.
std::span<const std::string_view> ViewPopupEntries();
/// The context menu of the thumbnail grid, `PopupMenu2`.
std::span<const std::string_view> LibraryPopupEntries();

/// Resource path of icon index i (":/icons/<i>.svg"); empty for -1.
QString IconPath(int image);

} // namespace borderlux
