// A program to type into, for the resident program's tests: one window, "Quillery typing
// target: one line" or "...: several lines" after the box that has the focus first, with a one-line
// edit box (control 1) and a multi-line one (control 2); the command line's "single" or "multi"
// says which has the focus first. Like most programs, it puts the focus back on the control that
// had it when its window is activated again. Asked with the registered message
// "Quillery.Test.Caret", it answers where its caret is on the screen: the left edge in the low
// word, the bottom edge (the first row below it) in the high word.

#include <windows.h>

namespace {

constexpr wchar_t kClass[] = L"QuilleryTypingTarget";
HWND g_lastFocus = nullptr;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT askCaret = RegisterWindowMessageW(L"Quillery.Test.Caret");
    if (message == askCaret) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || info.hwndCaret == nullptr) {
            return -1;
        }
        RECT caret = info.rcCaret;
        MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
        return MAKELRESULT(caret.left, caret.bottom);
    }
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            g_lastFocus = GetFocus();
        } else if (g_lastFocus != nullptr) {
            SetFocus(g_lastFocus);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TargetProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);
    const bool singleFirst = lstrcmpW(commandLine, L"single") == 0;
    HWND window = CreateWindowExW(0, kClass,
                                  singleFirst ? L"Quillery typing target: one line"
                                              : L"Quillery typing target: several lines",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 300, 250, 420, 260,
                                  nullptr, nullptr, instance, nullptr);
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP;
    HWND single = CreateWindowExW(0, L"EDIT", L"", child | ES_AUTOHSCROLL, 20, 20, 360, 24, window,
                                  reinterpret_cast<HMENU>(1), instance, nullptr);
    HWND multi = CreateWindowExW(
        0, L"EDIT", L"", child | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 20, 60,
        360, 140, window, reinterpret_cast<HMENU>(2), instance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    g_lastFocus = singleFirst ? single : multi;
    SetFocus(g_lastFocus);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
