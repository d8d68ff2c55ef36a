#pragma once

#include <windows.h>

namespace quillery::win32 {

// The calling thread's tooltip control, made on first use and kept for the thread's later
// menus: a top-level window costs as much to make and to destroy as the menu itself. It has no
// owner, so that it outlives each menu; a menu removes its tools when it goes. Null when the
// control cannot be made.
HWND ThreadTooltip(HINSTANCE instance) noexcept;

// Destroys the calling thread's tooltip control, if it has one. Other threads' controls go
// with their threads.
void DestroyThreadTooltip() noexcept;

} // namespace quillery::win32
