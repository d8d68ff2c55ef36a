#pragma once

#include <windows.h>

#include <vector>

namespace quillery::win32 {

// Runs a window modally, as a dialog runs over its owner: the thread's other enabled
// top-level windows are disabled while it is up, and exactly those are enabled again after.
class ModalLoop {
public:
    // Shows `window` and dispatches the thread's messages until Stop() or WM_QUIT (which is
    // posted again for the loop outside). Dialog keys (Tab, Space) work in the window.
    void Run(HWND window, HWND focus = nullptr);
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

private:
    bool stopped_ = false;
};

// Disables the calling thread's visible, enabled top-level windows other than `except`, and
// enables exactly those again when it goes out of scope.
class ThreadWindowsDisabled {
public:
    explicit ThreadWindowsDisabled(HWND except);
    ~ThreadWindowsDisabled();
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

private:
    std::vector<HWND> disabled_;
};

} // namespace quillery::win32
