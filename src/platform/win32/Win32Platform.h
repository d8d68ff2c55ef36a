#pragma once

#include <windows.h>

namespace quillery {

// Installs the Win32 implementation of the port as the process's platform. `module` is the
// component's own module: the data file lies beside it. Memory only, so DllMain may call it.
void InstallWin32Platform(HMODULE module);

} // namespace quillery
