// The boundaries that catch what their callers never see: a thread's entry, and the hotkey
// dialog's procedure, which hands the failure on past the system's dialog loop.

#include "Win32TestSupport.h"

#include "app/HotkeyDialog.h"
#include "base/ScopeExit.h"
#include "winapi/Win32Boundary.h"

#include <gtest/gtest.h>

#include <new>

namespace quillery {
namespace {

TEST(BoundaryTest, AFailureEndsTheThreadWithItsCodeAndWhatItLeavesIsUndone) {
    for (const bool fails : {false, true}) {
        bool undone = false;
        const DWORD code = win32::ThreadEntry([&] {
            const ScopeExit undo([&] { undone = true; });
            if (fails) {
                throw std::bad_alloc();
            }
        });
        EXPECT_EQ(code, fails ? 1u : 0u);
        EXPECT_TRUE(undone);
    }
}

TEST(BoundaryTest, AFailureInsideTheHotkeyDialogClosesItAndGoesOnToTheCaller) {
    wintest::Thread pressOk([] {
        HWND dialog = nullptr;
        ASSERT_TRUE(wintest::WaitFor(
            [&] { return (dialog = ::FindWindowW(L"#32770", L"Quillery hotkey")) != nullptr; }));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const auto take = [](const resident::Hotkey&) -> std::wstring { throw std::bad_alloc(); };
    EXPECT_THROW(app::AskForHotkey(nullptr, resident::kDefaultHotkey, take), std::bad_alloc);
    pressOk.Join();
    EXPECT_EQ(::FindWindowW(L"#32770", L"Quillery hotkey"), nullptr);
}

} // namespace
} // namespace quillery
