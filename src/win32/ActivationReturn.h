#pragma once

#include <windows.h>

namespace quillery::win32 {

// Remembers the calling thread's active window, to give the activation back to it when a
// window that took it is gone. The window system hands the activation on to the next window
// by itself, but not to a window that was disabled at that moment (as every other window of
// the thread is under a task-modal message box), so that the thread may end up with no
// active window and the caller's window in the background.
class ActivationReturn {
public:
    // Remembers the thread's active window now; when the thread has none, what was remembered
    // before stays (a window system that reports focus changes late, as Wine's X11 driver
    // does, may have taken the activation away for a moment).
    void Remember() {
        if (HWND active = GetActiveWindow()) {
            before_ = active;
        }
    }
    // Activates the remembered window again when the thread has no active window, or its
    // active window is `leaving` (a window about to be hidden), the remembered window can take
    // the activation, and no other thread's window is in the foreground (a program the user
    // has turned to keeps it).
    void GiveBack(HWND leaving = nullptr) const;

private:
    HWND before_ = nullptr;
};

} // namespace quillery::win32
