// Where the menu opens for the focused program: below its caret's line, else at the pointer.
// The menu then keeps itself inside the work area of that place's monitor, as it does at the
// pointer (MenuRequestTest.PlacementAtThePointerInsideTheWorkArea).

#include "resident/MenuAnchor.h"

#include <gtest/gtest.h>

namespace quillery::resident {
namespace {

using Source = MenuAnchor::Source;

TEST(MenuAnchorTest, SystemCaretThenAccessibleCaretThenPointer) {
    const PixelPoint pointer{500, 400};
    const PixelRect caret{100, 200, 101, 216};
    const PixelRect drawnCaret{300, 50, 302, 70};
    const PixelRect noHeight{100, 200, 101, 200};
    const PixelRect upsideDown{100, 216, 101, 200};
    const PixelRect onSecondMonitor{-900, -120, -899, -104};
    struct Case {
        const char* what;
        CaretPlaces caret;
        MenuAnchor expected;
    } cases[] = {
        {"system caret", {caret, drawnCaret}, {{100, 216}, Source::SystemCaret}},
        {"system caret alone", {caret, {}}, {{100, 216}, Source::SystemCaret}},
        {"caret that has no width", {PixelRect{7, 8, 7, 20}, {}}, {{7, 20}, Source::SystemCaret}},
        {"accessible caret alone", {{}, drawnCaret}, {{300, 70}, Source::AccessibleCaret}},
        {"system caret without height",
         {noHeight, drawnCaret},
         {{300, 70}, Source::AccessibleCaret}},
        {"system caret upside down", {upsideDown, {}}, {pointer, Source::Pointer}},
        {"no caret", {}, {pointer, Source::Pointer}},
        {"neither shown", {noHeight, noHeight}, {pointer, Source::Pointer}},
        {"caret left of and above the main monitor",
         {onSecondMonitor, {}},
         {{-900, -104}, Source::SystemCaret}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MenuAnchor anchor = AnchorFor(c.caret, pointer);
        EXPECT_EQ(anchor.point.x, c.expected.point.x);
        EXPECT_EQ(anchor.point.y, c.expected.point.y);
        EXPECT_EQ(anchor.source, c.expected.source);
    }
}

} // namespace
} // namespace quillery::resident
