#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillery::resident {

// The modifier keys of a hotkey, as bits (the values RegisterHotKey takes).
enum Modifier : std::uint32_t {
    kAlt = 0x1,
    kControl = 0x2,
    kShift = 0x4,
    kWin = 0x8,
};

// A key with modifiers that opens the menu from any program: `key` is a Windows virtual-key
// code.
struct Hotkey {
    std::uint32_t modifiers = 0;
    std::uint32_t key = 0;

    bool operator==(const Hotkey&) const = default;
};

// Whether the keys of `hotkey` are all down, as `isDown` answers for a virtual-key code: the key
// and each of its modifiers (Ctrl, Shift and Alt on either side, either Windows key). A hotkey
// message that comes while they are not was posted by a program, not pressed by the user.
bool HotkeyHeld(const Hotkey& hotkey, const std::function<bool(std::uint32_t)>& isDown);

// Ctrl+Shift+Insert: no common program acts on it, and no keyboard layout types with it. Never
// Ctrl+Alt with a letter, which is AltGr on many layouts ('@', '€', '{').
inline constexpr Hotkey kDefaultHotkey{kControl | kShift, 0x2D};

// Why a hotkey cannot be used; Usable when it can.
enum class HotkeyFault {
    Usable,
    NoKey,         // no key, or a modifier key alone
    NoModifier,    // no Ctrl, Alt or Windows key: the key would be taken from every program
    TypesOnLayout, // Ctrl+Alt with a key that types: AltGr on many layouts
    // A shortcut that Windows or most programs act on (copy, paste, undo, an access key, closing
    // or switching windows, locking): the hotkey would take it from every program
    CommonShortcut,
};
HotkeyFault CheckHotkey(const Hotkey& hotkey);

// The user's hotkey as it is kept (a 32-bit value: the key in the low byte, the modifiers in
// the next), and read back. A value that is no usable hotkey reads as nothing.
std::uint32_t StoredHotkey(const Hotkey& hotkey);
std::optional<Hotkey> HotkeyFromStored(std::uint32_t value);

// "Ctrl+Shift+Insert": the modifiers in the order Windows shows them, then `keyName`.
std::wstring HotkeyText(const Hotkey& hotkey, std::wstring_view keyName);

} // namespace quillery::resident
