// The pop-up under a window manager, with Wine's X11 driver as it is by default: it hands the
// window manager every window that is activated as it is shown, and every window with a
// caption. This program runs with that default; every other test program keeps its windows out
// of the window manager's hands.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

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

// The lines of the pop-up at `corner` whose pads, left of the text, the screen shows in the
// selection colour.
std::vector<int> LinesShownHighlighted(POINT corner, int lineCount) {
    std::vector<int> lines;
    HDC screen = ::GetDC(nullptr);
    for (int line = 1; line <= lineCount; ++line) {
        if (::GetPixel(screen, corner.x + 10, corner.y + LineCentreY(line)) ==
            ::GetSysColor(COLOR_HIGHLIGHT)) {
            lines.push_back(line);
        }
    }
    ::ReleaseDC(nullptr, screen);
    return lines;
}

void ClickAtThePointer() {
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, clicks, sizeof(INPUT));
}

TEST(ManagedWindowTest, PopUpAtTheRightEdgeOpensInsideTheWorkAreaAndWorks) {
    RealPlatform platform;
    MessageBoxWatcher boxes;
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2, 3}));
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    // Opened at the pointer, the pop-up would reach past the screen's right edge: it opens
    // moved left onto the edge of the work area, where the window manager leaves it.
    const POINT pointer{screenWidth - 24, 300};
    ::SetCursorPos(pointer.x, pointer.y);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor));
    // Run again with a task bar at the right edge, where the work area is not the monitor.
    if (std::getenv("QUILLERY_TASK_BAR_RIGHT") != nullptr) {
        ASSERT_EQ(monitor.rcMonitor.right - monitor.rcWork.right,
                  std::atoi(std::getenv("QUILLERY_TASK_BAR_RIGHT")));
    }
    RECT moved{};
    std::vector<RECT> whileHovering;
    std::vector<std::vector<int>> highlighted; // the lines shown highlighted as each is hovered
    bool closedWhileResting = true;
    bool handedToWindowManager = true;
    std::wstring result = L"unset";
    // The pointer watch's ticks as the request's thread takes them from its queue.
    std::atomic<HWND> watched{nullptr};
    std::atomic<int> ticks{0};
    wintest::ThreadHook<WH_GETMESSAGE> tickHook([&](int, WPARAM removed, LPARAM message) {
        const MSG& msg = *reinterpret_cast<const MSG*>(message);
        if (removed == PM_REMOVE && msg.message == WM_TIMER && msg.hwnd == watched.load()) {
            ++ticks;
        }
    });
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            watched = popup;
            // Shown before it is activated, the pop-up stays Wine's own X window (override-
            // redirect), which the window manager neither moves nor keeps the keyboard from.
            const auto xWindow =
                reinterpret_cast<std::uintptr_t>(::GetPropW(popup, L"__wine_x11_whole_window"));
            handedToWindowManager =
                !wintest::RunOnHost({"sh", "-c",
                                     "xwininfo -id " + std::to_string(xWindow) +
                                         " | grep -q 'Override Redirect State: yes'"});
            ASSERT_TRUE(WaitFor([&] {
                ::GetWindowRect(popup, &moved);
                return moved.right <= screenWidth;
            })) << "the window manager left the pop-up at x "
                << moved.left;
            for (int line : {1, 3, 2}) {
                const POINT onLine{moved.left + 40, moved.top + LineCentreY(line)};
                // Hovered: its pad alone is drawn in the selection colour, the line hovered
                // before it no longer. The pointer is put there again while waiting: the menu's
                // load step, which may still be running, puts it onto the banner once.
                const POINT corner{moved.left, moved.top};
                WaitFor([&] {
                    ::SetCursorPos(onLine.x, onLine.y);
                    return LinesShownHighlighted(corner, 3) == std::vector{line};
                });
                highlighted.push_back(LinesShownHighlighted(corner, 3));
                RECT now{};
                ::GetWindowRect(popup, &now);
                whileHovering.push_back(now);
            }
            // The pointer rests on line 2 while the pointer watch ticks twice.
            const int restingFrom = ticks;
            EXPECT_TRUE(
                WaitFor([&] { return ticks >= restingFrom + 2 || !::IsWindow(popup); }, 60s))
                << "the pointer watch did not tick";
            closedWhileResting = !::IsWindow(popup);
            if (!closedWhileResting) {
                ClickAtThePointer();
            }
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_EQ(highlighted, (std::vector<std::vector<int>>{{1}, {3}, {2}}));
    EXPECT_EQ(moved.right, monitor.rcWork.right);
    for (const RECT& rect : whileHovering) {
        EXPECT_TRUE(::EqualRect(&rect, &moved))
            << "moved to x " << moved.left << ", then found at x " << rect.left;
    }
    EXPECT_FALSE(closedWhileResting);
    EXPECT_FALSE(handedToWindowManager);
    EXPECT_EQ(result, L"text of 2");
    EXPECT_TRUE(boxes.Seen().empty());
}

// A new user's first request: the welcome window, which has a caption and so is the window
// manager's here, takes the display's keyboard as it opens, and the pop-up after it; each is
// answered by the display's keys alone.
TEST(ManagedWindowTest, WelcomeWindowAndThenThePopUpTakeTheDisplaysKeyboard) {
    RealPlatform platform;
    MessageBoxWatcher boxes;
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 0, {1, 2}));
    bool welcomeHadIt = false;
    bool popUpHadIt = false;
    std::wstring result = L"unset";
    {
        User user([&] {
            HWND welcome = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (welcome = FindVisible(L"QuilleryWelcome")); }));
            welcomeHadIt = WaitFor([&] { return wintest::HasDisplayFocus(welcome); });
            if (welcomeHadIt) {
                // Continue has the focus: Tab, Space tick "Do not show this form again",
                // Shift+Tab, Space press Continue.
                wintest::Xdotool({"key", "Tab", "space", "shift+Tab", "space"});
            } else {
                ::PostMessageW(welcome, WM_CLOSE, 0, 0);
            }
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            popUpHadIt = WaitFor([&] { return wintest::HasDisplayFocus(popup); });
            if (popUpHadIt) {
                wintest::Xdotool({"key", "Down", "Return"});
            } else {
                ::PostMessageW(popup, WM_CLOSE, 0, 0);
            }
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_TRUE(welcomeHadIt);
    EXPECT_TRUE(popUpHadIt);
    EXPECT_EQ(result, L"text of 1");
    EXPECT_EQ(wintest::RecordOf(wintest::ReadWholeFile(platform.MenuFile()), 1),
              wintest::RecordBytesOf(L"", L"", 1))
        << "the ticked box did not switch the welcome window off";
    EXPECT_TRUE(boxes.Seen().empty());
}

} // namespace
} // namespace quillery
