#pragma once

#include <windows.h>

namespace quillery::win32 {

// Installs the Win32 implementation of the whole port as the process's platform: files, code
// page, system information, message boxes, desktop, shell and the per-thread slot. `module` is
// the component's own module: the data file lies beside it. Memory only, so DllMain may call
// it.
void InstallWin32Platform(HMODULE module);

} // namespace quillery::win32
