#pragma once

#include <windows.h>

namespace quillery::win32 {

// The thread that runs `window`; 0 for a window that is gone.
inline DWORD ThreadOfWindow(HWND window) {
    return window != nullptr && ::IsWindow(window) ? ::GetWindowThreadProcessId(window, nullptr)
                                                   : 0;
}

// The calling thread's input joined to that of another program's thread while it lives: the two
// then share the keyboard focus, the key state and the active window, so a window of this thread
// (a menu opened for that program) may take the foreground as a window of the program's own
// would, and the activation goes back to the program's window as it closes. Thread 0, a thread
// that has ended, or this thread itself joins nothing.
class InputAttachment {
public:
    // Joined to the thread of `window`; a window that is gone joins nothing.
    explicit InputAttachment(HWND window) : InputAttachment(ThreadOfWindow(window)) {}
    // Joined to `otherThread`, learnt earlier from one of its windows: that window may have
    // closed since while the thread runs its others.
    explicit InputAttachment(DWORD otherThread)
        : thread_(::GetCurrentThreadId()), other_(otherThread) {
        attached_ = other_ != 0 && other_ != thread_ && ::AttachThreadInput(thread_, other_, TRUE);
    }
    ~InputAttachment() {
        if (attached_) {
            ::AttachThreadInput(thread_, other_, FALSE);
        }
    }
    InputAttachment(const InputAttachment&) = delete;
    InputAttachment& operator=(const InputAttachment&) = delete;

    bool Attached() const { return attached_; }

private:
    DWORD thread_;
    DWORD other_;
    bool attached_ = false;
};

} // namespace quillery::win32
