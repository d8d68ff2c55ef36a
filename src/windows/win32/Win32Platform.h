#pragma once

#include "platform/Platform.h"
#include "win32/AcpCodec.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Shell.h"
#include "win32/Win32SystemInfo.h"
#include "win32/Win32ThreadSlot.h"

#include <windows.h>

namespace quillery::win32 {

// The Win32 implementation of the whole port, owning its backends: files, code page, system
// information, message boxes, desktop, shell and the per-thread slot. `module` holds the
// component's code: the data file lies beside it. Building it takes memory and a TLS slot
// only, so DllMain may do it. Whoever runs requests keeps one for as long as they run, and
// hands its port to each: the thread slot marks a thread's running request from one request to
// the next, and the volume's serial number is asked once.
class Win32Platform {
public:
    explicit Win32Platform(HMODULE module) : system_(module) {}
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // False when the process had no TLS slot left for the thread slot: every request would be
    // refused.
    bool Usable() const noexcept { return threads_.Usable(); }

    // The port over this object's backends, valid while it lives.
    Platform& Port() noexcept { return port_; }

private:
    Win32FileSystem files_;
    AcpCodec ansi_;
    Win32SystemInfo system_;
    Win32Dialogs dialogs_;
    Win32Desktop desktop_;
    Win32Shell shell_{ansi_};
    Win32ThreadSlot threads_;
    Platform port_{&files_, &ansi_, &system_, &dialogs_, &desktop_, &shell_, &threads_};
};

} // namespace quillery::win32
