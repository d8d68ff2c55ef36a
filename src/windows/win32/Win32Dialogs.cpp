#include "win32/Win32Dialogs.h"

#include "base/Failure.h"

#include "winapi/ActivationReturn.h"

#include <windows.h>

// <windows.h> renames MessageBox to MessageBoxW, which would hide the port's method.
#undef MessageBox

namespace quillery::win32 {

int Win32Dialogs::ShowMessage(const std::wstring& text, const std::wstring& title, unsigned style) {
    UINT flags = style | MB_SETFOREGROUND | MB_TOPMOST;
    // Without an owner, "application modal" would block nothing: make it the thread's.
    if ((flags & MB_MODEMASK) == MB_APPLMODAL) {
        flags |= MB_TASKMODAL;
    }
    ActivationReturn activeBefore;
    activeBefore.Remember();
    int answer = 0;
    {
        const ActivationHandedBackAsBoxHides handBack(activeBefore);
        answer = ::MessageBoxW(nullptr, text.c_str(), title.c_str(), flags);
    }
    activeBefore.GiveBack(); // when the box did not have the activation as it went
    if (answer == 0) {
        throw Failure("MessageBoxW", ::GetLastError());
    }
    return answer;
}

} // namespace quillery::win32
