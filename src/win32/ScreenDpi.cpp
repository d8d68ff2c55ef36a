#include "win32/ScreenDpi.h"

#include <windows.h>

#include <atomic>

namespace quillery::win32 {
namespace {

int AskScreenDpi() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 96;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

} // namespace

int ScreenDpi() {
    // The system's DPI holds for the process's life (a changed setting applies from the next
    // sign-in), so the screen is asked once rather than at every window and layout. Two threads
    // that ask at once both store the same answer.
    static std::atomic<int> known{0};
    int dpi = known.load(std::memory_order_relaxed);
    if (dpi == 0) {
        dpi = AskScreenDpi();
        known.store(dpi, std::memory_order_relaxed);
    }
    return dpi;
}

} // namespace quillery::win32
