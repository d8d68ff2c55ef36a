#include "menu/SnippetMenu.h"

namespace quillery {

// A button released over a line or its pad: the left button chooses the line's snippet and
// closes the window; the right button opens the item commands; any other only lets pending
// events run.
void SnippetMenu::OnLineReleased(std::int16_t line, std::int16_t button) {
    if (button == buttons::kRight) {
        OpenItemCommands(line);
        return;
    }
    try {
        session_.platform.desktop->DoEvents();
    } catch (...) {
    }
    if (!IsOpen() || button != buttons::kLeft) {
        return; // a pending tick may have closed the window
    }
    if (line < 1 || static_cast<std::size_t>(line) >= lines.size()) {
        return;
    }
    const int item = ItemOfLine(static_cast<std::size_t>(line)).value_or(0);
    if (item >= kSnippetSlots) {
        return;
    }
    // Nothing from the first NUL on reaches the page.
    session_.chosenText =
        TrimSpaces(UpToFirstNul(session_.snippets[static_cast<std::size_t>(item)].Text));
    Close();
}

void SnippetMenu::ChooseEntry(int entry) {
    if (entry >= 1 && entry <= LineCount()) {
        OnLineReleased(static_cast<std::int16_t>(entry), buttons::kLeft);
    } else if (entry > LineCount() && entry <= EntryCount()) {
        OnLinkClicked(static_cast<std::int16_t>(entry - LineCount() - 1));
    }
}

} // namespace quillery
