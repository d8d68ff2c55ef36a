#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace quillery::resident {

// One key pressed and released that types part of a text in another program.
struct KeyStroke {
    enum class Kind { Unit, Enter, Tab };
    Kind kind = Kind::Unit;
    char16_t unit = 0; // the UTF-16 code unit that a Unit stroke types

    bool operator==(const KeyStroke&) const = default;
};

// The strokes that type `text`: each UTF-16 code unit as a stroke of its own (a character outside
// the Basic Multilingual Plane as its two surrogates, high first), each line break (CR LF, a CR
// alone or an LF alone) as one Enter, which programs take as a new line where a typed LF or CR
// would not be, and each tab as a Tab, which moves to a form's next field as the key does. A
// surrogate without its other half, which is no character, types U+FFFD. Every other control
// character (C0, DEL, C1) is left out: typed, it would be an editing command in the program (a
// paste, a deletion, an Escape), not text. Where wchar_t is 32 bits wide, an element above
// U+FFFF is split into its surrogates.
std::vector<KeyStroke> KeyStrokesFor(std::wstring_view text);

// How many characters of the text the first `strokes` strokes of KeyStrokesFor() typed whole:
// a pair of surrogates is one character, an Enter one line break, a Tab one tab.
std::size_t CharactersTyped(const std::vector<KeyStroke>& all, std::size_t strokes);

// The virtual keys (Windows' codes) that the events below press besides a layout's own.
namespace virtual_key {
inline constexpr std::uint16_t kTab = 0x09;
inline constexpr std::uint16_t kReturn = 0x0D;
inline constexpr std::uint16_t kLeftShift = 0xA0;
inline constexpr std::uint16_t kLeftCtrl = 0xA2;
inline constexpr std::uint16_t kLeftAlt = 0xA4;
} // namespace virtual_key

// Where a keyboard layout puts a character, as Windows' VkKeyScanEx answers: its virtual key,
// and the modifiers held with it (kShiftHeld, kCtrlHeld, kAltHeld; Ctrl and Alt together are
// AltGr).
struct LayoutKey {
    std::uint8_t virtualKey = 0;
    std::uint8_t modifiers = 0;

    bool operator==(const LayoutKey&) const = default;
};
inline constexpr std::uint8_t kShiftHeld = 1;
inline constexpr std::uint8_t kCtrlHeld = 2;
inline constexpr std::uint8_t kAltHeld = 4;

// A target's keyboard layout as it types now: the key that types a character by itself, or
// none where the layout has none or reaches it only through a dead key.
using KeyboardLayout = std::function<std::optional<LayoutKey>(char16_t)>;

// One keyboard event to send: a virtual key pressed or released, or a UTF-16 unit as a Unicode
// packet (a key event that carries the character itself).
struct KeyEvent {
    enum class Kind { Key, Packet };
    Kind kind = Kind::Key;
    std::uint16_t code = 0; // the virtual key, or the unit a packet types
    bool up = false;

    bool operator==(const KeyEvent&) const = default;
};

// The events that type one stroke: an Enter as the Return key and a Tab as the Tab key, pressed
// and released; a unit as a Unicode packet, pressed and released, unless `layout` is set (for a
// program that ignores packets) and puts it on a key with no modifier, Shift, AltGr or AltGr
// with Shift: then that key, with Shift, Ctrl and Alt as it needs them pressed in that order
// before it and released in the reverse order after it, so that no modifier stays down between
// strokes. A surrogate, which no key types alone, is always a packet.
std::vector<KeyEvent> KeyEventsFor(const KeyStroke& stroke, const KeyboardLayout& layout);

// Whether a top-level window of class `windowClass` takes typed text only as keys of its
// keyboard layout and ignores Unicode packets: a console window, and the windows of remote
// desktop and virtual machine clients, which pass on keys and not characters.
bool TakesOnlyKeys(std::wstring_view windowClass);

} // namespace quillery::resident
