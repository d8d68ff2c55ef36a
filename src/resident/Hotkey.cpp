#include "resident/Hotkey.h"

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
        text += L"Ctrl+";
    }
    if (hotkey.modifiers & kShift) {
        text += L"Shift+";
    }
    if (hotkey.modifiers & kAlt) {
        text += L"Alt+";
    }
    if (hotkey.modifiers & kWin) {
        text += L"Win+";
    }
    return text.append(keyName);
}

} // namespace quillery::resident
