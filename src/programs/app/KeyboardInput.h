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

// `layout` as it types now: the key that VkKeyScanEx names for a character, when that key with
// its modifiers types that character by itself (not a dead key's accent) with CapsLock on or
// off as `capsLock` says. CapsLock turns a letter's case: where Shift inverted then types the
// character, the key is given with Shift inverted.
resident::KeyboardLayout LayoutAsItTypes(HKL layout, bool capsLock);

// Types the strokes into whatever has the keyboard focus, in one SendInput call so that no
// other input comes between them, as resident::KeyEventsFor() says: a unit as a Unicode key
// event, or, where the target's top-level window (`targetWindow`) takes only keys, as the key of
// its thread's keyboard layout; an Enter and a Tab as their keys. Every key goes with its scan
// code (some programs take no Enter without one). A modifier that the target's thread
// (`targetThread`) still takes for held, because its release went to the menu, is released for
// it first: the thread would otherwise take a typed Enter for Ctrl+Enter. Returns how many
// strokes went whole, pressed and released.
std::size_t TypeStrokes(const std::vector<resident::KeyStroke>& strokes, DWORD targetThread,
                        HWND targetWindow);

} // namespace quillery::app
