#include "menu/FrmSelect.h"

#include "platform/Platform.h"
#include "shared/ThreadContext.h"

namespace quillery {

// The pointer watch: at each tick, a pointer outside the window's rectangle closes the
// window with an empty result. The right and bottom coordinates still count as inside.
void FrmSelect::Timer1_Timer() {
    WindowView* view = View();
    if (view == nullptr) {
        return;
    }
    PixelRect rect;
    PixelPoint pointer;
    try {
        rect = view->WindowRect();
    } catch (...) {
    }
    try {
        pointer = CurrentPlatform().desktop->CursorPos();
    } catch (...) {
    }
    const bool outside = pointer.x < rect.left || pointer.x > rect.right || pointer.y < rect.top ||
                         pointer.y > rect.bottom;
    if (outside) {
        CurrentThread().module.SelectedText.clear();
        Close();
    }
}

} // namespace quillery
