#pragma once

#include "platform/Desktop.h"

namespace quillery::win32 {

// The screen, the pointer and the thread's message queue, through user32 and gdi32.
class Win32Desktop final : public Desktop {
public:
    PixelPoint CursorPos() override;
    void SetCursorPos(std::int32_t x, std::int32_t y) override;
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
    double ScreenWidthTwips() override;
    double ScreenHeightTwips() override;
    void DoEvents() override;
    void SetBusyPointer(bool busy) override;
};

} // namespace quillery::win32
