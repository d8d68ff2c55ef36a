#pragma once

#include <cstdint>

namespace quillery {

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The screen, the mouse pointer and the thread's message queue.
class Desktop {
public:
    virtual ~Desktop() = default;

    virtual PixelPoint CursorPos() noexcept = 0; // screen pixels
    virtual void SetCursorPos(std::int32_t x, std::int32_t y) noexcept = 0;

    // Twips per pixel (1440 / dots per inch) and the screen's size in twips.
    virtual double TwipsPerPixelX() noexcept = 0;
    virtual double TwipsPerPixelY() noexcept = 0;
    virtual double ScreenWidthTwips() noexcept = 0;
    virtual double ScreenHeightTwips() noexcept = 0;

    // The work area (the screen less the task bar and the bars docked at its edges) of the
    // monitor that holds `point`, or of the nearest monitor when none does, in screen pixels:
    // where a window that opens at that point may lie. Right and bottom are past its last pixel.
    virtual PixelRect WorkAreaAt(PixelPoint point) noexcept = 0;

    // Lets the window messages that are already pending run once, without waiting. Any of
    // the component's windows may close inside it.
    virtual void DoEvents() = 0;

    // The application's mouse pointer: the busy shape while the shell starts a program.
    virtual void SetBusyPointer(bool busy) noexcept = 0;
};

} // namespace quillery
