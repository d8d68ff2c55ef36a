#include "win32/ActivationReturn.h"

namespace quillery::win32 {
namespace {

bool ForegroundIsThisThreadsOrNobodys() {
    HWND foreground = GetForegroundWindow();
    return foreground == nullptr || foreground == GetDesktopWindow() ||
           GetWindowThreadProcessId(foreground, nullptr) == GetCurrentThreadId();
}

} // namespace

void ActivationReturn::GiveBack(HWND leaving) const {
    const HWND active = GetActiveWindow();
    if (before_ == nullptr || before_ == leaving || (active != nullptr && active != leaving) ||
        !ForegroundIsThisThreadsOrNobodys()) {
        return;
    }
    if (IsWindow(before_) && IsWindowVisible(before_) && IsWindowEnabled(before_)) {
        SetForegroundWindow(before_);
    }
}

} // namespace quillery::win32
