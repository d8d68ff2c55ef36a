#pragma once

#include <windows.h>

namespace quillery::win32 {

// The calling thread's input joined to that of another program's window's thread while it lives:
// the two then share the keyboard focus, the key state and the active window, so a window of this
// thread (a menu opened for that program) may take the foreground as a window of the program's
// own would, and the activation goes back to the program's window as it closes. A window that is
// gone, or one of this thread, joins nothing.
class InputAttachment {
public:
    explicit InputAttachment(HWND window)
        : thread_(::GetCurrentThreadId()), other_(window != nullptr && ::IsWindow(window)
                                                      ? ::GetWindowThreadProcessId(window, nullptr)
                                                      : 0) {
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
