// What Windows says about the machine and the component's own module, and the real box.

#include "Win32TestSupport.h"

#include "messages/Messages.h"
#include "store/MachineId.h"
#include "store/MenuStore.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#undef MessageBox

namespace quillery {
namespace {

using win32::ModuleContaining;
using win32::UniqueModule;
using win32::UniqueWindow;
using win32::Win32Dialogs;
using win32::Win32SystemInfo;
using wintest::MessageBoxWatcher;
using wintest::ProgramDirectory;
using wintest::RealPlatform;
using wintest::WaitFor;

void ProbeFunction() {}

TEST(Win32SystemInfoTest, MachineIdComesFromTheVolumeSerialOfC) {
    // The serial a fresh Wine prefix reports for drive C:. As a signed 32-bit number it is
    // positive, 1,124,073,472, so the machine id is its first five digits: 11240.
    constexpr DWORD kWineSerial = 0x43000000;
    DWORD serial = 0;
    ASSERT_TRUE(::GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    if (wintest::RunningOnWine()) {
        ASSERT_EQ(serial, kWineSerial) << "drive C: of this prefix has another serial";
    }

    RealPlatform platform;
    EXPECT_EQ(platform.system.VolumeSerialNumber(L"C:\\"), std::optional<std::uint32_t>(serial));
    const std::wstring id = GetMachineId(platform.system);
    if (serial == kWineSerial) {
        EXPECT_EQ(id, L"11240");
    } else {
        // Another machine's serial, whose id is not worked out here: five digits, and not
        // the id of serial 0, which a failed query counts as, since a non-zero magnitude
        // starts with a non-zero digit.
        ASSERT_EQ(id.size(), 5u);
        EXPECT_TRUE(std::all_of(id.begin(), id.end(), [](wchar_t c) {
            return c >= L'0' && c <= L'9';
        })) << id;
        if (serial != 0) {
            EXPECT_NE(id[0], L'0') << id;
        }
    }
}

// The serial of a volume is kept once known, for that volume only.
TEST(Win32SystemInfoTest, VolumeThatCannotBeAskedHasNoSerialThoughAnotherIsKnown) {
    const DWORD drives = ::GetLogicalDrives();
    wchar_t unused = 0;
    for (wchar_t letter = L'Z'; letter >= L'D'; --letter) {
        if ((drives & (1u << (letter - L'A'))) == 0) {
            unused = letter;
            break;
        }
    }
    ASSERT_NE(unused, 0) << "every drive letter is in use";
    DWORD serial = 0;
    ASSERT_TRUE(::GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    Win32SystemInfo system(::GetModuleHandleW(nullptr));
    EXPECT_EQ(system.VolumeSerialNumber(L"C:\\"), std::optional<std::uint32_t>(serial));
    EXPECT_EQ(system.VolumeSerialNumber(std::wstring(1, unused) + L":\\"), std::nullopt);
    EXPECT_EQ(system.VolumeSerialNumber(L"\u4E2D:\\"), std::nullopt); // not in the code page
    EXPECT_EQ(system.VolumeSerialNumber(L"C:\\"), std::optional<std::uint32_t>(serial));
}

TEST(Win32SystemInfoTest, NamesComeFromTheModuleThatHoldsTheCode) {
    EXPECT_EQ(ModuleContaining(reinterpret_cast<const void*>(&ProbeFunction)),
              ::GetModuleHandleW(nullptr));
    EXPECT_EQ(ModuleContaining(nullptr), nullptr);
    const auto heap = std::make_unique<int>(0);
    EXPECT_EQ(ModuleContaining(heap.get()), nullptr);

    // The DLL, loaded by this program: its names, not the host program's.
    UniqueModule dll(::LoadLibraryW((ProgramDirectory() + L"\\Pennock.dll").c_str()));
    ASSERT_TRUE(dll);
    const auto entry = ::GetProcAddress(dll.get(), "DllCanUnloadNow");
    ASSERT_NE(entry, nullptr);
    const HMODULE found = ModuleContaining(reinterpret_cast<const void*>(entry));
    EXPECT_EQ(found, dll.get());

    Win32SystemInfo system(found);
    EXPECT_EQ(system.ExecutableName(), L"Pennock");
    EXPECT_EQ(system.ComponentDirectory(), ProgramDirectory());
    EXPECT_NE(system.ComponentDirectory().back(), L'\\');

    // The store looks for the data file beside the DLL.
    EXPECT_EQ(MenuFilePath(system), ProgramDirectory() + L"\\Menu.dat");
}

TEST(Win32DialogsTest, ShowsTheStyleAskedForAndReturnsTheButtonPressed) {
    struct Case {
        unsigned style;
        int press;
        std::vector<int> buttons;
        const wchar_t* icon;
        int answer;
    } cases[] = {
        {box::kOk | box::kIconStop, IDOK, {IDOK}, L"stop", box::kAnswerOk},
        {box::kOk | box::kIconExclamation, IDOK, {IDOK}, L"exclamation", box::kAnswerOk},
        {box::kYesNo | box::kIconQuestion, IDYES, {IDYES, IDNO}, L"question", box::kAnswerYes},
        {box::kYesNo | box::kIconQuestion, IDNO, {IDYES, IDNO}, L"question", box::kAnswerNo},
    };
    Win32Dialogs dialogs;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " press " << c.press);
        MessageBoxWatcher watcher;
        watcher.QueueAnswer(c.press);
        EXPECT_EQ(dialogs.ShowMessage(L"Body text", messages::kProductName, c.style), c.answer);
        const auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, L"Body text");
        EXPECT_EQ(seen[0].title, L"Quillery");
        EXPECT_EQ(seen[0].buttons, c.buttons);
        EXPECT_EQ(seen[0].icon, c.icon);
    }
}

std::atomic<int> g_ticks{0};
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
}

// While the box is up, the thread's own windows cannot be used, but their timers go on running
// (the pop-up's auto-close watch depends on that); afterwards the windows work again.
TEST(Win32DialogsTest, BoxBlocksTheThreadsWindowsWhileTheirTimersRun) {
    UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"other window",
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                          nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, CountTick);
    ASSERT_NE(timer, 0u);

    MessageBoxWatcher watcher;
    std::atomic<bool> enabledWhileShown{true};
    int ticksWhileShown = 0;
    watcher.WhileShown([&] {
        enabledWhileShown = ::IsWindowEnabled(window.get()) != FALSE;
        const int before = g_ticks;
        WaitFor([&] { return g_ticks > before; });
        ticksWhileShown = g_ticks - before;
    });
    Win32Dialogs().ShowMessage(L"Error saving menu item", L"Quillery", box::kIconStop);
    ::KillTimer(nullptr, timer);

    EXPECT_FALSE(enabledWhileShown);
    EXPECT_GT(ticksWhileShown, 0);
    EXPECT_TRUE(::IsWindowEnabled(window.get()));
}

} // namespace
} // namespace quillery
