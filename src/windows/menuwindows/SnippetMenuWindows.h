#pragma once

#include <windows.h>

#include <vector>

namespace quillery::win32 {

// The snippet menu's window class: by it any process of the user's desktop finds the menus
// that are open, whichever copy of the component made them.
inline constexpr wchar_t kSnippetMenuClass[] = L"QuillerySnippetMenu";

// The message that asks a snippet menu to close without a choice, together with the other
// windows of its request. Registered, so that it means the same in every process. It is sent,
// never posted: wParam is the asking process's id, lParam the asking thread's, which the menu
// tells as it goes (MenuGoneMessage). Any program may post a registered message, and a posted
// message does not say who posted it, so a menu takes the close only when it was sent by one
// of Quillery's programs (TakesCloseRequest), and answers 1 when it took it.
UINT CloseWithoutChoiceMessage() noexcept;

// Posted by a menu to each thread that asked it to close, once its window is gone: it wakes the
// thread that waits for the menu (WaitUntilGone), which then looks at the windows themselves.
UINT MenuGoneMessage() noexcept;

// The snippet menus open on the calling thread's desktop, in any process; with `thread`, only
// those of that thread.
std::vector<HWND> FindSnippetMenus(DWORD thread = 0);

// Whether `menu` was made by Quillery's own code: its window class was registered by
// Pennock.dll, by Quillery.exe or by a module of the same name as `asking` (the module whose
// code asks). A window of that class from any other program is none of ours: it is neither
// asked to close nor waited for.
bool MadeByQuillery(HWND menu, HINSTANCE asking) noexcept;

// Whether process `process` is one of Quillery's programs: this very process, or one that has
// Quillery.exe, quillery-host.exe or Pennock.dll loaded (its image or a module).
bool RunsQuillery(DWORD process) noexcept;

// Sends the close to each of `menus`, each send waiting at most what is left of `limitMs`
// (this thread answers what is sent to it meanwhile). Returns the menus that took it: a window
// that has gone, that the system keeps from this process (a process of higher integrity), whose
// thread did not answer in time, or that is not Quillery's, is left out. A menu of the calling
// thread takes it as the thread next reads its queue, as a menu of another thread does.
std::vector<HWND> AskToClose(const std::vector<HWND>& menus, DWORD limitMs);

// For the menu's window procedure, as it gets CloseWithoutChoiceMessage: whether to take the
// close (sent by one of Quillery's programs, or asked on this thread by AskToClose).
bool TakesCloseRequest(WPARAM askingProcess) noexcept;

// Waits until each of `menus`, which AskToClose reached, is gone, or until `limitMs` have
// passed; whether all are gone. It blocks on the menus' threads and on this thread's messages
// (each closing menu posts MenuGoneMessage), never polls, and answers the messages sent to this
// thread meanwhile (a closing menu's thread handing the activation on).
bool WaitUntilGone(const std::vector<HWND>& menus, DWORD limitMs) noexcept;

} // namespace quillery::win32
