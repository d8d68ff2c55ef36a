#include "menu/SnippetMenu.h"

namespace quillery {

// The pointer watch: at each tick, a pointer outside the window's rectangle closes the
// window with an empty result. The right and bottom coordinates still count as inside.
void SnippetMenu::OnPointerWatchTick() {
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
        pointer = session_.platform.desktop->CursorPos();
    } catch (...) {
    }
    const bool outside = pointer.x < rect.left || pointer.x > rect.right || pointer.y < rect.top ||
                         pointer.y > rect.bottom;
    if (outside) {
        CloseWithoutChoice();
    }
}

void SnippetMenu::CloseWithoutChoice() {
    session_.chosenText.clear();
    Close();
}

} // namespace quillery
