#pragma once

#include <windows.h>

namespace quillery::win32 {

// Makes `window` the foreground window with its request for the keyboard dated now. Under Wine
// the request that an activation makes to the X server for the keyboard focus carries the time
// of the thread's last message, and the server refuses a request older than the focus's last
// change; a thread that has taken no message since another program (or the window manager)
// moved the focus would leave the keyboard there. The thread takes a message of its own first,
// so that the request is dated now; another thread's window is posted a message that does
// nothing, for its thread to take. On Windows those messages change nothing.
void ActivateNow(HWND window) noexcept;

// Returns once the thread of another program's `window` has taken the messages sent to it so
// far (a message sent is taken before one posted), or after 200 ms when it does not answer.
void LetItsThreadCatchUp(HWND window) noexcept;

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
    // The remembered window, or null.
    HWND Remembered() const { return before_; }

private:
    HWND before_ = nullptr;
};

// While it lives, a message box of the calling thread hands the activation back to the window
// that `activeBefore` remembered as the box starts to hide, before the box's window goes, so
// that the keyboard passes from the box straight to that window. A task-modal box ends while
// the thread's other windows are still disabled: the window system would hand the activation to
// another program's window (Windows) or leave the display's keyboard on no window for a moment,
// which the window manager then takes (Wine). The window is enabled a moment early for it; the
// box enables it anyway as it returns.
class ActivationHandedBackAsBoxHides {
public:
    explicit ActivationHandedBackAsBoxHides(const ActivationReturn& activeBefore);
    ~ActivationHandedBackAsBoxHides();
    ActivationHandedBackAsBoxHides(const ActivationHandedBackAsBoxHides&) = delete;
    ActivationHandedBackAsBoxHides& operator=(const ActivationHandedBackAsBoxHides&) = delete;

private:
    static LRESULT CALLBACK BeforeEachMessage(int code, WPARAM wParam, LPARAM lParam);

    const ActivationReturn& activeBefore_;
    HHOOK hook_ = nullptr;
    ActivationHandedBackAsBoxHides* outer_; // a box shown while another one's hook is set
};

} // namespace quillery::win32
