#include "editing/frm4Menu.h"
#include "menu/FrmSelect.h"
#include "shared/ThreadContext.h"

namespace quillery {

// A right click on a line: the watch stops, the item commands open at the pointer, the
// chosen command runs to its end (an editor included), and the watch starts again. Each
// step is guarded on its own, so the watch is never left off while the window is open.
void FrmSelect::OpenItemMenu(std::int16_t Index) {
    frm4Menu& holder = CurrentThread().Instance<frm4Menu>();
    try {
        SetTimerEnabled(false);
    } catch (...) {
    }
    try {
        holder.SetEnablement(static_cast<int>(lblMenu.size()) - 1, Index);
    } catch (...) {
    }
    try {
        if (WindowView* view = View()) {
            const int chosen = view->PopupMenu(holder.mnupopup);
            if (IsOpen()) {
                holder.Run(chosen);
            }
        }
    } catch (...) {
    }
    if (IsOpen()) {
        try {
            SetTimerEnabled(true);
        } catch (...) {
        }
    }
}

} // namespace quillery
