// The pop-up under a window manager that manages it, as Wine's X11 driver has a window manager
// manage every activated window by default. This program runs with that default; every other
// test program keeps its windows out of the window manager's hands.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"

#include <gtest/gtest.h>

#include <chrono>

namespace quillery {
namespace {

using namespace std::chrono_literals;
using wintest::FindVisible;
using wintest::LineCentreY;
using wintest::MessageBoxWatcher;
using wintest::RealPlatform;
using wintest::User;
using wintest::WaitFor;
using wintest::WriteWholeFile;

// Whether the screen shows the selection colour at a point.
bool ScreenShowsHighlightAt(POINT point) {
    HDC screen = ::GetDC(nullptr);
    const COLORREF shown = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return shown == ::GetSysColor(COLOR_HIGHLIGHT);
}

void ClickAtThePointer() {
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, clicks, sizeof(INPUT));
}

TEST(ManagedWindowTest, PopUpThatTheWindowManagerMovedStaysThereAndWorks) {
    RealPlatform platform;
    MessageBoxWatcher boxes;
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2, 3}));
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    // Opened here, the pop-up would reach past the screen's right edge.
    ::SetCursorPos(screenWidth - 24, 300);
    RECT moved{};
    std::vector<RECT> whileHovering;
    bool highlighted = false;
    bool closedWhileResting = true;
    std::wstring result = L"unset";
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            ASSERT_TRUE(WaitFor([&] {
                ::GetWindowRect(popup, &moved);
                return moved.right <= screenWidth;
            })) << "the window manager left the pop-up at x "
                << moved.left;
            for (int line : {1, 3, 2}) {
                const POINT onLine{moved.left + 40, moved.top + LineCentreY(line)};
                ::SetCursorPos(onLine.x, onLine.y);
                // Hovered: its pad, left of the text, is drawn in the selection colour.
                highlighted = WaitFor([&] {
                    return ScreenShowsHighlightAt({moved.left + 10, onLine.y});
                });
                RECT now{};
                ::GetWindowRect(popup, &now);
                whileHovering.push_back(now);
            }
            // The pointer rests on line 2 for longer than the pointer watch's interval.
            closedWhileResting = WaitFor([&] { return !::IsWindow(popup); }, 7s);
            if (!closedWhileResting) {
                ClickAtThePointer();
            }
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_TRUE(highlighted);
    EXPECT_LT(moved.left, screenWidth - 24);
    for (const RECT& rect : whileHovering) {
        EXPECT_TRUE(::EqualRect(&rect, &moved))
            << "moved to x " << moved.left << ", then found at x " << rect.left;
    }
    EXPECT_FALSE(closedWhileResting);
    EXPECT_EQ(result, L"text of 2");
    EXPECT_TRUE(boxes.Seen().empty());
}

} // namespace
} // namespace quillery
