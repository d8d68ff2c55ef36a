#pragma once

#include "platform/WindowView.h"

#include <cstdint>
#include <vector>

namespace quillery {

// The holder of the item context menu: New, Edit, Remove, a separator, Move Up, Move Down.
// The holder is never shown itself; its entries appear as a pop-up menu over the pop-up
// window, and its commands act on the current item.
class frm4Menu {
public:
    enum Command : int { mnuNew = 1, mnuEdit, mnuRemove, line, mnuMoveUp, MnuMoveDown };

    frm4Menu();

    // The entries under "Pop-up", in display order, with their enabled state.
    std::vector<MenuEntry> mnupopup;

    // Sets New, Remove, Move Up and Move Down afresh for `lines` shown lines and a right
    // click on line `clickedLine`; Edit and the separator never change.
    void SetEnablement(int lines, int clickedLine);
    bool IsEnabled(Command command) const;

    // Runs the chosen command; 0 (the menu was dismissed) does nothing.
    void Run(int command);

    void mnuNew_Click();
    void mnuEdit_Click();
    void mnuRemove_Click();
    void mnuMoveUp_Click();
    void MnuMoveDown_Click();

private:
    MenuEntry& Entry(Command command);
    void Move(bool up);
};

inline constexpr const wchar_t* kRemoveQuestion =
    L"Are you sure you want to remove the selected item";
inline constexpr const wchar_t* kRemoveTitle = L"Remove Item";

} // namespace quillery
