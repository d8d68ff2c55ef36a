#pragma once

#include "platform/Dialogs.h"

namespace quillery::win32 {

// Message boxes through MessageBoxW. The box has no owner window and is task-modal: every
// top-level window of the calling thread is disabled while it is up and enabled again after.
// An owner window would be wrong here, because the pop-up's timer may close the pop-up while a
// warning is still up, and destroying an owner destroys its message box with it. The box comes
// to the front and stays above topmost windows. When it ends, the window that was active
// before it is active again.
class Win32Dialogs final : public Dialogs {
public:
    // Throws Failure when the box cannot be shown.
    int ShowMessage(const std::wstring& text, const std::wstring& title, unsigned style) override;
};

} // namespace quillery::win32
