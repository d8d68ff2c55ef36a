#pragma once

#include <windows.h>

namespace quillery::win32 {

// Installs the Win32 implementation of the whole port as the process's platform: files, code
// page, system information, message boxes, desktop, shell and the per-thread slot. `module` is
// the component's own module: the data file lies beside it. Memory only, so DllMain may call
// it. False when the process has no thread-local storage slot left for the thread slot.
bool InstallWin32Platform(HMODULE module) noexcept;

} // namespace quillery::win32
