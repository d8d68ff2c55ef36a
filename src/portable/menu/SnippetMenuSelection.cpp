#include "base/Attempt.h"
#include "menu/SnippetMenu.h"

namespace quillery {

// A button released over a line or its pad: the left button chooses the line's snippet and
// closes the window; the right button opens the item commands; any other only lets pending
// events run.
void SnippetMenu::OnLineReleased(std::size_t line, MouseButton button) {
    if (button == MouseButton::Right) {
        OpenItemCommands(line);
        return;
    }
    // A pending event that fails does not keep the click from choosing.
    Attempt([this] { session_.System().desktop->DoEvents(); });
    if (!IsOpen() || button != MouseButton::Left) {
        return; // a pending tick may have closed the window
    }
    if (line < 1 || line > LineCount()) {
        return;
    }
    // Nothing from the first NUL on reaches the page.
    result_ = ShownText(session_.Snippet(ItemOfLine(line)).Text);
    Close();
}

void SnippetMenu::ChooseEntry(int entry) {
    const int lines = static_cast<int>(LineCount());
    if (entry >= 1 && entry <= lines) {
        OnLineReleased(static_cast<std::size_t>(entry), MouseButton::Left);
    } else if (entry > lines && entry <= EntryCount()) {
        OnLinkClicked(static_cast<std::size_t>(entry - lines - 1));
    }
}

} // namespace quillery
