// A snippet's text as the key strokes that type it in another program.

#include "resident/KeyStrokes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace quillery::resident {
namespace {

constexpr KeyStroke kEnter{KeyStroke::Kind::Enter, 0};
constexpr KeyStroke kTabStroke{KeyStroke::Kind::Tab, 0};
KeyStroke U(char16_t unit) {
    return {KeyStroke::Kind::Unit, unit};
}

// A text of UTF-16 code units as Windows holds it, whatever the width of wchar_t here.
std::wstring Units(std::initializer_list<char16_t> units) {
    return std::wstring(units.begin(), units.end());
}

TEST(KeyStrokesTest, TextBecomesUnitsEachLineBreakOneEnterEachTabATabNoOtherControl) {
    struct Case {
        const char* what;
        std::wstring text;
        std::vector<KeyStroke> strokes;
        std::size_t characters;
    } cases[] = {
        {"nothing", L"", {}, 0},
        {"fields and tabs", L"a\tB\t\t", {U(u'a'), kTabStroke, U(u'B'), kTabStroke, kTabStroke}, 5},
        {"CR LF", L"a\r\nb", {U(u'a'), kEnter, U(u'b')}, 3},
        {"CR alone", L"a\rb", {U(u'a'), kEnter, U(u'b')}, 3},
        {"LF alone", L"a\nb", {U(u'a'), kEnter, U(u'b')}, 3},
        {"LF CR is two breaks", L"\n\r", {kEnter, kEnter}, 2},
        {"CR LF twice", L"\r\n\r\n", {kEnter, kEnter}, 2},
        {"a trailing CR", L"x\r", {U(u'x'), kEnter}, 2},
        {"a pair of surrogates",
         Units({u'a', 0xD83D, 0xDE00, u'b'}),
         {U(u'a'), U(0xD83D), U(0xDE00), U(u'b')},
         3},
        {"the same character as one wide unit", L"\U0001F600", {U(0xD83D), U(0xDE00)}, 1},
        {"the last character there is", L"\U0010FFFF", {U(0xDBFF), U(0xDFFF)}, 1},
        {"a high surrogate alone", Units({0xD800, u'a'}), {U(0xFFFD), U(u'a')}, 2},
        {"a low surrogate first", Units({0xDC00, 0xD800}), {U(0xFFFD), U(0xFFFD)}, 2},
        {"a high surrogate at the end", Units({u'a', 0xDBFF}), {U(u'a'), U(0xFFFD)}, 2},
        {"the last of the plane", Units({0xFFFF, 0xE000}), {U(0xFFFF), U(0xE000)}, 2},
        // Control characters would be commands in the program: paste (U+0016), a deletion
        // (U+0008), Escape (U+001B), Ctrl+C (U+0003), DEL, C1; none is typed.
        {"control characters left out",
         Units({0x16, u'a', 0x08, 0x1B, 0x03, 0x00, 0x1F, 0x7F, 0x80, 0x9F, u'b', 0xA0}),
         {U(u'a'), U(u'b'), U(0xA0)},
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<KeyStroke> strokes = KeyStrokesFor(c.text);
        EXPECT_EQ(strokes, c.strokes);
        EXPECT_EQ(CharactersTyped(strokes, strokes.size()), c.characters);
    }
}

// SendInput may insert fewer events than it was given: what reached the program is counted in
// characters, a surrogate pair only when both halves went.
TEST(KeyStrokesTest, CharactersTypedByTheFirstStrokes) {
    const std::vector<KeyStroke> strokes = KeyStrokesFor(Units({u'a', 0xD83D, 0xDE00, u'\n'}));
    const std::size_t expected[] = {0, 1, 1, 2, 3, 3};
    for (std::size_t count = 0; count < std::size(expected); ++count) {
        EXPECT_EQ(CharactersTyped(strokes, count), expected[count]) << count << " strokes";
    }
}

KeyEvent Down(std::uint16_t key) {
    return {KeyEvent::Kind::Key, key, false};
}
KeyEvent Up(std::uint16_t key) {
    return {KeyEvent::Kind::Key, key, true};
}
std::vector<KeyEvent> Packet(char16_t unit) {
    return {{KeyEvent::Kind::Packet, unit, false}, {KeyEvent::Kind::Packet, unit, true}};
}

// A layout as VkKeyScanEx describes one: letters plain and with Shift, '@' with AltGr on Q (as
// on a German keyboard), a character with AltGr and Shift, others with Ctrl or Alt alone or a
// Kana bit, and none for '^' (a dead key's accent). It answers for surrogates too, which must
// not be asked.
std::optional<LayoutKey> FakeLayout(char16_t unit) {
    static const std::map<char16_t, LayoutKey> keys{
        {u'a', {'A', 0}},
        {u'A', {'A', kShiftHeld}},
        {u'@', {'Q', kCtrlHeld | kAltHeld}},
        {u'\u1E9E', {'S', kShiftHeld | kCtrlHeld | kAltHeld}},
        {u'\x03', {'C', kCtrlHeld}},
        {u'\u00A4', {'4', kAltHeld}},
        {u'\u30A2', {'3', 8}},
        {char16_t{0xD83D}, {'X', 0}},
        {char16_t{0xDE00}, {'Y', 0}},
    };
    const auto found = keys.find(unit);
    return found != keys.end() ? std::optional(found->second) : std::nullopt;
}

// A program that takes only keys gets each character its layout has as that key, Shift and
// AltGr (Ctrl and Alt) pressed around it and released after; anything else as a Unicode packet,
// which every other program gets for every unit. Enter and Tab are keys everywhere.
TEST(KeyStrokesTest, KeyEventsOfAStroke) {
    using namespace virtual_key;
    const KeyboardLayout layout = &FakeLayout;
    const KeyboardLayout packetsOnly;
    struct Case {
        const char* what;
        KeyStroke stroke;
        const KeyboardLayout& layout;
        std::vector<KeyEvent> events;
    } cases[] = {
        {"Enter", kEnter, layout, {Down(kReturn), Up(kReturn)}},
        {"Tab without a layout", kTabStroke, packetsOnly, {Down(kTab), Up(kTab)}},
        {"a letter", U(u'a'), layout, {Down('A'), Up('A')}},
        {"a capital", U(u'A'), layout, {Down(kLeftShift), Down('A'), Up('A'), Up(kLeftShift)}},
        {"AltGr",
         U(u'@'),
         layout,
         {Down(kLeftCtrl), Down(kLeftAlt), Down('Q'), Up('Q'), Up(kLeftAlt), Up(kLeftCtrl)}},
        {"AltGr with Shift",
         U(u'\u1E9E'),
         layout,
         {Down(kLeftShift), Down(kLeftCtrl), Down(kLeftAlt), Down('S'), Up('S'), Up(kLeftAlt),
          Up(kLeftCtrl), Up(kLeftShift)}},
        {"a character the layout lacks", U(u'^'), layout, Packet(u'^')},
        {"Ctrl alone is a shortcut", U(u'\x03'), layout, Packet(u'\x03')},
        {"Alt alone opens menus", U(u'\u00A4'), layout, Packet(u'\u00A4')},
        {"a Kana key", U(u'\u30A2'), layout, Packet(u'\u30A2')},
        {"a high surrogate", U(0xD83D), layout, Packet(0xD83D)},
        {"a low surrogate", U(0xDE00), layout, Packet(0xDE00)},
        {"a letter without a layout", U(u'a'), packetsOnly, Packet(u'a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KeyEventsFor(c.stroke, c.layout), c.events);
    }
}

} // namespace
} // namespace quillery::resident
