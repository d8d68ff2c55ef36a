#include "menu/MenuRequest.h"

#include "menu/FrmSelect.h"
#include "platform/Platform.h"
#include "shared/ThreadContext.h"

#include <cmath>

namespace quillery {

std::wstring RunMenuRequest() {
    ThreadContext& thread = CurrentThread();
    // A request that ends otherwise than by a choice or the pointer leaving must not hand
    // back an earlier request's text.
    thread.module.SelectedText.clear();
    thread.Instance<FrmSelect>().Show();
    const std::wstring selected = thread.module.SelectedText;
    CurrentPlatform().desktop->DoEvents();
    return selected;
}

void MoveCursorToMenu() noexcept {
    try {
        Desktop& desktop = *CurrentPlatform().desktop;
        const FrmSelect& menu = CurrentThread().Instance<FrmSelect>();
        // nearbyint rounds a half to the even neighbour.
        const double x = std::nearbyint((menu.Left + 100.0) / desktop.TwipsPerPixelX());
        const double y = std::nearbyint((menu.Top + 140.0) / desktop.TwipsPerPixelY());
        desktop.SetCursorPos(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    } catch (...) {
        // Moving the pointer is a courtesy; a failure changes nothing else.
    }
}

} // namespace quillery
