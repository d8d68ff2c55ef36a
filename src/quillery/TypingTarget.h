#pragma once

#include "resident/MenuAnchor.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quillery::app {

// The program that the user was typing into when the menu was asked for: its top-level window,
// the control that had the keyboard focus, and its thread and process.
struct TypingTarget {
    HWND window = nullptr;
    HWND focus = nullptr;
    DWORD thread = 0;
    DWORD process = 0;
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

// Gives the foreground back to the target's window and the keyboard focus back to its control,
// and waits until the system has done so (for a bounded time). Whether it has.
bool GiveForegroundBack(const TypingTarget& target);

// Whether the target's process runs at a higher integrity level than this one (an elevated
// program): the system drops input that a lower level sends it without a word. A level that
// cannot be read counts as higher: a process this one may not even ask is not one to type into.
bool RunsAboveUs(const TypingTarget& target);

// The name the user knows the target by: its window's title, else its program's file name.
std::wstring ProgramName(const TypingTarget& target);

} // namespace quillery::app
