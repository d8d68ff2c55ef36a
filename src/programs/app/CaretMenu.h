#pragma once

#include "app/TypingTarget.h"
#include "menu/SnippetMenu.h"
#include "platform/Platform.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quillery::app {

// What the user is told after a menu: a failure, or a snippet that could not be typed.
struct Notice {
    std::wstring text;
    bool warning = true;
};

// How long the keys of the hotkey may stay down after a choice before the snippet is given up.
inline constexpr DWORD kKeysReleaseLimitMs = 10000;

// One menu for a program: runs the same menu request as Pennock.dll on this thread, on
// `platform` (the program's, a win32::Win32Platform), opening where `opening` says, and types
// the chosen snippet into `target`:
// the foreground and the focus go back to it, the keys of the hotkey (`hotkeyKey`, with every
// modifier) are waited for until released, a target that runs above this process gets nothing,
// nor one whose focus or page has changed meanwhile (ChangeSinceMenu), and the text goes as key
// strokes. The clipboard is never touched. A menu closed without a
// choice types nothing and says nothing. Needs COM on the thread.
std::optional<Notice> MenuForProgram(Platform& platform, const std::optional<TypingTarget>& target,
                                     const MenuOpening& opening, UINT hotkeyKey);

} // namespace quillery::app
