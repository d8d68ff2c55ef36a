// Which caret the menu opens below for the focused program, else the pointer. Where the menu
// then lies: MenuRequestTest.PlacementBelowATextLineInsideTheWorkArea.

#include "resident/MenuAnchor.h"

#include <gtest/gtest.h>

namespace quillery::resident {
namespace {

using Source = MenuAnchor::Source;

TEST(MenuAnchorTest, SystemCaretThenAccessibleCaretThenPointer) {
    const PixelRect caret{100, 200, 101, 216};
    const PixelRect drawnCaret{300, 50, 302, 70};
    const PixelRect noHeight{100, 200, 101, 200};
    const PixelRect upsideDown{100, 216, 101, 200};
    struct Case {
        const char* what;
        CaretPlaces caret;
        Source source;
        std::optional<PixelRect> line;
    } cases[] = {
        {"system caret", {caret, drawnCaret}, Source::SystemCaret, caret},
        {"system caret alone", {caret, {}}, Source::SystemCaret, caret},
        {"caret that has no width",
         {PixelRect{7, 8, 7, 20}, {}},
         Source::SystemCaret,
         PixelRect{7, 8, 7, 20}},
        {"accessible caret alone", {{}, drawnCaret}, Source::AccessibleCaret, drawnCaret},
        {"system caret without height",
         {noHeight, drawnCaret},
         Source::AccessibleCaret,
         drawnCaret},
        {"system caret upside down", {upsideDown, {}}, Source::Pointer, {}},
        {"no caret", {}, Source::Pointer, {}},
        {"neither shown", {noHeight, noHeight}, Source::Pointer, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MenuAnchor anchor = AnchorFor(c.caret);
        EXPECT_EQ(anchor.source, c.source);
        ASSERT_EQ(anchor.caretLine.has_value(), c.line.has_value());
        if (c.line) {
            EXPECT_EQ(anchor.caretLine->left, c.line->left);
            EXPECT_EQ(anchor.caretLine->top, c.line->top);
            EXPECT_EQ(anchor.caretLine->bottom, c.line->bottom);
        }
    }
}

} // namespace
} // namespace quillery::resident
