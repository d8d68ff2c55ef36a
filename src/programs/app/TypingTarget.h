#pragma once

#include "resident/CaretLine.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quillery::app {

// The program that the user was typing into when the menu was asked for: its top-level window,
// the control that had the keyboard focus, its thread and process, and its window's title then.
struct TypingTarget {
    HWND window = nullptr;
    HWND focus = nullptr;
    DWORD thread = 0;
    DWORD process = 0;
    std::wstring title;
};

// The foreground window's program and where its caret is, in screen pixels: the system caret of
// its focused control (GetGUIThreadInfo), and the caret its accessible object reports
// (OBJID_CARET, which needs COM on the calling thread). No target when the foreground window is
// missing or this process's own.
struct FocusedProgram {
    std::optional<TypingTarget> target;
    resident::CaretPlaces caret;
};
FocusedProgram FindFocusedProgram();

// The program of `window` as a target without its caret (a window chosen earlier): nothing when
// it is gone or this process's own.
std::optional<TypingTarget> TargetOf(HWND window);

// Gives the foreground back to the target's window, and waits until the system has done so (for
// a bounded time). Whether it has. The keyboard focus goes back to the target's control where the
// program left it nowhere or on its window itself (the default window procedure's doing), not
// where the program moved it to a control of its own choosing.
bool GiveForegroundBack(const TypingTarget& target);

// What has changed in the target since the menu was asked for that makes its text go elsewhere
// than the user chose: the focus on another control (or on none) than the one it had, or, in a
// browser's window, another title: the tab shows another page. Asked just before typing, once
// the target has handled what it was sent (its activation, which may move its focus).
enum class TargetChange { None, FocusMoved, PageChanged };
TargetChange ChangeSinceMenu(const TypingTarget& target);

// Whether the target's process runs at a higher integrity level than this one (an elevated
// program), as resident::RunsAbove() decides from each process's own token.
bool RunsAboveUs(const TypingTarget& target);

// The name the user knows the target by, as a notice shows it (resident::ShownTitle): its
// window's title when the menu was asked for, else its program's file name.
std::wstring ProgramName(const TypingTarget& target);

} // namespace quillery::app
