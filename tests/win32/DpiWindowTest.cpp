// The pop-up and the welcome window at 144 dots per inch (150 percent), where a pixel is 10
// twips. This program runs in a Wine prefix of its own whose screen is set to 144 dpi
// (scripts/with-wine.sh --dpi 144); its windows are measured on the screen itself.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "winapi/ScreenDpi.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace quillery {
namespace {

using wintest::FindVisible;
using wintest::RealPlatform;
using wintest::User;
using wintest::WaitFor;
using wintest::WriteWholeFile;

COLORREF ScreenPixel(int x, int y) {
    HDC screen = ::GetDC(nullptr);
    const COLORREF shown = ::GetPixel(screen, x, y);
    ::ReleaseDC(nullptr, screen);
    return shown;
}

// The rows of the window, from its top edge, that the screen shows in the selection colour at
// `column` pixels in.
std::vector<int> HighlightedRows(const RECT& window, int column) {
    std::vector<int> rows;
    for (int y = 0; y < window.bottom - window.top; ++y) {
        if (ScreenPixel(window.left + column, window.top + y) == ::GetSysColor(COLOR_HIGHLIGHT)) {
            rows.push_back(y);
        }
    }
    return rows;
}

std::vector<int> Rows(int first, int count) {
    std::vector<int> rows;
    for (int y = first; y < first + count; ++y) {
        rows.push_back(y);
    }
    return rows;
}

// The height of the text drawn in a box of the window: the rows between the first and the last
// that hold anything but the background.
int InkHeight(const RECT& window, const RECT& box, COLORREF background) {
    int first = -1;
    int last = -1;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            if (ScreenPixel(window.left + x, window.top + y) != background) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

// The prefix's resolution, and the monitor's for a per-monitor aware thread (Wine's one monitor
// has the system's).
TEST(DpiWindowTest, ResolutionOfTheSystemAndOfTheMonitorUnderThePointer) {
    using SetThreadAwareness = HANDLE(WINAPI*)(HANDLE);
    auto setThreadAwareness = reinterpret_cast<SetThreadAwareness>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    ASSERT_NE(setThreadAwareness, nullptr);
    const win32::Dpi system = win32::SystemDpi();
    HANDLE previous = setThreadAwareness(reinterpret_cast<HANDLE>(INT_PTR{-3})); // per monitor
    const win32::Dpi monitor = win32::WindowDpi();
    setThreadAwareness(previous);
    EXPECT_EQ(std::make_pair(system.x, system.y), std::make_pair(144, 144));
    EXPECT_EQ(std::make_pair(monitor.x, monitor.y), std::make_pair(144, 144));
}

// A request at 144 dpi with the pointer at (200, 300), over a data file the test writes.
class DpiRequestTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetCursorPos(200, 300); }

    RealPlatform platform;
    wintest::MessageBoxWatcher boxes;
};

// Two lines, the pointer at (200, 300): the window's corner at (2000, 3000 - 880 - 1000) twips,
// its size 2505 by 1760 twips; the lines 240 twips apart from 495 twips below the window's top
// (49.5 pixels: the first row whose centre lies in the line is row 49). The welcome window
// comes first, at the same corner, with its client area of 4950 by 2670 twips.
TEST_F(DpiRequestTest, WelcomeWindowThenPopUpRectangleLineSpacingFontAndPointer) {
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 0, {1, 2}));
    RECT welcome{};
    RECT welcomeClient{};
    RECT rect{};
    POINT pointerAfterLoad{};
    int textHeight = 0;
    std::vector<int> line1Rows;
    std::vector<int> line2Rows;
    std::wstring result = L"unset";
    {
        User user([&] {
            HWND intro = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (intro = FindVisible(L"QuilleryWelcome")); }));
            ::GetWindowRect(intro, &welcome);
            ::GetClientRect(intro, &welcomeClient);
            ::SendMessageW(::GetDlgItem(intro, 101), BM_CLICK, 0, 0); // Continue
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            ::GetWindowRect(popup, &rect);
            ::GetCursorPos(&pointerAfterLoad); // put on the banner before the window showed
            // Line 1's text, "Item 1", from 270 twips in, before anything is highlighted.
            const RECT line1Text{27, 49, 120, 73};
            // Painted once the line shows its background right of its text.
            const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
            WaitFor([&] {
                return InkHeight(rect, RECT{200, 49, 245, 73}, face) == 0 &&
                       InkHeight(rect, line1Text, face) > 0;
            });
            textHeight = InkHeight(rect, line1Text, face);
            // Far right in each line, where no text is: the highlight's rows.
            ::SetCursorPos(rect.left + 240, rect.top + 73 + 12);
            WaitFor([&] { return HighlightedRows(rect, 240) == Rows(73, 24); });
            line2Rows = HighlightedRows(rect, 240);
            ::SetCursorPos(rect.left + 240, rect.top + 49 + 12);
            WaitFor([&] { return HighlightedRows(rect, 240) == Rows(49, 24); });
            line1Rows = HighlightedRows(rect, 240);
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_EQ(welcome.left, 200);
    EXPECT_EQ(welcome.top, 112);
    EXPECT_EQ(welcomeClient.right, 495);
    EXPECT_EQ(welcomeClient.bottom, 267);
    EXPECT_EQ(rect.left, 200);
    EXPECT_EQ(rect.top, 112);
    EXPECT_EQ(rect.right - rect.left, 250); // 250.5 pixels: the last column's centre is out
    EXPECT_EQ(rect.bottom - rect.top, 176);
    // The banner: (2000 + 100) / 10 and (1120 + 140) / 10.
    EXPECT_EQ(pointerAfterLoad.x, 210);
    EXPECT_EQ(pointerAfterLoad.y, 126);
    EXPECT_EQ(line1Rows, Rows(49, 24));
    EXPECT_EQ(line2Rows, Rows(73, 24));
    // Arial 8.25 points is 17 pixels high at 144 dpi: its capitals and figures stand 11 to 13
    // pixels tall (at the 11 pixels of 96 dpi, about 8).
    EXPECT_GE(textHeight, 11);
    EXPECT_LE(textHeight, 14);
    EXPECT_EQ(result, L"");
    EXPECT_TRUE(boxes.Seen().empty());
}

// The editor of line 1 at 144 dpi: its corner 800 and 300 twips right of and below the
// pop-up's, its client area of 3645 by 2535 twips, its Apply button at (210, 1950) twips and
// 1485 by 465 twips in size, all at 10 twips a pixel.
TEST_F(DpiRequestTest, EditorPlaceClientAreaAndButtonsInPixels) {
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2}));
    RECT popupRect{};
    RECT editorRect{};
    RECT editorClient{};
    RECT applyRect{};
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            // Line 1 is rows 49 to 72 of the window.
            const LPARAM onLine1 = MAKELPARAM(60, 60);
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, onLine1);
            ::PostMessageW(popup, WM_RBUTTONDOWN, MK_RBUTTON, onLine1);
            ::PostMessageW(popup, WM_RBUTTONUP, 0, onLine1);
            HWND commands = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (commands = FindVisible(L"#32768")); }));
            ::PostMessageW(commands, WM_CHAR, L'e', 0); // Edit
            HWND editor = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (editor = FindVisible(L"QuilleryItemEditor")); }));
            ::GetWindowRect(popup, &popupRect);
            ::GetWindowRect(editor, &editorRect);
            ::GetClientRect(editor, &editorClient);
            HWND apply = ::GetDlgItem(editor, 211);
            ::GetWindowRect(apply, &applyRect);
            ::MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&applyRect), 2);
            ::SendMessageW(::GetDlgItem(editor, 212), BM_CLICK, 0, 0); // Cancel
            WaitFor([] { return FindVisible(L"QuilleryItemEditor") == nullptr; });
        });
        RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_EQ(editorRect.left - popupRect.left, 80);
    EXPECT_EQ(editorRect.top - popupRect.top, 30);
    // 364.5 and 253.5 pixels: the last column's and row's centres are out.
    EXPECT_EQ(std::make_pair(editorClient.right, editorClient.bottom), std::make_pair(364L, 253L));
    const std::array<LONG, 4> applySides{applyRect.left, applyRect.top, applyRect.right,
                                         applyRect.bottom};
    EXPECT_EQ(applySides, (std::array<LONG, 4>{21, 195, 169, 241}));
    EXPECT_TRUE(boxes.Seen().empty());
}

} // namespace
} // namespace quillery
