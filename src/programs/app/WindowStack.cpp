#include "app/WindowStack.h"

#include "resident/FormerForeground.h"

#include <cstdint>
#include <vector>

namespace quillery::app {
namespace {

// DWMWA_CLOAKED, which the headers for Windows 7 do not declare.
constexpr DWORD kCloakedAttribute = 14;

using GetWindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);

// DwmGetWindowAttribute, found at run time: the program imports no DLL beyond the common system
// ones, and where the call is missing no window is cloaked.
GetWindowAttribute WindowAttributeCall() {
    static const GetWindowAttribute call = [] {
        HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return dwm == nullptr ? nullptr
                              : reinterpret_cast<GetWindowAttribute>(reinterpret_cast<void*>(
                                    GetProcAddress(dwm, "DwmGetWindowAttribute")));
    }();
    return call;
}

bool IsCloaked(HWND window) {
    const GetWindowAttribute call = WindowAttributeCall();
    DWORD cloaked = 0;
    return call != nullptr &&
           SUCCEEDED(call(window, kCloakedAttribute, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

std::uintptr_t Id(HWND window) {
    return reinterpret_cast<std::uintptr_t>(window);
}

BOOL CALLBACK AddWindow(HWND window, LPARAM param) {
    const auto extended = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    resident::StackedWindow facts;
    facts.window = Id(window);
    facts.family = Id(GetAncestor(window, GA_ROOTOWNER));
    facts.visible = IsWindowVisible(window) != FALSE;
    facts.minimized = IsIconic(window) != FALSE;
    facts.cloaked = facts.visible && IsCloaked(window);
    facts.toolWindow = (extended & WS_EX_TOOLWINDOW) != 0;
    facts.noActivate = (extended & WS_EX_NOACTIVATE) != 0;
    facts.disabled = IsWindowEnabled(window) == FALSE;
    facts.topmost = (extended & WS_EX_TOPMOST) != 0;
    facts.shell = IsShellWindow(window);
    facts.ours = process == GetCurrentProcessId();
    reinterpret_cast<std::vector<resident::StackedWindow>*>(param)->push_back(facts);
    return TRUE;
}

} // namespace

bool IsShellWindow(HWND window) {
    // Wine's shell, on a display without a notification area, shows the icons in a window of
    // its own ("Wine System Tray").
    static constexpr const wchar_t* kShellClasses[] = {
        L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd",    L"NotifyIconOverflowWindow", L"Progman",
        L"WorkerW",       L"__winex11_standalone_tray",
    };
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    for (const wchar_t* shellClass : kShellClasses) {
        if (lstrcmpW(name, shellClass) == 0) {
            return true;
        }
    }
    return false;
}

HWND FormerForegroundWindow(HWND lastSeen) {
    std::vector<resident::StackedWindow> stack;
    // EnumWindows lists the top-level windows from the top of the z-order.
    EnumWindows(&AddWindow, reinterpret_cast<LPARAM>(&stack));
    const std::uintptr_t lastSeenFamily =
        lastSeen != nullptr && IsWindow(lastSeen) ? Id(GetAncestor(lastSeen, GA_ROOTOWNER)) : 0;
    const auto found = resident::FormerForeground(stack, lastSeenFamily);
    if (!found) {
        return nullptr;
    }
    HWND window = reinterpret_cast<HWND>(stack[*found].window);
    // The window its program activates when the user comes back to it: the main window, or the
    // pop-up of its own that the user was in last.
    HWND popup = GetLastActivePopup(GetAncestor(window, GA_ROOTOWNER));
    return popup != nullptr && IsWindowVisible(popup) && IsWindowEnabled(popup) ? popup : window;
}

} // namespace quillery::app
