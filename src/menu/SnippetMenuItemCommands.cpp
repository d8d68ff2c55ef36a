#include "editing/ItemCommands.h"
#include "menu/SnippetMenu.h"

namespace quillery {

// A right click on a line (or the context-menu key on it): the watch stops, the item commands
// open at the pointer (or at the line), the chosen command runs to its end (an editor
// included), and the watch starts again. Each step is guarded on its own, so the watch is
// never left off while the window is open.
void SnippetMenu::OpenItemCommands(std::int16_t line, std::optional<PixelPoint> at) {
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
            const int chosen = view->PopupMenu(commands.entries, at);
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
