#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quillery::resident {

// One key pressed and released that types part of a text in another program.
struct KeyStroke {
    enum class Kind { Unit, Enter };
    Kind kind = Kind::Unit;
    char16_t unit = 0; // the UTF-16 code unit that a Unit stroke types

    bool operator==(const KeyStroke&) const = default;
};

// The strokes that type `text`: each UTF-16 code unit as a stroke of its own (a character outside
// the Basic Multilingual Plane as its two surrogates, high first), and each line break (CR LF,
// a CR alone or an LF alone) as one Enter, which programs take as a new line where a typed LF
// or CR would not be. A surrogate without its other half, which is no character, types U+FFFD.
// Where wchar_t is 32 bits wide, an element above U+FFFF is split into its surrogates.
std::vector<KeyStroke> KeyStrokesFor(std::wstring_view text);

// How many characters of the text the first `strokes` strokes of KeyStrokesFor() typed whole:
// a pair of surrogates is one character, an Enter one line break.
std::size_t CharactersTyped(const std::vector<KeyStroke>& all, std::size_t strokes);

} // namespace quillery::resident
