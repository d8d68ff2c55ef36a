#pragma once

#include <windows.h>

namespace quillery {

// Installs the Win32 implementation of the whole port as the process's platform: files, code
// page, system information, message boxes, desktop, windows and shell. `module` is the
// component's own module: the data file lies beside it and its windows are registered in it.
// Memory only, so DllMain may call it.
void InstallWin32Platform(HMODULE module);

} // namespace quillery
