// The hotkey: which ones can be used, how it is kept, how it is shown, when its keys are held;
// what a start says of it; what a failure says; the program's command line; and the checks
// before typing.

#include "resident/Hotkey.h"
#include "base/Failure.h"
#include "resident/FailureNotice.h"
#include "resident/ResidentArguments.h"
#include "resident/StartNotice.h"
#include "resident/TargetChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

namespace quillery::resident {
namespace {

TEST(HotkeyTest, WhichHotkeysCanBeUsed) {
    using Fault = HotkeyFault;
    struct Case {
        const char* what;
        Hotkey hotkey;
        Fault fault;
    } cases[] = {
        {"the default", kDefaultHotkey, Fault::Usable},
        {"Ctrl+Shift+Q", {kControl | kShift, 'Q'}, Fault::Usable},
        {"Win+Shift+F9", {kWin | kShift, 0x78}, Fault::Usable},
        {"Ctrl+Alt+F9", {kControl | kAlt, 0x78}, Fault::Usable},
        {"Alt+Insert", {kAlt, 0x2D}, Fault::Usable},
        {"Ctrl+Alt+Q is AltGr+Q", {kControl | kAlt, 'Q'}, Fault::TypesOnLayout},
        {"Ctrl+Alt+Shift+7", {kControl | kAlt | kShift, '7'}, Fault::TypesOnLayout},
        {"Ctrl+Alt+Space", {kControl | kAlt, 0x20}, Fault::TypesOnLayout},
        {"Ctrl+Alt+[", {kControl | kAlt, 0xDB}, Fault::TypesOnLayout},
        {"Ctrl+Alt+<> key", {kControl | kAlt, 0xE2}, Fault::TypesOnLayout},
        {"Shift+A", {kShift, 'A'}, Fault::NoModifier},
        {"F9 alone", {0, 0x78}, Fault::NoModifier},
        {"no key", {kControl, 0}, Fault::NoKey},
        {"Ctrl+Shift", {kControl, 0x10}, Fault::NoKey},
        {"Ctrl+left Windows key", {kControl, 0x5B}, Fault::NoKey},
        {"Alt+right Ctrl", {kAlt, 0xA3}, Fault::NoKey},
        {"an unknown modifier bit", {kControl | 0x4000, 'Q'}, Fault::NoKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckHotkey(c.hotkey), c.fault);
    }
    // Keys with one set of modifiers: the shortcuts of Windows and of most programs, and with
    // Ctrl+Alt each range's first and last key and the keys just outside it.
    const struct {
        std::uint32_t modifiers;
        std::vector<std::uint32_t> keys;
        Fault fault;
    } rows[] = {
        {kControl,
         {'A',  'C',  'V',  'X',  'Z',  'Y',  'S',  'P',  'F',  'N',  'O',  'W', '0',
          0xBB, 0x20, 0x03, 0x08, 0x09, 0x0D, 0x1B, 0x21, 0x28, 0x2D, 0x2E, 0x73},
         Fault::CommonShortcut},
        {kControl | kShift, {'V', 'Z', 'S', 'N', 'T', 0x09, 0x1B, 0x25}, Fault::CommonShortcut},
        {kAlt, {0x73, 0x09, 0x1B, 0x20, 'F', 0x0D, 0x28}, Fault::CommonShortcut},
        {kAlt | kShift, {0x09, 0x1B}, Fault::CommonShortcut},
        {kControl | kAlt, {0x2E, 0x09}, Fault::CommonShortcut},
        {kWin, {'L', 'D', '1', 0x09, 0x25, 0x13, 0x2C}, Fault::CommonShortcut},
        {kWin | kShift, {'S', 0x27}, Fault::CommonShortcut},
        {kShift, {0x2D, 0x2E}, Fault::NoModifier},
        {kControl | kShift, {'Q', 0x2E, 0x20, 0x78}, Fault::Usable},
        {kControl, {0x78, 0x74, 0x13}, Fault::Usable},
        {kControl | kAlt, {0x10, 0x12, 0xA0, 0xA5, 0x5B, 0x5C, 0x00, 0xFF, 0x100}, Fault::NoKey},
        {kControl | kAlt,
         {0x20, 0x30, 0x39, 0x41, 0x5A, 0xBA, 0xC0, 0xDB, 0xDF, 0xE2},
         Fault::TypesOnLayout},
        {kControl | kAlt,
         {0x0F, 0x13, 0x9F, 0xA6, 0x5D, 0x1F, 0x21, 0x2F, 0x3A, 0x40, 0xB9, 0xC1, 0xDA, 0xE0, 0xE1,
          0xE3, 0xFE},
         Fault::Usable},
        {kControl | 0x10, {0x78}, Fault::NoKey}, // the first modifier bit beyond the Windows key
    };
    for (const auto& row : rows) {
        for (const std::uint32_t key : row.keys) {
            SCOPED_TRACE(testing::Message() << "modifiers " << row.modifiers << ", key " << key);
            EXPECT_EQ(CheckHotkey({row.modifiers, key}), row.fault);
        }
    }
}

TEST(HotkeyTest, KeptAsKeyAndModifiersInOneValue) {
    struct Case {
        std::uint32_t stored;
        std::optional<Hotkey> read;
    } cases[] = {
        {0x062D, kDefaultHotkey},              // Ctrl (2) + Shift (4), Insert
        {0x0C78, Hotkey{kShift | kWin, 0x78}}, // Shift+Win+F9
        {0x0351, std::nullopt},                // Ctrl+Alt+Q
        {0x0256, std::nullopt},                // Ctrl+V
        {0x0041, std::nullopt},                // A alone
        {0x0000, std::nullopt},                // nothing kept
        {0x10651, std::nullopt},               // a bit beyond the two bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(HotkeyFromStored(c.stored), c.read);
        if (c.read) {
            EXPECT_EQ(StoredHotkey(*c.read), c.stored);
        }
    }
}

TEST(HotkeyTest, ShownWithItsModifiersFirst) {
    EXPECT_EQ(HotkeyText(kDefaultHotkey, L"Insert"), L"Ctrl+Shift+Insert");
    EXPECT_EQ(HotkeyText({kWin | kAlt | kShift | kControl, 'Q'}, L"Q"), L"Ctrl+Shift+Alt+Win+Q");
}

TEST(HotkeyTest, HeldOnlyWithTheKeyAndEachModifierDown) {
    const auto down = [](std::vector<std::uint32_t> keys) {
        return [keys](std::uint32_t key) { return std::count(keys.begin(), keys.end(), key) > 0; };
    };
    EXPECT_TRUE(HotkeyHeld(kDefaultHotkey, down({0x11, 0x10, 0x2D})));
    EXPECT_FALSE(HotkeyHeld(kDefaultHotkey, down({0x10, 0x2D})));           // Ctrl up
    EXPECT_TRUE(HotkeyHeld({kAlt | kWin, 0x78}, down({0x12, 0x5C, 0x78}))); // right Windows key
    EXPECT_FALSE(HotkeyHeld({kAlt | kWin, 0x78}, down({0x11, 0x5B, 0x78})));
}

TEST(TargetChecksTest, IntegrityBrowsersAndTheTitleANoticeShows) {
    EXPECT_TRUE(RunsAbove(0x3000, 0x2000));
    EXPECT_FALSE(RunsAbove(0x2000, 0x2000));
    EXPECT_TRUE(RunsAbove(std::nullopt, 0x3000)); // unreadable: above
    EXPECT_TRUE(IsBrowserWindowClass(L"MozillaWindowClass"));
    EXPECT_FALSE(IsBrowserWindowClass(L"Chrome_RenderWidgetHostHWND")); // a control
    const std::wstring a59(59, L'a'), pair = L"\xD83D\xDE00";
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"\u202Eevil\u202C \"x\"\r\n\t\u2028\u200E\u200F\u061C\u2066\u2069", L"evil \"x\""},
        {std::wstring(L"a\0b", 3) + L"\x7F\x85\x9F", L"ab"},
        {L"\u202E" + a59 + L"b\r\n", a59 + L"b"}, // at the limit, what is left out not counted
        {a59 + L"bc", a59 + L"\u2026"},
        {a59.substr(1) + pair + pair + pair, a59.substr(1) + pair + L"\u2026"}, // pairs whole
    };
    for (const auto& [title, shown] : cases) {
        EXPECT_EQ(ShownTitle(title), shown);
    }
}

TEST(StartNoticeTest, IntroducedOnceTheWarningInItsPlaceNothingWithoutAnIcon) {
    // Introduced before, hotkey registered, icon shown.
    EXPECT_EQ(NoticeAtStart(false, true, true), StartNotice::Introduction);
    EXPECT_EQ(NoticeAtStart(true, true, true), StartNotice::None);
    EXPECT_EQ(NoticeAtStart(false, false, true), StartNotice::HotkeyTaken);
    EXPECT_EQ(NoticeAtStart(false, true, false), StartNotice::None);
    EXPECT_NE(IntroductionText(L"Ctrl+Alt+F9").find(L"press Ctrl+Alt+F9 in any program"),
              std::wstring::npos);
}

TEST(FailureNoticeTest, SaysWhatFailed) {
    const std::pair<std::exception_ptr, const wchar_t*> cases[] = {
        {std::make_exception_ptr(std::bad_alloc()),
         L"Quillery could not do that: the system is out of memory."},
        {std::make_exception_ptr(Failure("cannot create a window", 5)),
         L"Quillery could not do that: cannot create a window."},
        {std::make_exception_ptr(std::runtime_error("x")), L"Quillery could not do that."},
    };
    for (const auto& [failure, notice] : cases) {
        try {
            std::rethrow_exception(failure);
        } catch (...) {
            EXPECT_EQ(FailureNotice(CurrentFailure()), notice);
        }
    }
}

TEST(ResidentArgumentsTest, WhatTheCommandLineAsks) {
    using Kind = ResidentCommand::Kind;
    struct Case {
        std::vector<std::wstring_view> arguments;
        Kind kind;
        std::wstring wrong;
    } cases[] = {
        {{}, Kind::StayResident, L""},
        {{L"/menu"}, Kind::MenuOnce, L""},
        {{L"-MENU"}, Kind::MenuOnce, L""},
        {{L"/Quit"}, Kind::Quit, L""},
        {{L"/menus"}, Kind::Wrong, L"/menus"},
        {{L"menu"}, Kind::Wrong, L"menu"},
        {{L"/"}, Kind::Wrong, L"/"},
        {{L""}, Kind::Wrong, L""},
        {{L"/menu", L"/quit"}, Kind::Wrong, L"/quit"},
    };
    for (const auto& c : cases) {
        const ResidentCommand command = ParseResidentArguments(c.arguments);
        EXPECT_EQ(command.kind, c.kind);
        EXPECT_EQ(command.wrong, c.wrong);
        if (c.kind == Kind::Wrong) {
            EXPECT_NE(WrongArgumentMessage(command).find(L"\"" + c.wrong + L"\""),
                      std::wstring::npos);
        }
    }
}

} // namespace
} // namespace quillery::resident
