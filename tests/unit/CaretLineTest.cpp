// Which caret the menu opens below for the focused program; none: at the pointer. Where the
// menu then lies: MenuRequestTest.PlacementInsideTheWorkArea.

#include "resident/CaretLine.h"

#include <gtest/gtest.h>

namespace quillery::resident {
namespace {

TEST(CaretLineTest, SystemCaretThenAccessibleCaretThenNone) {
    const PixelRect caret{100, 200, 101, 216};
    const PixelRect drawnCaret{300, 50, 302, 70};
    const PixelRect noWidth{7, 8, 7, 20};
    const PixelRect noHeight{100, 200, 101, 200};
    const PixelRect upsideDown{100, 216, 101, 200};
    struct Case {
        const char* what;
        CaretPlaces caret;
        std::optional<PixelRect> line;
    } cases[] = {
        {"system caret", {caret, drawnCaret}, caret},
        {"system caret alone", {caret, {}}, caret},
        {"caret that has no width", {noWidth, {}}, noWidth},
        {"accessible caret alone", {{}, drawnCaret}, drawnCaret},
        {"system caret without height", {noHeight, drawnCaret}, drawnCaret},
        {"system caret upside down", {upsideDown, {}}, {}},
        {"no caret", {}, {}},
        {"neither shown", {noHeight, noHeight}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<PixelRect> line = CaretLine(c.caret);
        ASSERT_EQ(line.has_value(), c.line.has_value());
        if (c.line) {
            EXPECT_EQ(line->left, c.line->left);
            EXPECT_EQ(line->top, c.line->top);
            EXPECT_EQ(line->bottom, c.line->bottom);
        }
    }
}

} // namespace
} // namespace quillery::resident
