#pragma once

#include "platform/Desktop.h"

namespace quillery::win32 {

// The screen, the pointer and the thread's message queue, through user32 and gdi32.
class Win32Desktop final : public Desktop {
public:
    PixelPoint CursorPos() noexcept override;
    void SetCursorPos(std::int32_t x, std::int32_t y) noexcept override;
    double TwipsPerPixelX() noexcept override;
    double TwipsPerPixelY() noexcept override;
    double ScreenWidthTwips() noexcept override;
    double ScreenHeightTwips() noexcept override;
    PixelRect WorkAreaAt(PixelPoint point) noexcept override;
    void DoEvents() override;
    void SetBusyPointer(bool busy) noexcept override;
};

} // namespace quillery::win32
