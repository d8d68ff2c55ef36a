#pragma once

#include <windows.h>

namespace quillery {

// Installs the Win32 files, code page, system information and message boxes as the process's
// platform, keeping the parts of the platform that were installed by others (the windows).
// `module` is the component's own module: the data file lies beside it. Memory only, so
// DllMain may call it.
void InstallWin32Platform(HMODULE module);

} // namespace quillery
