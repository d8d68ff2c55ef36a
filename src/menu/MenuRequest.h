#pragma once

#include <string>

namespace quillery {

// One menu request, the work of loadmenu: shows this thread's pop-up modally and returns the
// text recorded when it closed (the chosen snippet, or empty). Throws when the window
// cannot be created or shown; a request ended by a fatal report returns the empty string.
std::wstring RunMenuRequest();

// Puts the pointer onto the pop-up: 100 twips right of its left edge and 140 below its top.
void MoveCursorToMenu() noexcept;

} // namespace quillery
