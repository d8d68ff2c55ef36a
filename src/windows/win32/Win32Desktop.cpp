#include "win32/Win32Desktop.h"

#include "winapi/MessagePump.h"
#include "winapi/ScreenDpi.h"

#include <windows.h>

namespace quillery::win32 {

PixelPoint Win32Desktop::CursorPos() noexcept {
    POINT point{};
    GetCursorPos(&point);
    return PixelPoint{point.x, point.y};
}

void Win32Desktop::SetCursorPos(std::int32_t x, std::int32_t y) noexcept {
    ::SetCursorPos(x, y);
}

// The resolution of the windows the component makes now, so that a place computed in twips
// lands on the pixel that the window's view puts it on.
double Win32Desktop::TwipsPerPixelX() noexcept {
    return 1440.0 / WindowDpi().x;
}

double Win32Desktop::TwipsPerPixelY() noexcept {
    return 1440.0 / WindowDpi().y;
}

double Win32Desktop::ScreenWidthTwips() noexcept {
    return GetSystemMetrics(SM_CXSCREEN) * TwipsPerPixelX();
}

double Win32Desktop::ScreenHeightTwips() noexcept {
    return GetSystemMetrics(SM_CYSCREEN) * TwipsPerPixelY();
}

PixelRect Win32Desktop::WorkAreaAt(PixelPoint point) noexcept {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT work{};
    if (GetMonitorInfoW(MonitorFromPoint(POINT{point.x, point.y}, MONITOR_DEFAULTTONEAREST),
                        &monitor)) {
        work = monitor.rcWork;
    } else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return PixelRect{work.left, work.top, work.right, work.bottom};
}

void Win32Desktop::DoEvents() {
    PumpMessages(); // a WM_QUIT is left for the host's loop
}

void Win32Desktop::SetBusyPointer(bool busy) noexcept {
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

} // namespace quillery::win32
