#include "menu/FrmSelect.h"

#include "platform/Platform.h"
#include "shared/ThreadContext.h"

namespace quillery {

// A button released over a line: the left button chooses the line's snippet and closes the
// window; the right button opens the item commands; any other only lets pending events run.
void FrmSelect::lblMenu_MouseUp(std::int16_t Index, std::int16_t Button) {
    if (Button == buttons::kRight) {
        OpenItemMenu(Index);
        return;
    }
    try {
        CurrentPlatform().desktop->DoEvents();
    } catch (...) {
    }
    if (!IsOpen() || Button != buttons::kLeft) {
        return; // a pending tick may have closed the window
    }
    if (Index < 1 || static_cast<std::size_t>(Index) >= lblMenu.size()) {
        return;
    }
    Module1& module = CurrentThread().module;
    const int item = LineItem(static_cast<std::size_t>(Index)).value_or(0);
    if (item >= Module1::kSlotCount) {
        return;
    }
    module.SelectedText = TrimSpaces(module.MenuItems[item].Text);
    Close();
}

void FrmSelect::Lblpad_MouseUp(std::int16_t Index, std::int16_t Button) {
    lblMenu_MouseUp(Index, Button);
}

} // namespace quillery
