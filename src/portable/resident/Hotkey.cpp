#include "resident/Hotkey.h"

#include "messages/ResidentMessages.h"

#include <algorithm>
#include <initializer_list>

namespace quillery::resident {
namespace {

constexpr std::uint32_t kAllModifiers = kAlt | kControl | kShift | kWin;

// Shift, Ctrl and Alt (either side, or both), and the Windows keys.
bool IsModifierKey(std::uint32_t key) {
    return (key >= 0x10 && key <= 0x12) || (key >= 0xA0 && key <= 0xA5) || key == 0x5B ||
           key == 0x5C;
}

// The keys that type a character on some layout: space, digits, letters and the punctuation
// keys (VK_OEM_1 to VK_OEM_3, VK_OEM_4 to VK_OEM_8, VK_OEM_102).
bool TypesCharacters(std::uint32_t key) {
    return key == 0x20 || (key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A) ||
           (key >= 0xBA && key <= 0xC0) || (key >= 0xDB && key <= 0xDF) || key == 0xE2;
}

// Page Up, Page Down, End, Home and the arrows: they move the caret, and with Ctrl by words.
bool MovesCaret(std::uint32_t key) {
    return key >= 0x21 && key <= 0x28;
}

constexpr std::uint32_t kCancel = 0x03; // Ctrl+Break
constexpr std::uint32_t kBackspace = 0x08;
constexpr std::uint32_t kTab = 0x09;
constexpr std::uint32_t kEnter = 0x0D;
constexpr std::uint32_t kPause = 0x13;
constexpr std::uint32_t kEscape = 0x1B;
constexpr std::uint32_t kPrintScreen = 0x2C;
constexpr std::uint32_t kInsert = 0x2D;
constexpr std::uint32_t kDelete = 0x2E;
constexpr std::uint32_t kF4 = 0x73;

bool IsOneOf(std::uint32_t key, std::initializer_list<std::uint32_t> keys) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

// The shortcuts that Windows or most programs act on. A hotkey is taken from every program, so
// none of these may be one; the default, Ctrl+Shift+Insert, is none of them.
bool IsCommonShortcut(const Hotkey& hotkey) {
    const std::uint32_t key = hotkey.key;
    if (hotkey.modifiers & kWin) {
        // Windows' own: Win+L locks, Win+D shows the desktop, Win+digit starts a taskbar
        // program, Win+Shift+S takes a screenshot, Win+arrows place windows, Win+Tab.
        return TypesCharacters(key) || MovesCaret(key) ||
               IsOneOf(key, {kTab, kPause, kPrintScreen});
    }
    switch (hotkey.modifiers) {
    case kControl:
        // Ctrl with a character key is a command nearly everywhere (copy, paste, undo, save,
        // find, zoom, tabs); with the editing keys it moves or deletes by words, copies
        // (Ctrl+Insert), closes a document (Ctrl+F4), opens Start (Ctrl+Esc) or stops a
        // console program (Ctrl+Break).
        return TypesCharacters(key) || MovesCaret(key) ||
               IsOneOf(key, {kCancel, kBackspace, kTab, kEnter, kEscape, kInsert, kDelete, kF4});
    case kControl | kShift:
        // Programs take these with Shift too: select all, copy, find, new window, open, print,
        // save as, reopen a tab, paste as text, close the window, cut, redo; selecting by words,
        // the previous tab and the task manager.
        return IsOneOf(key, {'A', 'C', 'F', 'N', 'O', 'P', 'S', 'T', 'V', 'W', 'X', 'Y', 'Z', kTab,
                             kEscape}) ||
               MovesCaret(key);
    case kAlt:
        // Alt with a character key is an access key of a menu or a dialog; Alt+Space opens the
        // window's menu, Alt+F4 closes the window, Alt+Tab and Alt+Esc switch windows, Alt with
        // an arrow goes back or opens a list.
        return TypesCharacters(key) || MovesCaret(key) ||
               IsOneOf(key, {kBackspace, kTab, kEnter, kEscape, kF4});
    case kAlt | kShift:
        return IsOneOf(key, {kTab, kEscape}); // switching windows backwards
    case kControl | kAlt:
        return IsOneOf(key, {kTab, kDelete}); // the window switcher; the security screen
    default:
        return false;
    }
}

} // namespace

HotkeyFault CheckHotkey(const Hotkey& hotkey) {
    if (hotkey.key == 0 || hotkey.key > 0xFE || IsModifierKey(hotkey.key) ||
        (hotkey.modifiers & ~kAllModifiers) != 0) {
        return HotkeyFault::NoKey;
    }
    if ((hotkey.modifiers & (kControl | kAlt | kWin)) == 0) {
        return HotkeyFault::NoModifier;
    }
    if ((hotkey.modifiers & (kControl | kAlt)) == (kControl | kAlt) &&
        TypesCharacters(hotkey.key)) {
        return HotkeyFault::TypesOnLayout;
    }
    if (IsCommonShortcut(hotkey)) {
        return HotkeyFault::CommonShortcut;
    }
    return HotkeyFault::Usable;
}

bool HotkeyHeld(const Hotkey& hotkey, const std::function<bool(std::uint32_t)>& isDown) {
    constexpr std::uint32_t kShiftKey = 0x10, kControlKey = 0x11, kAltKey = 0x12;
    constexpr std::uint32_t kLeftWinKey = 0x5B, kRightWinKey = 0x5C;
    const auto held = [&](std::uint32_t modifier, bool down) {
        return (hotkey.modifiers & modifier) == 0 || down;
    };
    return hotkey.key != 0 && isDown(hotkey.key) && held(kControl, isDown(kControlKey)) &&
           held(kShift, isDown(kShiftKey)) && held(kAlt, isDown(kAltKey)) &&
           held(kWin, isDown(kLeftWinKey) || isDown(kRightWinKey));
}

std::uint32_t StoredHotkey(const Hotkey& hotkey) {
    return (hotkey.modifiers & kAllModifiers) << 8 | (hotkey.key & 0xFF);
}

std::optional<Hotkey> HotkeyFromStored(std::uint32_t value) {
    if ((value & ~0xFFFFu) != 0) {
        return std::nullopt;
    }
    const Hotkey hotkey{value >> 8, value & 0xFF};
    if (CheckHotkey(hotkey) != HotkeyFault::Usable) {
        return std::nullopt;
    }
    return hotkey;
}

std::wstring HotkeyText(const Hotkey& hotkey, std::wstring_view keyName) {
    std::wstring text;
    if (hotkey.modifiers & kControl) {
        text += messages::kCtrlPlus;
    }
    if (hotkey.modifiers & kShift) {
        text += messages::kShiftPlus;
    }
    if (hotkey.modifiers & kAlt) {
        text += messages::kAltPlus;
    }
    if (hotkey.modifiers & kWin) {
        text += messages::kWinPlus;
    }
    return text.append(keyName);
}

} // namespace quillery::resident
