#pragma once

#include "resident/KeyStrokes.h"

#include <windows.h>

#include <cstddef>
#include <vector>

namespace quillery::app {

// Waits until Ctrl, Alt, Shift, the Windows keys and `key` (a virtual-key code; 0 for none) are
// all up, dispatching this thread's messages meanwhile: a stroke typed while one is down would
// reach the program as a shortcut (Ctrl+A, Shift+Enter) rather than as the character. Whether
// they were released within `limitMs`.
bool WaitUntilKeysReleased(UINT key, DWORD limitMs);

// Types the strokes into whatever has the keyboard focus, in one SendInput call so that no
// other input comes between them: a unit as a Unicode key event, an Enter as the Enter key with
// its scan code (some programs take no Enter without one). A modifier that the target's thread
// (`targetThread`) still takes for held, because its release went to the menu, is released for
// it first: the thread would otherwise take a typed Enter for Ctrl+Enter. Returns how many
// strokes went whole, pressed and released.
std::size_t TypeStrokes(const std::vector<resident::KeyStroke>& strokes, DWORD targetThread);

} // namespace quillery::app
