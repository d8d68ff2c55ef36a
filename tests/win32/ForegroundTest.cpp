// Activation as a browser sees it: the caller's window on the calling thread is active before
// a request and is activated again at its end, however the request ends; a window opened over
// the pop-up gives the activation back to the pop-up when it closes.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "record/Messages.h"
#include "win32/UniqueResource.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace
} // namespace quillery
