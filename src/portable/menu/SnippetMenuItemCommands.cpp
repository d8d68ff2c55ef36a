#include "base/Attempt.h"
#include "editing/ItemCommands.h"
#include "menu/SnippetMenu.h"

namespace quillery {

// A right click (or the context-menu key): the watch stops, the item commands open at the
// pointer (or at the highlighted part), the chosen command runs to its end on the line's item
// (an editor included; line 0 has none, so only New runs), and the watch starts again. A command
// that fails (an editor that cannot be made) leaves everything as it was; the watch is never left
// off while the window is open.
void SnippetMenu::OpenItemCommands(std::size_t line, std::optional<PixelPoint> at) {
    SetPointerWatch(false);
    Attempt([&] {
        PopupView* view = Popup();
        if (view == nullptr) {
            return;
        }
        const int chosen = view->ShowContextMenu(ItemCommands::EntriesFor(LineCount(), line), at);
        if (IsOpen()) {
            ItemCommands(session_, *this, views_).Run(chosen, ItemOfLine(line));
        }
    });
    if (IsOpen()) {
        SetPointerWatch(true);
    }
}

} // namespace quillery
