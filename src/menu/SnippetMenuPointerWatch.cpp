#include "menu/SnippetMenu.h"

namespace quillery {

// The pointer watch: at each tick, a pointer outside the window's rectangle closes the
// window with an empty result. The right and bottom coordinates still count as inside.
void SnippetMenu::OnPointerWatchTick() {
    WindowView* view = View();
    if (view == nullptr) {
        return;
    }
    const PixelRect rect = view->WindowRect();
    const PixelPoint pointer = session_.System().desktop->CursorPos();
    const bool outside = pointer.x < rect.left || pointer.x > rect.right || pointer.y < rect.top ||
                         pointer.y > rect.bottom;
    if (outside) {
        CloseWithoutChoice();
    }
}

void SnippetMenu::CloseWithoutChoice() {
    result_.clear();
    Close();
}

} // namespace quillery
