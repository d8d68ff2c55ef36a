#pragma once

#include <windows.h>

namespace quillery::app {

// The shell's own windows (the taskbar, the notification area and its overflow, the desktop),
// which come to the front when the user clicks the icon.
bool IsShellWindow(HWND window);

// The window of another program that the user was in before the shell or this program took the
// foreground (resident/FormerForeground), from the desktop's top-level windows in z-order;
// `lastSeen` is the last window of another program that the system reported in front, or null.
// An owned pop-up stands for its program: the window given is the one its root owner last
// activated. Null when no window qualifies.
HWND FormerForegroundWindow(HWND lastSeen);

} // namespace quillery::app
