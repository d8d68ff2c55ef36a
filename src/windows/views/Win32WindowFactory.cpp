#include "views/Win32WindowFactory.h"

#include "base/Attempt.h"
#include "menuwindows/SnippetMenuWindows.h"
#include "toolkit/ThreadTooltip.h"
#include "views/ItemEditorView.h"
#include "views/Pictures.h"
#include "views/SnippetMenuView.h"
#include "views/WelcomeView.h"

#include <algorithm>

namespace quillery::win32 {
std::unique_ptr<PopupView> Win32WindowFactory::CreateSnippetMenuView(SnippetMenu& menu) {
    return std::make_unique<SnippetMenuView>(menu, instance_, module_);
}

void Win32WindowFactory::CloseOtherMenus() noexcept {
    // Out of memory for the list: the menu opens beside the others, as it would have.
    Attempt([this] {
        std::vector<HWND> menus = FindSnippetMenus();
        // A menu of this thread belongs to a request further up its stack, which is refused; a
        // window of that class that another program made is not ours to close or wait for.
        const DWORD self = ::GetCurrentThreadId();
        menus.erase(std::remove_if(menus.begin(), menus.end(),
                                   [this, self](HWND menu) {
                                       return ::GetWindowThreadProcessId(menu, nullptr) == self ||
                                              !MadeByQuillery(menu, instance_);
                                   }),
                    menus.end());
        if (menus.empty()) {
            return;
        }
        const DWORD start = ::GetTickCount();
        const std::vector<HWND> asked = AskToClose(menus, kOtherMenusLimitMs);
        const DWORD elapsed = ::GetTickCount() - start;
        WaitUntilGone(asked, elapsed < kOtherMenusLimitMs ? kOtherMenusLimitMs - elapsed : 0);
    });
}

std::unique_ptr<WindowView> Win32WindowFactory::CreateWelcomeView(WelcomeWindow& window) {
    return std::make_unique<WelcomeView>(window, instance_);
}

std::unique_ptr<WindowView> Win32WindowFactory::CreateItemEditorView(ItemEditor& editor) {
    return std::make_unique<ItemEditorView>(editor, instance_);
}

void ReleaseWindowResources(HINSTANCE instance) noexcept {
    ReleaseKeptBitmaps();
    DestroyThreadTooltip();
    for (const wchar_t* name :
         {SnippetMenuView::kClassName, WelcomeView::kClassName, ItemEditorView::kClassName}) {
        UnregisterClassW(name, instance);
    }
}

} // namespace quillery::win32
