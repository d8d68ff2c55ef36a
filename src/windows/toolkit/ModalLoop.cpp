#include "toolkit/ModalLoop.h"

namespace quillery::win32 {
namespace {

struct Search {
    HWND except;
    std::vector<HWND>* found;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (window != search->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        search->found->push_back(window);
    }
    return TRUE;
}

// Lets the thread of another program's foreground window take the messages sent to it so far,
// among them the word that it has been activated: as one of our windows closes, the window
// system activates the next window in the order (the program in front, when the welcome window
// goes before the pop-up shows). Under Wine that thread raises its window as it takes the word;
// taken after our own activation, it would cover the window being shown.
void LetTheForegroundSettle() noexcept {
    HWND foreground = GetForegroundWindow();
    if (foreground != nullptr &&
        GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId()) {
        LetItsThreadCatchUp(foreground);
    }
}

} // namespace

ThreadWindowsDisabled::ThreadWindowsDisabled(HWND except) {
    Search search{except, &disabled_};
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabled, reinterpret_cast<LPARAM>(&search));
    for (HWND window : disabled_) {
        EnableWindow(window, FALSE);
    }
}

ThreadWindowsDisabled::~ThreadWindowsDisabled() {
    for (HWND window : disabled_) {
        if (IsWindow(window)) {
            EnableWindow(window, TRUE);
        }
    }
}

void ModalLoop::Run(HWND window, HWND focus, const RECT* place) {
    RememberActiveWindow();
    others_.emplace(window);
    // Shown first and activated after, as two steps: Wine's X11 driver hands a window that is
    // activated as it is shown to the window manager, which may keep the keyboard where it was
    // (a new window of a program the user has not typed into) and may move the window after
    // Wine has placed it. Shown without activation, a window without a caption stays Wine's
    // own, and takes the X focus itself when it is activated next.
    // On top of the others too: a window that the activation cannot reach (another program kept
    // the foreground) is still seen whole, not behind the program that was in front.
    if (place != nullptr) {
        SetWindowPos(window, HWND_TOP, place->left, place->top, place->right - place->left,
                     place->bottom - place->top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    } else {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }
    LetTheForegroundSettle();
    ActivateNow(window);
    if (focus != nullptr) {
        SetFocus(focus);
    }
    MSG msg;
    while (!ended_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop outside ours
            break;
        }
        if (got < 0) {
            break;
        }
        if (IsWindow(window) && IsDialogMessageW(window, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    others_.reset(); // a run ended by WM_QUIT
}

void ModalLoop::End(HWND window) noexcept {
    ended_ = true;
    others_.reset();
    if (window != nullptr) {
        // The activation goes back before the window is hidden, not after: a window manager
        // that sees the window with the keyboard focus go moves the focus on by itself, to a
        // window of its own, and may do so after the window system has handed it back.
        activeBefore_.GiveBack(window);
        DestroyWindow(window);
    }
    activeBefore_.GiveBack(); // when the window did not have the activation
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); // wake the loop to see the end
}

} // namespace quillery::win32
