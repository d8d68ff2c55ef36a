#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

class HoverTest : public MenuFixture {
protected:
    void Leave() {
        ui().Then([&] {
            ui().pointer = {-100, -100};
            ui().Tick();
        });
    }
};

TEST_F(HoverTest, PointerMovesTheHighlight) {
    SaveItems({1, 4, 5, 9});
    struct Step {
        const char* what;
        float x;
        int line; // 0: a link or the banner, by y below
        float y;
        std::string highlighted; // lines 1 to 4, then the links as entries 5 and 6
        int item;                // the highlighted line's
    } steps[] = {
        {"line 3", 300, 3, 0, "L3 ", 5},
        {"line 4", 300, 4, 0, "L4 ", 9},
        {"pad of line 2", 100, 2, 0, "L2 ", 4},
        {"banner", 60, 0, 100, "L2 ", 4}, // the banner keeps the last highlight
        {"logo", 1000, 0, 200, "L2 ", 4},
        {"help entry", 300, 0, 240 * 4 + 785 + 120 - 90, "X0 ", 0},
        {"links entry", 300, 0, 240 * 4 + 1025 + 120 - 90, "X1 ", 0},
        {"line 1", 300, 1, 0, "L1 ", 1},
        {"gap between banner and lines", 300, 0, 480, "L1 ", 1},
    };
    ui().Then([&] {
        EXPECT_EQ(menu().EntryCount(), 6);
        EXPECT_EQ(menu().HighlightedEntry(), 0);
        const FakeView& view = *ui().View("menu");
        for (const auto& step : steps) {
            const float y = step.line > 0 ? LineY(step.line) : step.y;
            const std::string before = Highlighted();
            const int refreshes = view.refreshes;
            menu().OnPointerMoved(step.x, y);
            EXPECT_EQ(Highlighted(), step.highlighted) << step.what;
            if (Highlighted() != before) {
                EXPECT_GT(view.refreshes, refreshes) << step.what << ": the change is not drawn";
            }
            EXPECT_EQ(HighlightedItem(), step.item) << step.what;
        }
        menu().HighlightLine(0);
        EXPECT_EQ(Highlighted(), "");
    });
    Leave();
    Request();
    EXPECT_TRUE(ui().unfinished.empty());
}

// Each request has windows of its own: nothing highlighted carries over.
TEST_F(HoverTest, NewWindowStartsWithNothingHighlighted) {
    SaveItems({1, 2});
    ui().Then([&] {
        menu().HighlightLine(2);
        EXPECT_EQ(HighlightedItem(), 2);
    });
    Leave();
    Request();
    ui().Then([&] { EXPECT_EQ(Highlighted(), ""); });
    Leave();
    Request();
}

} // namespace
} // namespace quillery
