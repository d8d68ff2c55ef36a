#include "editing/frm4Menu.h"

#include "editing/FrmEditItem.h"
#include "menu/FrmSelect.h"
#include "platform/Platform.h"
#include "shared/ThreadContext.h"
#include "store/MenuFile.h"

namespace quillery {
namespace {

bool IsStoredItem(int item) {
    return item >= Module1::kFirstItem && item <= Module1::kLastItem;
}

FrmSelect& Menu() {
    return CurrentThread().Instance<FrmSelect>();
}

} // namespace

frm4Menu::frm4Menu() {
    mnupopup = {
        {mnuNew, L"&New", true, false},        {mnuEdit, L"&Edit", true, false},
        {mnuRemove, L"&Remove", true, false},  {line, L"-", true, true},
        {mnuMoveUp, L"Move &Up", true, false}, {MnuMoveDown, L"Move &Down", true, false},
    };
}

MenuEntry& frm4Menu::Entry(Command command) {
    for (MenuEntry& entry : mnupopup) {
        if (entry.id == command) {
            return entry;
        }
    }
    return mnupopup.front();
}

bool frm4Menu::IsEnabled(Command command) const {
    for (const MenuEntry& entry : mnupopup) {
        if (entry.id == command) {
            return entry.enabled;
        }
    }
    return false;
}

void frm4Menu::SetEnablement(int lines, int clickedLine) {
    Entry(mnuNew).enabled = lines <= 18; // a new item needs a free slot to stay possible
    Entry(mnuRemove).enabled = lines >= 2;
    Entry(mnuMoveUp).enabled = clickedLine != 1;
    Entry(MnuMoveDown).enabled = clickedLine != lines;
}

void frm4Menu::Run(int command) {
    switch (command) {
    case mnuNew:
        mnuNew_Click();
        break;
    case mnuEdit:
        mnuEdit_Click();
        break;
    case mnuRemove:
        mnuRemove_Click();
        break;
    case mnuMoveUp:
        mnuMoveUp_Click();
        break;
    case MnuMoveDown:
        MnuMoveDown_Click();
        break;
    default:
        break;
    }
}

void frm4Menu::mnuNew_Click() {
    CurrentThread().module.CurrentItem = 0;
    CurrentThread().Instance<FrmEditItem>().Show();
}

void frm4Menu::mnuEdit_Click() {
    try {
        CurrentThread().Instance<FrmEditItem>().Show();
    } catch (...) {
        // The editor that cannot be opened leaves everything as it was.
    }
}

void frm4Menu::mnuRemove_Click() {
    Module1& module = CurrentThread().module;
    const int answer = CurrentPlatform().dialogs->MessageBox(kRemoveQuestion, kRemoveTitle,
                                                             box::kYesNo | box::kIconQuestion);
    const int item = module.CurrentItem;
    if (answer != box::kAnswerYes || !Menu().IsOpen() || !IsStoredItem(item)) {
        return;
    }
    module.MenuItems[item].SetDescription(L""); // the text stays in the slot and the file
    if (!PutMenuRecord(static_cast<std::int16_t>(item), module.MenuItems[item]) ||
        !Menu().IsOpen()) {
        return; // a fatal report has closed the windows: nothing to redraw
    }
    Menu().DisplayMenu();
}

void frm4Menu::mnuMoveUp_Click() {
    Move(true);
}

void frm4Menu::MnuMoveDown_Click() {
    Move(false);
}

// Swaps the current item with the item of the line above (or below) its own line.
void frm4Menu::Move(bool up) {
    Module1& module = CurrentThread().module;
    FrmSelect& menu = Menu();
    const int current = module.CurrentItem;
    const int lines = static_cast<int>(menu.lblMenu.size()) - 1;
    int neighbour = 0;
    bool found = false;
    for (int step = 0; step < lines && !found; ++step) {
        const auto lineIndex = static_cast<std::size_t>(up ? 1 + step : lines - step);
        found = menu.LineItem(lineIndex).value_or(0) == current;
        if (!found) {
            neighbour = menu.LineItem(lineIndex).value_or(0);
        }
    }
    // Nothing moves when the current item has no line, or no line lies before it.
    if (!found || !IsStoredItem(neighbour) || !IsStoredItem(current)) {
        return;
    }
    const MenuRecord neighbourBefore = module.MenuItems[neighbour];
    module.MenuItems[neighbour] = module.MenuItems[current];
    module.MenuItems[current] = neighbourBefore;
    if (!PutMenuRecordPair(static_cast<std::int16_t>(neighbour), module.MenuItems[neighbour],
                           neighbourBefore, static_cast<std::int16_t>(current),
                           module.MenuItems[current]) ||
        !menu.IsOpen()) {
        return;
    }
    menu.DisplayMenu();
}

} // namespace quillery
