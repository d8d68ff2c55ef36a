#include "editing/ItemCommands.h"
#include "menu/SnippetMenu.h"

namespace quillery {

// A right click on a line: the watch stops, the item commands open at the pointer, the
// chosen command runs to its end (an editor included), and the watch starts again. Each
// step is guarded on its own, so the watch is never left off while the window is open.
void SnippetMenu::OpenItemCommands(std::int16_t line) {
    ItemCommands commands(session_, *this, views_);
    try {
        SetPointerWatch(false);
    } catch (...) {
    }
    try {
        commands.SetEnablement(LineCount(), line);
    } catch (...) {
    }
    try {
        if (PopupView* view = Popup()) {
            const int chosen = view->PopupMenu(commands.entries);
            if (IsOpen()) {
                commands.Run(chosen);
            }
        }
    } catch (...) {
    }
    if (IsOpen()) {
        try {
            SetPointerWatch(true);
        } catch (...) {
        }
    }
}

} // namespace quillery
