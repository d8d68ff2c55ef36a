#include "winapi/ActivationReturn.h"

namespace quillery::win32 {
namespace {

bool ForegroundIsThisThreadsOrNobodys() {
    HWND foreground = GetForegroundWindow();
    return foreground == nullptr || foreground == GetDesktopWindow() ||
           GetWindowThreadProcessId(foreground, nullptr) == GetCurrentThreadId();
}

// The innermost box's hand-back on this thread (boxes nest only on one thread at a time).
thread_local ActivationHandedBackAsBoxHides* t_boxHandBack = nullptr;

} // namespace

void ActivateNow(HWND window) noexcept {
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
        // Another thread's window (the program the menu was opened for) asks for the keyboard
        // from its own thread, dated by that thread's last message: it is posted one that does
        // nothing, and the message sent after it returns once the thread is taking its messages
        // again, so that it has most likely taken the posted one before the activation reaches
        // it (a message sent is taken before one posted).
        PostMessageW(window, WM_NULL, 0, 0);
        LetItsThreadCatchUp(window);
        SetForegroundWindow(window);
        return;
    }
    constexpr UINT kDating = WM_APP;
    if (PostMessageW(window, kDating, 0, 0)) {
        MSG dating;
        PeekMessageW(&dating, window, kDating, kDating, PM_REMOVE | PM_NOYIELD);
    }
    SetForegroundWindow(window);
}

void LetItsThreadCatchUp(HWND window) noexcept {
    constexpr UINT kResponsiveMs = 200;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kResponsiveMs, nullptr);
}

void ActivationReturn::GiveBack(HWND leaving) const {
    const HWND active = GetActiveWindow();
    if (before_ == nullptr || before_ == leaving || (active != nullptr && active != leaving) ||
        !ForegroundIsThisThreadsOrNobodys()) {
        return;
    }
    if (IsWindow(before_) && IsWindowVisible(before_) && IsWindowEnabled(before_)) {
        ActivateNow(before_);
    }
}

ActivationHandedBackAsBoxHides::ActivationHandedBackAsBoxHides(const ActivationReturn& activeBefore)
    : activeBefore_(activeBefore), outer_(t_boxHandBack) {
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &BeforeEachMessage, nullptr, GetCurrentThreadId());
    t_boxHandBack = this;
}

ActivationHandedBackAsBoxHides::~ActivationHandedBackAsBoxHides() {
    if (hook_ != nullptr) {
        UnhookWindowsHookEx(hook_);
    }
    t_boxHandBack = outer_;
}

LRESULT CALLBACK ActivationHandedBackAsBoxHides::BeforeEachMessage(int code, WPARAM wParam,
                                                                   LPARAM lParam) {
    const ActivationHandedBackAsBoxHides* self = t_boxHandBack;
    if (code == HC_ACTION && self != nullptr) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const HWND before = self->activeBefore_.Remembered();
        if (call->message == WM_WINDOWPOSCHANGING &&
            (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_HIDEWINDOW) != 0 &&
            call->hwnd == GetActiveWindow() && before != nullptr && before != call->hwnd &&
            IsWindow(before) && IsWindowVisible(before)) {
            EnableWindow(before, TRUE);
            ActivateNow(before);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace quillery::win32
