// Activation as a browser sees it: the caller's window on the calling thread is active before
// a request and is activated again at its end, however the request ends; a window opened over
// the pop-up gives the activation back to the pop-up when it closes. And as the resident program
// sees it: another program's window in front never covers the pop-up.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "messages/Messages.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <string>
#include <vector>

namespace quillery {
namespace {

using namespace std::chrono_literals;
using win32::UniqueFile;
using wintest::FindVisible;
using wintest::LinePoint;
using wintest::MessageBoxWatcher;
using wintest::RealPlatform;
using wintest::User;
using wintest::WaitFor;
using wintest::WriteWholeFile;

using wintest::CallerWindow;
using wintest::PumpUntil;
constexpr const wchar_t* kHostClass = wintest::kCallerClass;

// Clicks button `id` of `window` as the mouse does: posted input, which the window system
// times as it arrives (a sent BM_CLICK carries no time, and Wine's X11 driver asks for the
// keyboard focus with the time of the thread's last input, so that its request for the next
// active window would lose to an earlier one).
void ClickButton(HWND window, int id) {
    HWND button = ::GetDlgItem(window, id);
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// Records, on the calling thread, the class of each window that the thread activates, at the
// moment the window system activates it. Under Wine the X server's focus events come later and
// may take the activation away again; the record shows what the component asked for.
class ActivationRecorder {
public:
    // The class activated next after the last activation of `className`, or "" for none.
    std::wstring NextAfter(const std::wstring& className) const {
        const auto last = std::find(classes_.rbegin(), classes_.rend(), className);
        if (last == classes_.rend() || last == classes_.rbegin()) {
            return L"";
        }
        return *std::prev(last);
    }
    // The first class other than the host's activated after the last activation of
    // `className`, or "" for none.
    std::wstring After(const std::wstring& className) const {
        const auto last = std::find(classes_.rbegin(), classes_.rend(), className);
        if (last == classes_.rend()) {
            return L"";
        }
        const auto next = std::find_if(last.base(), classes_.end(),
                                       [](const std::wstring& c) { return c != kHostClass; });
        return next == classes_.end() ? L"" : *next;
    }

    // The last class activated, or "" for none.
    std::wstring Last() const { return classes_.empty() ? L"" : classes_.back(); }
    // The whole record, for a failure's message.
    std::string Listed() const {
        std::string listed;
        for (const auto& name : classes_) {
            listed += std::string(name.begin(), name.end()) + " ";
        }
        return listed;
    }

private:
    std::vector<std::wstring> classes_;
    // Activations of no window are Wine's answer to the X server's late focus events.
    wintest::ThreadHook<WH_CBT> hook_{[this](int code, WPARAM wParam, LPARAM) {
        wchar_t name[64] = L"";
        if (code == HCBT_ACTIVATE &&
            ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64) > 0) {
            classes_.emplace_back(name);
        }
    }};
};

class ForegroundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::SetCursorPos(200, 300);
        ASSERT_TRUE(PumpUntil([&] { return host.InForeground(); }));
    }

    RealPlatform platform;
    MessageBoxWatcher boxes;
    CallerWindow host;
};

TEST_F(ForegroundTest, HostIsActivatedAgainAfterAClickAndAfterAutoClose) {
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1, 2}));
    {
        ActivationRecorder activations;
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, LinePoint(2));
            ::PostMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, LinePoint(2));
            ::PostMessageW(popup, WM_LBUTTONUP, 0, LinePoint(2));
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"text of 2");
        EXPECT_EQ(activations.Last(), kHostClass) << activations.Listed();
    }
    EXPECT_TRUE(::IsWindowEnabled(host.get()));

    // The pointer leaves: the pop-up closes at the next tick.
    {
        ActivationRecorder activations;
        User user([&] {
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            ::SetCursorPos(5, 5);
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
        EXPECT_EQ(activations.Last(), kHostClass) << activations.Listed();
    }
    EXPECT_TRUE(::IsWindowEnabled(host.get()));
}

TEST_F(ForegroundTest, HostIsActivatedAgainAfterAFatalReport) {
    // Another program lets nobody write: the welcome's answer cannot be saved.
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 0, {1}));
    UniqueFile holder(::CreateFileW(platform.MenuFile().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    ActivationRecorder activations;
    {
        User user([&] {
            HWND welcome = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (welcome = FindVisible(L"QuilleryWelcome")); }));
            ClickButton(welcome, 101); // Continue
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
    }
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(activations.Last(), kHostClass) << activations.Listed();
    EXPECT_TRUE(::IsWindowEnabled(host.get()));
}

// The pop-up is active again before the editor is hidden, not after: a window manager that sees
// the window with the keyboard focus go moves the focus to a window of its own, and may do so
// after the pop-up has been activated again.
TEST_F(ForegroundTest, PopUpIsActivatedAgainAfterTheWelcomeAndAfterTheEditor) {
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 0, {1, 2}));
    ActivationRecorder activations;
    std::vector<std::wstring> activeAsTheEditorHides;
    wintest::ThreadHook<WH_CALLWNDPROC> hides([&](int, WPARAM, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        wchar_t name[64] = L"";
        if (call->message != WM_WINDOWPOSCHANGING ||
            (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_HIDEWINDOW) == 0 ||
            ::GetClassNameW(call->hwnd, name, 64) == 0 ||
            std::wstring(name) != L"QuilleryItemEditor") {
            return;
        }
        ::GetClassNameW(::GetActiveWindow(), name, 64);
        activeAsTheEditorHides.emplace_back(name);
    });
    {
        User user([&] {
            HWND welcome = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (welcome = FindVisible(L"QuilleryWelcome")); }));
            ClickButton(welcome, 101); // Continue
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            ::PostMessageW(popup, WM_MOUSEMOVE, 0, LinePoint(2));
            ::PostMessageW(popup, WM_RBUTTONDOWN, MK_RBUTTON, LinePoint(2));
            ::PostMessageW(popup, WM_RBUTTONUP, 0, LinePoint(2));
            HWND contextMenu = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (contextMenu = FindVisible(L"#32768")); }));
            ::PostMessageW(contextMenu, WM_CHAR, L'e', 0); // Edit
            HWND editor = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (editor = FindVisible(L"QuilleryItemEditor")); }));
            ClickButton(editor, 211); // Apply
            ASSERT_TRUE(WaitFor([&] { return !::IsWindow(editor); }));
            ::PostMessageW(popup, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
    }
    EXPECT_EQ(activations.After(L"QuilleryWelcome"), L"QuillerySnippetMenu")
        << activations.Listed();
    EXPECT_EQ(activations.NextAfter(L"QuilleryItemEditor"), L"QuillerySnippetMenu")
        << activations.Listed();
    EXPECT_EQ(activeAsTheEditorHides, std::vector<std::wstring>{L"QuillerySnippetMenu"});
    EXPECT_EQ(activations.Last(), kHostClass) << activations.Listed();
}

// A program that is slow to take its next activation once asked to be: activated, it goes on
// only when the pop-up is on the screen.
std::atomic<bool> g_slowToActivate{false};
LRESULT CALLBACK SlowToActivateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE &&
        g_slowToActivate.exchange(false)) {
        WaitFor([] { return FindVisible(L"QuillerySnippetMenu") != nullptr; });
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Another program's window in front and no window of the request's thread active, as when the
// resident program opens the menu: the window system activates that window as the welcome window
// closes, and should the program take that activation only after the pop-up has come, the
// pop-up is still above it on the display, where a real click on a line reaches the pop-up.
TEST(ProgramInFrontTest, PopUpAfterTheWelcomeIsAboveTheWindowActivatedAsTheWelcomeClosed) {
    RealPlatform platform;
    MessageBoxWatcher boxes;
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 0, {1, 2}));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &SlowToActivateProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuilleryTestProgram";
    ::RegisterClassExW(&windowClass);
    std::atomic<DWORD> programThread{0};
    wintest::Thread program([&] {
        // Under the whole pop-up, wherever it opens.
        win32::UniqueWindow window(::CreateWindowExW(
            0, windowClass.lpszClassName, L"program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1024,
            700, nullptr, nullptr, windowClass.hInstance, nullptr));
        ::SetForegroundWindow(window.get());
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue, for WM_QUIT
        programThread = ::GetCurrentThreadId();
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&msg);
        }
    });
    ASSERT_TRUE(WaitFor([&] { return programThread != 0; }));
    ::SetCursorPos(300, 400);
    std::wstring result = L"unset";
    {
        User user([&] {
            HWND welcome = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (welcome = FindVisible(L"QuilleryWelcome")); }));
            g_slowToActivate = true;
            ClickButton(welcome, 101); // Continue
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            WaitFor([&] { return ::GetForegroundWindow() == popup; });
            RECT rect{};
            ::GetWindowRect(popup, &rect);
            wintest::Xdotool({"mousemove", "--sync", std::to_string(rect.left + 60),
                              std::to_string(rect.top + wintest::LineCentreY(1)), "click", "1"});
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    ::PostThreadMessageW(programThread, WM_QUIT, 0, 0);
    program.Join();
    EXPECT_EQ(result, L"text of 1");
    EXPECT_TRUE(boxes.Seen().empty());
}

} // namespace
} // namespace quillery
