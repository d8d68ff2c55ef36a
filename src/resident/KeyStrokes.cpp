#include "resident/KeyStrokes.h"

#include <algorithm>

namespace quillery::resident {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHigh(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

KeyStroke Unit(char16_t unit) {
    return {KeyStroke::Kind::Unit, unit};
}

} // namespace

std::vector<KeyStroke> KeyStrokesFor(std::wstring_view text) {
    std::vector<KeyStroke> strokes;
    strokes.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto unit = static_cast<char32_t>(text[at]);
        if (unit == U'\r' || unit == U'\n') {
            strokes.push_back({KeyStroke::Kind::Enter, 0});
            if (unit == U'\r' && at + 1 < text.size() && text[at + 1] == L'\n') {
                ++at;
            }
        } else if (unit > 0xFFFF && unit <= 0x10FFFF) {
            const char32_t offset = unit - 0x10000;
            strokes.push_back(Unit(static_cast<char16_t>(0xD800 + (offset >> 10))));
            strokes.push_back(Unit(static_cast<char16_t>(0xDC00 + (offset & 0x3FF))));
        } else if (unit > 0x10FFFF) {
            strokes.push_back(Unit(kReplacement));
        } else if (IsHigh(unit) && at + 1 < text.size() &&
                   IsLow(static_cast<char32_t>(text[at + 1]))) {
            strokes.push_back(Unit(static_cast<char16_t>(unit)));
            strokes.push_back(Unit(static_cast<char16_t>(text[++at])));
        } else if (IsHigh(unit) || IsLow(unit)) {
            strokes.push_back(Unit(kReplacement));
        } else {
            strokes.push_back(Unit(static_cast<char16_t>(unit)));
        }
    }
    return strokes;
}

std::size_t CharactersTyped(const std::vector<KeyStroke>& all, std::size_t strokes) {
    const auto end = all.begin() + static_cast<std::ptrdiff_t>(std::min(strokes, all.size()));
    // A high surrogate begins a character that its low half, the next stroke, ends.
    return static_cast<std::size_t>(std::count_if(all.begin(), end, [](const KeyStroke& stroke) {
        return !(stroke.kind == KeyStroke::Kind::Unit && IsHigh(stroke.unit));
    }));
}

} // namespace quillery::resident
