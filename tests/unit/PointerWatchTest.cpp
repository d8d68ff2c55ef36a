#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

class PointerWatchTest : public MenuFixture {};

TEST_F(PointerWatchTest, TheRectanglesRightAndBottomEdgesCountAsInside) {
    struct Case {
        const char* where;
        int dx; // from the window's right edge
        int dy; // from the window's bottom edge
        bool closes;
    } cases[] = {
        {"on the right edge", 0, -10, false},  {"one pixel right of it", 1, -10, true},
        {"on the bottom edge", -10, 0, false}, {"one pixel below it", -10, 1, true},
        {"on the corner", 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        SaveItems({1, 2});
        ui().Then([&] {
            const PixelRect rect = ui().View("menu")->WindowRect();
            ui().pointer = {rect.right + c.dx, rect.bottom + c.dy};
            ui().Tick();
            EXPECT_EQ(menu().IsOpen(), !c.closes);
            if (menu().IsOpen()) {
                ui().pointer = {rect.left - 1, rect.top};
                ui().Tick();
                EXPECT_FALSE(menu().IsOpen()); // and one pixel left of the left edge closes
            }
        });
        EXPECT_EQ(Request(), L"");
        EXPECT_TRUE(ui().unfinished.empty());
    }
}

// A rectangle that does not match the window on the screen (a window manager moved the window
// and the window system reports the old place): the pointer is outside only when it is outside
// the reported rectangle and not on the window that the window system finds under it either.
TEST_F(PointerWatchTest, ARectangleThatDoesNotMatchTheWindowDoesNotCloseItUnderThePointer) {
    struct Case {
        const char* where;
        PixelPoint pointer; // the window is shown at (400, 183) to (567, 284)
        bool closes;
    } cases[] = {
        {"resting on the window, outside the reported rectangle", {410, 190}, false},
        {"inside the reported rectangle, off the window", {10, 10}, false},
        {"outside both", {300, 600}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        SaveItems({1});
        ui().Then([&] {
            ui().View("menu")->reportedRect = PixelRect{0, 0, 167, 101};
            ui().pointer = c.pointer;
            ui().Tick();
            EXPECT_EQ(menu().IsOpen(), !c.closes);
            if (menu().IsOpen()) {
                ui().pointer = {300, 600};
                ui().Tick();
            }
        });
        EXPECT_EQ(Request(), L"");
        EXPECT_TRUE(ui().unfinished.empty());
    }
}

TEST_F(PointerWatchTest, OnlyWhereThePointerIsAtTheTickCounts) {
    SaveItems({1, 2});
    EXPECT_EQ(RequestWith({[&] {
                               ui().pointer = {-300, 5}; // leaves between two ticks ...
                           },
                           [&] {
                               PointAtWindowTwips(300, LineY(1)); // ... and comes back
                               ui().Tick();
                               EXPECT_TRUE(menu().IsOpen());
                               menu().HighlightLine(1); // a highlighted line ...
                           },
                           [&] {
                               ui().pointer = {2000, 2000}; // ... does not keep it open
                               ui().Tick();
                               EXPECT_FALSE(menu().IsOpen());
                               EXPECT_EQ(HighlightedItem(), 1);
                           }}),
              L"");
}

TEST_F(PointerWatchTest, NoTickBeforeTheLoadStepHasEnded) {
    SaveItems({1}, /*flag=*/0);
    ui().pointer = {-500, -500};
    // While the welcome window is up, the menu's timer is not running yet.
    ui().Then([&] {
        ASSERT_NE(ui().View("menu"), nullptr);
        EXPECT_FALSE(ui().View("menu")->timerEnabled);
        ui().Tick();
        EXPECT_TRUE(menu().IsOpen());
        welcome().OnContinue();
    });
    ui().Then([&] { ui().Tick(); }); // the pointer was put onto the banner: still open
    ui().Then([&] {
        EXPECT_TRUE(menu().IsOpen());
        ui().pointer = {-500, -500};
        ui().Tick();
    });
    EXPECT_EQ(Request(), L"");
    EXPECT_TRUE(ui().unfinished.empty());
}

} // namespace
} // namespace quillery
