// Whole menu requests with the real windows: what only the window system shows (the window's
// rectangle in pixels, the real timer, real message boxes over it, real clicks).

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "messages/Messages.h"
#include "store/RecordCodec.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quillery {
namespace {

using namespace std::chrono_literals;
using win32::UniqueFile;
using wintest::FindVisible;
using wintest::MessageBoxWatcher;
using wintest::ReadWholeFile;
using wintest::RealPlatform;
using wintest::User;
using wintest::WaitFor;
using wintest::WriteWholeFile;

// A data file with the given items filled and no base address: the shell cannot open the
// site links.
std::vector<std::uint8_t> MenuData(const std::vector<int>& items, std::int16_t flag) {
    return wintest::MenuFileBytes(L"", flag, items);
}

LPARAM ClientPoint(int x, int y) {
    return MAKELPARAM(x, y);
}

class MenuWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetCursorPos(200, 300); }

    RealPlatform platform;
    MessageBoxWatcher boxes;
};

TEST_F(MenuWindowTest, OpensAtThePointerAndClosesWhenThePointerHasLeft) {
    WriteWholeFile(platform.MenuFile(), MenuData({1, 2}, 1));
    RECT rect{};
    POINT pointerAfterLoad{};
    bool closedAfterTick = false;
    std::wstring result = L"unset";
    {
        User user([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (window = FindVisible(L"QuillerySnippetMenu")); }));
            ::GetWindowRect(window, &rect);
            ::GetCursorPos(&pointerAfterLoad);
            ::SetCursorPos(rect.right + 40, rect.bottom + 40);
            closedAfterTick = WaitFor([&] { return !::IsWindow(window); }, 6s);
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    // Two lines: 1760 twips high; Top = 300 * 15 - 880 - 1000 = 2620 twips = 174.67 pixels.
    EXPECT_EQ(rect.left, 200);
    EXPECT_EQ(rect.top, 175);
    EXPECT_EQ(rect.right - rect.left, 167); // 2505 twips
    EXPECT_EQ(rect.bottom - rect.top, 117); // 1760 twips
    // The pointer was put on the banner: (3000 + 100) / 15 and (2620 + 140) / 15.
    EXPECT_EQ(pointerAfterLoad.x, 207);
    EXPECT_EQ(pointerAfterLoad.y, 184);
    EXPECT_TRUE(closedAfterTick);
    EXPECT_EQ(result, L"");
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(MenuWindowTest, LeftClickOnALineReturnsItsSnippet) {
    WriteWholeFile(platform.MenuFile(), MenuData({1, 4, 5}, 1));
    std::wstring result;
    {
        User user([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (window = FindVisible(L"QuillerySnippetMenu")); }));
            // Line 2 lies at frame y 825 to 1065 twips, window y 735 to 975: pixel 57.
            ::PostMessageW(window, WM_MOUSEMOVE, 0, ClientPoint(40, 57));
            ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(40, 57));
            ::PostMessageW(window, WM_LBUTTONUP, 0, ClientPoint(40, 57));
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_EQ(result, L"text of 4");
    EXPECT_EQ(FindVisible(L"QuillerySnippetMenu"), nullptr);
}

TEST_F(MenuWindowTest, WelcomeWindowOverThePopUpAndItsAnswerWritten) {
    WriteWholeFile(platform.MenuFile(), MenuData({1}, 0));
    RECT intro{};
    std::wstring title;
    {
        User user([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (window = FindVisible(L"QuilleryWelcome")); }));
            ::GetWindowRect(window, &intro);
            wchar_t text[64] = L"";
            ::GetWindowTextW(window, text, 64);
            title = text;
            ::SendMessageW(::GetDlgItem(window, 102), BM_CLICK, 0, 0); // tick the box
            ::SendMessageW(::GetDlgItem(window, 101), BM_CLICK, 0, 0); // Continue
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            ::PostMessageW(popup, WM_CLOSE, 0, 0); // the window system closes it
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
    }
    EXPECT_EQ(title, L"Welcome to Quillery");
    // The pop-up's corner: (200, 300 * 15 - 760 - 1000 twips) = (200, 182.67).
    EXPECT_EQ(intro.left, 200);
    EXPECT_EQ(intro.top, 183);
    const auto bytes = ReadWholeFile(platform.MenuFile());
    EXPECT_EQ(bytes[230], 1);
    EXPECT_EQ(bytes[231], 0);
}

TEST_F(MenuWindowTest, FatalReportClosesTheWindowsAndTheRequestReturns) {
    // Another program holds the file and lets nobody write: the menu opens for reading, and
    // the welcome answer cannot be saved.
    WriteWholeFile(platform.MenuFile(), MenuData({1}, 0));
    const auto before = ReadWholeFile(platform.MenuFile());
    UniqueFile holder(::CreateFileW(platform.MenuFile().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    // The window system tells a window each time it is shown, however it was shown; the
    // request's windows are this thread's.
    int popupShown = 0;
    wintest::ThreadHook<WH_CALLWNDPROC> hook([&](int, WPARAM, LPARAM lParam) {
        const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        wchar_t className[32] = L"";
        if (sent.message == WM_WINDOWPOSCHANGED &&
            (reinterpret_cast<const WINDOWPOS*>(sent.lParam)->flags & SWP_SHOWWINDOW) != 0 &&
            ::GetClassNameW(sent.hwnd, className, 32) > 0 &&
            std::wstring(className) == L"QuillerySnippetMenu") {
            ++popupShown;
        }
    });
    std::atomic<bool> returned{false};
    {
        User user([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (window = FindVisible(L"QuilleryWelcome")); }));
            ::SendMessageW(::GetDlgItem(window, 101), BM_CLICK, 0, 0);
            // A pop-up that shows all the same is closed, so that the request returns.
            ASSERT_TRUE(WaitFor(
                [&] { return returned || FindVisible(L"QuillerySnippetMenu") != nullptr; }, 30s));
            if (HWND popup = FindVisible(L"QuillerySnippetMenu")) {
                ::PostMessageW(popup, WM_CLOSE, 0, 0);
            }
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
        returned = true; // from here on, no window of the request can show
    }
    holder.reset();
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(popupShown, 0);
    EXPECT_EQ(::FindWindowW(L"QuillerySnippetMenu", nullptr), nullptr);
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()), before);
}

TEST_F(MenuWindowTest, WarningBoxLeftOpenWhileTheTimerClosesThePopUp) {
    WriteWholeFile(platform.MenuFile(), MenuData({1, 2}, 1));
    bool closedUnderTheBox = false;
    boxes.WhileShown([&] {
        HWND popup = ::FindWindowW(L"QuillerySnippetMenu", nullptr);
        RECT rect{};
        ::GetWindowRect(popup, &rect);
        ::SetCursorPos(rect.right + 50, rect.bottom + 50);
        closedUnderTheBox = WaitFor([&] { return !::IsWindow(popup); }, 6s);
    });
    {
        User user([&] {
            HWND window = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (window = FindVisible(L"QuillerySnippetMenu")); }));
            // "Help and Support": frame y 1265, window y 1175 twips: pixel 86. Its address
            // has no base, so the shell cannot open it.
            ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(40, 86));
            ::PostMessageW(window, WM_LBUTTONUP, 0, ClientPoint(40, 86));
            // Should no box come, the pointer leaves anyway, so that the request ends.
            if (!WaitFor([&] { return !boxes.Seen().empty() || !::IsWindow(window); }, 5s)) {
                ::SetCursorPos(0, 0);
            }
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
    }
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{messages::kLaunchFailed});
    ASSERT_FALSE(boxes.Seen().empty());
    EXPECT_EQ(boxes.Seen()[0].icon, L"exclamation");
    EXPECT_TRUE(closedUnderTheBox);
}

// The tooltip control that holds the menu's tools, or null while there is none.
HWND TooltipOf(HWND popup) {
    HWND tooltip = nullptr;
    while ((tooltip = ::FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr))) {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        if (::SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) &&
            tool.hwnd == popup) {
            return tooltip;
        }
    }
    return nullptr;
}

// The tooltip control is made when the pointer first moves over the menu, with a tool for each
// line. Version 5 of the common controls, which a host without a manifest gets, refuses a tool
// whose size includes the fields of version 6: the tools are handed over in the older size.
TEST_F(MenuWindowTest, TooltipsComeWithTheFirstMoveInTheSizeEveryControlsVersionAccepts) {
    WriteWholeFile(platform.MenuFile(), MenuData({1, 2, 3}, 1));
    bool tooltipBeforeAMove = true;
    LRESULT toolCount = -1;
    std::vector<UINT> toolSizes; // of each tool handed to a tooltip control
    wintest::ThreadHook<WH_CALLWNDPROC> hook([&](int, WPARAM, LPARAM lParam) {
        const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent.message == TTM_ADDTOOLW) {
            toolSizes.push_back(reinterpret_cast<const TOOLINFOW*>(sent.lParam)->cbSize);
        }
    });
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            tooltipBeforeAMove = TooltipOf(popup) != nullptr;
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, ClientPoint(40, 57));
            HWND tooltip = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (tooltip = TooltipOf(popup)) != nullptr; }));
            toolCount = ::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0);
        });
        RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_FALSE(tooltipBeforeAMove);
    EXPECT_EQ(toolCount, 3);
    ASSERT_EQ(toolSizes.size(), 3u);
    for (const UINT size : toolSizes) {
        EXPECT_EQ(size, TTTOOLINFOW_V2_SIZE);
    }
}

// The window hands the pointer's moves on to the tooltip control itself: a tip shows once the
// pointer rests on a line, goes when it moves off the lines, and comes for the next line it
// rests on.
TEST_F(MenuWindowTest, TheTipFollowsThePointerOntoTheLines) {
    WriteWholeFile(platform.MenuFile(), MenuData({1, 2, 3}, 1));
    std::vector<UINT_PTR> tips; // the line of each tip seen, 0 for none
    {
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            RECT frame;
            ::GetWindowRect(popup, &frame);
            const auto tipShown = [&] {
                HWND tooltip = TooltipOf(popup);
                TOOLINFOW tool{};
                tool.cbSize = TTTOOLINFOW_V2_SIZE;
                if (tooltip == nullptr || !::IsWindowVisible(tooltip) ||
                    !::SendMessageW(tooltip, TTM_GETCURRENTTOOLW, 0,
                                    reinterpret_cast<LPARAM>(&tool))) {
                    return UINT_PTR{0};
                }
                return tool.uId;
            };
            // The menu's load step, which may still be running, puts the pointer onto the
            // banner once: the pointer is moved only after that.
            ASSERT_TRUE(WaitFor([&] {
                POINT pointer{};
                ::GetCursorPos(&pointer);
                return pointer.y >= frame.top &&
                       pointer.y < frame.top + wintest::LineCentreY(1) - 8;
            }));
            for (const int line : {1, 0, 3}) { // line 0: the banner above the lines
                const int y = line == 0 ? 5 : wintest::LineCentreY(line);
                // Put back there while waiting when it is elsewhere: a pointer that was on the
                // banner by chance passes the wait above before the load step has moved it
                // there. Not put there again otherwise: each move restarts the tip's delay.
                const POINT onLine{frame.left + 40, frame.top + y};
                WaitFor([&] {
                    POINT pointer{};
                    ::GetCursorPos(&pointer);
                    if (pointer.x != onLine.x || pointer.y != onLine.y) {
                        ::SetCursorPos(onLine.x, onLine.y);
                    }
                    return tipShown() == static_cast<UINT_PTR>(line);
                });
                tips.push_back(tipShown());
            }
        });
        RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_EQ(tips, (std::vector<UINT_PTR>{1, 0, 3}));
}

} // namespace
} // namespace quillery
