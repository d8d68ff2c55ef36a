#include "menu/SnippetMenu.h"

namespace quillery {

// The pointer watch: at each tick, a pointer outside the window closes the window with an
// empty result. Outside means outside the window's rectangle (whose right and bottom coordinates
// still count as inside) and not on the window that the window system finds at the pointer
// either, so that a reported rectangle that does not match the window the system hit-tests
// never closes the menu under a pointer that rests on it. The second question is asked only
// when the first says outside: a pointer inside the rectangle keeps the menu open as before.
void SnippetMenu::OnPointerWatchTick() {
    PopupView* view = Popup();
    if (view == nullptr) {
        return;
    }
    const PixelRect rect = view->WindowRect();
    const PixelPoint pointer = session_.System().desktop->CursorPos();
    const bool outsideRect = pointer.x < rect.left || pointer.x > rect.right ||
                             pointer.y < rect.top || pointer.y > rect.bottom;
    if (outsideRect && !view->IsWindowAt(pointer)) {
        CloseWithoutChoice();
    }
}

void SnippetMenu::CloseWithoutChoice() {
    result_.clear();
    Close();
}

} // namespace quillery
