#include "win32/SnippetMenuWindows.h"

namespace quillery::win32 {

UINT CloseWithoutChoiceMessage() noexcept {
    static const UINT message = ::RegisterWindowMessageW(L"Quillery.CloseWithoutChoice");
    return message;
}

std::vector<HWND> FindSnippetMenus(DWORD thread) {
    std::vector<HWND> menus;
    HWND menu = nullptr;
    while ((menu = ::FindWindowExW(nullptr, menu, kSnippetMenuClass, nullptr)) != nullptr) {
        if (thread == 0 || ::GetWindowThreadProcessId(menu, nullptr) == thread) {
            menus.push_back(menu);
        }
    }
    return menus;
}

std::vector<HWND> AskToClose(const std::vector<HWND>& menus) {
    std::vector<HWND> asked;
    for (HWND menu : menus) {
        if (::PostMessageW(menu, CloseWithoutChoiceMessage(), 0, 0)) {
            asked.push_back(menu);
        }
    }
    return asked;
}

bool WaitUntilGone(const std::vector<HWND>& menus, DWORD limitMs) noexcept {
    const DWORD start = ::GetTickCount();
    bool allGone = true;
    for (HWND menu : menus) {
        // A message sent to the window returns once its thread has looked at its queue again.
        // By then the thread has taken the close posted before, unless other posted messages
        // were still ahead of it; the next send waits for those. Sent without SMTO_BLOCK, so
        // that this thread answers what other threads send it meanwhile (the closing menu's
        // thread handing the activation on) and no two threads wait for each other.
        while (::IsWindow(menu)) {
            const DWORD elapsed = ::GetTickCount() - start; // right across the count's wrap
            DWORD_PTR ignored = 0;
            if (elapsed >= limitMs ||
                (!::SendMessageTimeoutW(menu, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                        limitMs - elapsed, &ignored) &&
                 ::IsWindow(menu))) {
                allGone = false; // its thread does not answer: it is left as it is
                break;
            }
        }
    }
    return allGone;
}

} // namespace quillery::win32
