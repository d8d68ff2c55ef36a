#include "resident/KeyStrokes.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace quillery::resident {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHigh(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// A control character other than those a text types as keys (tab and the line breaks).
bool IsCommand(char32_t unit) {
    return (unit < 0x20 && unit != U'\t' && unit != U'\r' && unit != U'\n') ||
           (unit >= 0x7F && unit <= 0x9F);
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
        if (IsCommand(unit)) {
            continue;
        }
        if (unit == U'\t') {
            strokes.push_back({KeyStroke::Kind::Tab, 0});
        } else if (unit == U'\r' || unit == U'\n') {
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

std::vector<KeyEvent> KeyEventsFor(const KeyStroke& stroke, const KeyboardLayout& layout) {
    const auto pressed = [](KeyEvent::Kind kind, std::uint16_t code) {
        return std::vector<KeyEvent>{{kind, code, false}, {kind, code, true}};
    };
    if (stroke.kind == KeyStroke::Kind::Enter) {
        return pressed(KeyEvent::Kind::Key, virtual_key::kReturn);
    }
    if (stroke.kind == KeyStroke::Kind::Tab) {
        return pressed(KeyEvent::Kind::Key, virtual_key::kTab);
    }
    const std::optional<LayoutKey> key =
        layout && !IsHigh(stroke.unit) && !IsLow(stroke.unit) ? layout(stroke.unit) : std::nullopt;
    // Shift alone, or AltGr (Ctrl and Alt) with or without it; Ctrl or Alt alone makes a
    // shortcut, and the layout's other bits (Kana, Hankaku) are no key to press.
    const int others = key ? key->modifiers & ~kShiftHeld : 0;
    if (!key || (others != 0 && others != (kCtrlHeld | kAltHeld))) {
        return pressed(KeyEvent::Kind::Packet, stroke.unit);
    }
    constexpr std::array<std::pair<std::uint8_t, std::uint16_t>, 3> modifiers{{
        {kShiftHeld, virtual_key::kLeftShift},
        {kCtrlHeld, virtual_key::kLeftCtrl},
        {kAltHeld, virtual_key::kLeftAlt},
    }};
    std::vector<KeyEvent> events;
    for (const auto& [held, modifier] : modifiers) {
        if ((key->modifiers & held) != 0) {
            events.push_back({KeyEvent::Kind::Key, modifier, false});
        }
    }
    events.push_back({KeyEvent::Kind::Key, key->virtualKey, false});
    events.push_back({KeyEvent::Kind::Key, key->virtualKey, true});
    for (auto at = modifiers.rbegin(); at != modifiers.rend(); ++at) {
        if ((key->modifiers & at->first) != 0) {
            events.push_back({KeyEvent::Kind::Key, at->second, true});
        }
    }
    return events;
}

bool TakesOnlyKeys(std::wstring_view windowClass) {
    // Windows' console and Wine's, a remote desktop client, two virtual machine clients.
    constexpr std::wstring_view kClasses[] = {L"ConsoleWindowClass", L"WineConsoleClass",
                                              L"TscShellContainerClass", L"VMUIFrame",
                                              L"VMPlayerFrame"};
    return std::find(std::begin(kClasses), std::end(kClasses), windowClass) != std::end(kClasses);
}

} // namespace quillery::resident
