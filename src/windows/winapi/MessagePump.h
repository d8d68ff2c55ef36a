#pragma once

#include <windows.h>

namespace quillery::win32 {

// How long a wait for a state of the system or of another program (a window in front, the keys
// let go) dispatches the thread's messages before it looks again.
inline constexpr DWORD kMessagePollMs = 10;

// Dispatches the calling thread's messages, as a loop that waits for something else keeps its
// windows answering: waits up to `waitMs` (0: not at all) for one to arrive, then dispatches
// every message waiting. A WM_QUIT stops it and is posted again, for the thread's own loop to
// end on. Whether it met no WM_QUIT.
bool PumpMessages(DWORD waitMs = 0);

} // namespace quillery::win32
