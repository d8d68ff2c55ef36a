#pragma once

#include <windows.h>

namespace quillery::win32 {

// A resolution in dots per inch, across and down.
struct Dpi {
    int x = 96;
    int y = 96;
};

// The system's resolution: the screen's LOGPIXELSX and LOGPIXELSY, asked once per process (it
// cannot change while a process runs), 96 either way when the screen cannot be asked.
Dpi SystemDpi();

// The resolution that the component's windows are made for: that of the monitor under the
// pointer when the calling thread is per-monitor DPI aware (Windows 8.1 and later), for such a
// thread's windows and pointer are in the monitor's own pixels; the system's otherwise. The
// calls of the newer systems are looked up at run time, so the DLL still loads on older ones.
Dpi WindowDpi();

// Adjusts a client rectangle to the window rectangle that holds it, with the frame's parts
// sized for `dpi` where the system can (Windows 10), else for the system's resolution.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, Dpi dpi);

} // namespace quillery::win32
