#pragma once

#include <windows.h>

#include <vector>

namespace quillery::win32 {

// The snippet menu's window class: by it any process of the user's desktop finds the menus
// that are open, whichever copy of the component made them.
inline constexpr wchar_t kSnippetMenuClass[] = L"QuillerySnippetMenu";

// The message that asks a snippet menu to close without a choice, together with the other
// windows of its request. Registered, so that it means the same in every process.
UINT CloseWithoutChoiceMessage() noexcept;

// The snippet menus open on the calling thread's desktop, in any process; with `thread`, only
// those of that thread.
std::vector<HWND> FindSnippetMenus(DWORD thread = 0);

// Posts the close to each of `menus`, which takes it with its thread's next message as it
// takes its pointer watch's tick. Returns the menus it reached: a window that has gone, or
// that the system keeps from this process (a process of higher integrity), is left out.
std::vector<HWND> AskToClose(const std::vector<HWND>& menus);

// Waits until each of `menus` is gone, or until `limitMs` have passed; whether all are gone.
// The calling thread keeps answering messages sent to its own windows meanwhile.
bool WaitUntilGone(const std::vector<HWND>& menus, DWORD limitMs) noexcept;

} // namespace quillery::win32
