// A snippet's text as the key strokes that type it in another program.

#include "resident/KeyStrokes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillery::resident {
namespace {

constexpr KeyStroke kEnter{KeyStroke::Kind::Enter, 0};
KeyStroke U(char16_t unit) {
    return {KeyStroke::Kind::Unit, unit};
}

// A text of UTF-16 code units as Windows holds it, whatever the width of wchar_t here.
std::wstring Units(std::initializer_list<char16_t> units) {
    return std::wstring(units.begin(), units.end());
}

TEST(KeyStrokesTest, TextBecomesUnitsAndEachLineBreakOneEnter) {
    struct Case {
        const char* what;
        std::wstring text;
        std::vector<KeyStroke> strokes;
        std::size_t characters;
    } cases[] = {
        {"nothing", L"", {}, 0},
        {"letters and a tab", L"a\tB", {U(u'a'), U(u'\t'), U(u'B')}, 3},
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

} // namespace
} // namespace quillery::resident
