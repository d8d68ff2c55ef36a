#pragma once

#include "winapi/ActivationReturn.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace quillery::win32 {

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

// Runs a window modally, as a dialog runs over its owner: the thread's other enabled
// top-level windows are disabled while it is up, and exactly those are enabled again after.
class ModalLoop {
public:
    // Remembers the window that is active now, to give the activation back to it at the end:
    // called when the window is made, and again when it is shown.
    void RememberActiveWindow() { activeBefore_.Remember(); }
    // Shows `window`, at `place` when one is given (screen pixels), and dispatches the
    // thread's messages until End() or WM_QUIT (which is posted again for the loop outside).
    // Dialog keys (Tab, Space) work in the window.
    void Run(HWND window, HWND focus = nullptr, const RECT* place = nullptr);
    // Ends the run as a dialog ends: the windows it disabled are enabled first, then the
    // window that was active before the run is activated again, and only then is `window`
    // hidden and destroyed. Should the thread still hold the activation but no window have it
    // (a task-modal message box ended while everything was disabled), that window is made the
    // foreground window again.
    void End(HWND window) noexcept;

private:
    bool ended_ = false;
    ActivationReturn activeBefore_;
    std::optional<ThreadWindowsDisabled> others_;
};

} // namespace quillery::win32
