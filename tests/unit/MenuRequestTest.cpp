#include "shared/Messages.h"
#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

class MenuRequestTest : public MenuFixture {
protected:
    // Ends the request with the pointer far outside at the next tick.
    std::function<void()> LeaveAndTick() {
        return [this] {
            ui().pointer = {-100, -100};
            ui().Tick();
        };
    }
};

TEST_F(MenuRequestTest, PlacementAtThePointer) {
    struct Case {
        PixelPoint pointer;
        std::wstring executable;
        float left;
        float top;
    } cases[] = {
        {{40, 130}, L"Pennock", 600, 190},
        {{40, 100}, L"Pennock", 600, -260}, // above the screen's top: nothing moves it back
        {{1000, 10}, L"Pennock", 15000, -1610},
        {{40, 130}, L"myvbhost", 1024 * 15 / 2.0f, 768 * 15 / 2.0f}, // centre of the screen
        {{40, 130}, L"VB6", 1024 * 15 / 2.0f, 768 * 15 / 2.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PosixFileSystem::NativePath(c.executable));
        ReleaseCurrentThread();
        SaveItems({1});
        platform.system.executableName = c.executable;
        ui().pointer = c.pointer;
        ui().cursorMoves.clear();
        EXPECT_EQ(RequestWith({[&] {
                                   EXPECT_EQ(menu().Left, c.left);
                                   EXPECT_EQ(menu().Top, c.top);
                                   EXPECT_EQ(menu().CursorPos.x, c.pointer.x);
                               },
                               LeaveAndTick()}),
                  L"");
        EXPECT_EQ(module().RunningInDevHost, c.executable != L"Pennock");
    }
}

TEST_F(MenuRequestTest, PointerIsPutOntoTheBannerBeforeTheWatchStarts) {
    SaveItems({1});
    ui().pointer = {40, 130};
    RequestWith({[&] {
                     // Left 600, Top 190: (700 / 15, 330 / 15) = (46.67, 22) -> (47, 22)
                     ASSERT_EQ(ui().cursorMoves.size(), 1u);
                     EXPECT_EQ(ui().cursorMoves[0].x, 47);
                     EXPECT_EQ(ui().cursorMoves[0].y, 22);
                     FakeView* view = ui().View("select");
                     ASSERT_NE(view, nullptr);
                     EXPECT_TRUE(view->timerEnabled);
                     EXPECT_EQ(view->timerInterval, 3000u);
                     EXPECT_EQ(view->timerStarts, 1);
                 },
                 LeaveAndTick()});
}

TEST_F(MenuRequestTest, MoveCursorToMenuRoundsHalvesToEven) {
    struct Case {
        float left;
        float top;
        PixelPoint expected;
    } cases[] = {
        {150, 300, {17, 29}},   // 16.67 -> 17, 29.33 -> 29
        {125, 85, {15, 15}},    // 15 and 15 exactly
        {-47.5, 17.5, {4, 10}}, // 52.5 / 15 = 3.5 -> 4; 157.5 / 15 = 10.5 -> 10
    };
    for (const auto& c : cases) {
        menu().Left = c.left;
        menu().Top = c.top;
        MoveCursorToMenu();
        EXPECT_EQ(ui().pointer.x, c.expected.x) << c.left;
        EXPECT_EQ(ui().pointer.y, c.expected.y) << c.top;
    }
}

TEST_F(MenuRequestTest, EveryRequestReloadsTheWindowFromItsDesign) {
    SaveItems({1, 2});
    for (int request = 0; request < 2; ++request) {
        RequestWith({[&] {
                         EXPECT_EQ(menu().lblMenu[0].box.top, 345);
                         EXPECT_EQ(menu().lblMenu[1].box.top, 585);
                         EXPECT_EQ(menu().lblMenu.size(), 3u);
                     },
                     LeaveAndTick()});
        EXPECT_FALSE(menu().IsOpen());
        EXPECT_FALSE(IsMenuFileOpen());
    }
    EXPECT_EQ(ui().modalOrder, (std::vector<std::string>{"select", "select"}));
}

TEST_F(MenuRequestTest, FatalReportDuringLoadEndsTheRequestWithNothing) {
    // No data file: the report closes the window during its load step.
    module().SelectedText = L"an earlier request's text";
    EXPECT_EQ(Request(), L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorOpeningDataFile});
    EXPECT_FALSE(std::filesystem::exists(platform.MenuFile()));
    EXPECT_FALSE(menu().IsOpen());
    EXPECT_TRUE(ui().modalOrder.empty()); // the window never appeared
    EXPECT_TRUE(ui().cursorMoves.empty());
}

TEST_F(MenuRequestTest, FailedHeaderReadNeverWritesTheHeader) {
    SaveItems({1}, /*flag=*/0);
    const auto before = Bytes();
    platform.files.failReadOfRecord = {1};
    EXPECT_EQ(Request(), L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorRetrievingItem});
    EXPECT_TRUE(platform.files.writtenRecords.empty());
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(ui().modalOrder.empty());
}

TEST_F(MenuRequestTest, WindowThatCannotBeCreatedFailsTheCall) {
    SaveItems({1});
    ui().failToCreate = true;
    EXPECT_THROW(Request(), std::exception);
    EXPECT_FALSE(menu().IsOpen());
}

TEST_F(MenuRequestTest, WindowClosedByTheSystemReturnsNothing) {
    SaveItems({1});
    module().SelectedText = L"stale";
    EXPECT_EQ(Request(), L""); // the script is empty: the system closes the window
    EXPECT_EQ(ui().unfinished, std::vector<std::string>{"select"});
    EXPECT_FALSE(IsMenuFileOpen());
}

TEST_F(MenuRequestTest, WarningBoxWhilePointerIsOutsideLetsTheTimerClose) {
    SaveItems({1, 2});
    // While a warning box is up, its nested loop delivers the timer's tick.
    platform.dialogs.whileShown = [&] { ui().Tick(); };
    EXPECT_EQ(RequestWith({[&] {
                  ui().pointer = {-100, -100};
                  ReportError(L"External application launch failed", false);
                  EXPECT_FALSE(menu().IsOpen());
                  // Handlers on the stack find the window gone and touch nothing.
                  menu().ResetAllMenuItems(1);
                  menu().lblMenu_MouseUp(1, buttons::kLeft);
                  menu().Timer1_Timer();
              }}),
              L"");
    EXPECT_FALSE(IsMenuFileOpen());
}

} // namespace
} // namespace quillery
