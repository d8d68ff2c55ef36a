#include "editing/ItemCommands.h"
#include "menu/SnippetMenuPixels.h"
#include "messages/Messages.h"
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
            EXPECT_FALSE(menu().IsOpen());
            EXPECT_FALSE((platform.files.openFiles != 0)); // the menu's unload has closed it
        };
    }
};

// At 15 twips per pixel one line makes the window 167 x 101 pixels, two lines 167 x 117. At the
// pointer: its left edge there and its middle 1000 twips above it. Below a line of text (a
// caret, 16 pixels high): at the line's left end, or above the line where the work area has no
// room below. Where the window would reach out of the work area of that place's monitor, it is
// moved onto that edge and no further; the pointer then goes onto the banner of the window
// where it now is.
TEST_F(MenuRequestTest, PlacementInsideTheWorkArea) {
    const std::vector<PixelRect> twoMonitors{{0, 0, 1024, 738}, {-1280, -300, 0, 724}};
    const std::vector<PixelRect> bottomBar{{0, 0, 1024, 728}};
    // Carets, 16 pixels high: a line of text.
    const PixelPoint centre{512, 384};
    const PixelRect high{100, 200, 101, 216};
    const PixelRect low{100, 700, 101, 716};
    const PixelRect overBar{100, 640, 101, 656};
    const PixelRect right{1000, 200, 1001, 216};
    const PixelRect lowOnSecond{-300, 700, -299, 716};
    const PixelRect tall{10, 60, 11, 140};
    struct Case {
        const char* where;
        PixelPoint pointer;
        std::vector<PixelRect> workAreas; // none: the whole screen, 1024 x 768
        int lines;
        std::wstring executable;
        float left;
        float top;
        std::optional<PixelRect> line = {}; // none: at the pointer
    } cases[] = {
        // Pixels times 15: 857 is 12855, 611 is 9165, -167 is -2505, -300 is -4500, 363 is 5445,
        // 216 is 3240, 599 is 8985, 539 is 8085.
        {"fits", {40, 130}, {}, 1, L"Pennock", 600, 190},
        {"near the top", {40, 100}, {}, 1, L"Pennock", 600, 0},
        {"near the top-right corner", {1000, 10}, {}, 1, L"Pennock", 12855, 0},
        {"below a bar at the top", {40, 100}, {{0, 30, 1024, 768}}, 1, L"Pennock", 600, 450},
        {"right of a bar at the left", {20, 300}, {{60, 0, 1024, 768}}, 1, L"Pennock", 900, 2740},
        {"above a bar at the bottom", {40, 760}, bottomBar, 2, L"Pennock", 600, 9165},
        // 60 is 900, 627 is 9405: moved right and up at once.
        {"bars at the left and bottom", {20, 760}, {{60, 0, 1024, 728}}, 1, L"Pennock", 900, 9405},
        {"top-right of a second monitor", {-100, -250}, twoMonitors, 1, L"Pennock", -2505, -4500},
        {"larger than its area", {250, 120}, {{200, 100, 300, 150}}, 1, L"Pennock", 3000, 1500},
        {"centred on the screen", {40, 130}, {}, 1, L"VB6", 7680, 5760},
        {"centred, too tall to fit there", {40, 130}, {}, 20, L"myvbhost", 7680, 5445},
        {"below a line", centre, {}, 1, L"Pennock", 1500, 3240, high},
        {"below a line, never centred", centre, {}, 1, L"VB6", 1500, 3240, high},
        {"above a line near the bottom", centre, {}, 1, L"Pennock", 1500, 8985, low},
        {"above a line over a bar", centre, bottomBar, 1, L"Pennock", 1500, 8085, overBar},
        {"a line at the right edge", centre, {}, 1, L"Pennock", 12855, 3240, right},
        {"a line on a second monitor", centre, twoMonitors, 1, L"Pennock", -4500, 8985,
         lowOnSecond},
        {"no room by a line", centre, {{0, 0, 1024, 200}}, 1, L"Pennock", 150, 1485, tall},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        std::vector<int> items;
        for (int item = 1; item <= c.lines; ++item) {
            items.push_back(item);
        }
        SaveItems(items);
        platform.system.executableName = c.executable;
        ui().workAreas = c.workAreas;
        ui().pointer = c.pointer;
        EXPECT_EQ(
            Scripted(
                {[&] {
                     const SnippetMenu& form = menu();
                     EXPECT_EQ(form.Layout().left, c.left);
                     EXPECT_EQ(form.Layout().top, c.top);
                     const PixelRect window = ui().View("menu")->WindowRect();
                     const PixelRect banner =
                         ClientPixels(form, form.Layout().banner, ui().Scale());
                     const PixelPoint at{ui().pointer.x - window.left, ui().pointer.y - window.top};
                     EXPECT_TRUE(at.x >= banner.left && at.x < banner.right && at.y >= banner.top &&
                                 at.y < banner.bottom)
                         << "the pointer is not on the banner";
                 },
                 LeaveAndTick()},
                MenuExpected::Shown,
                [&] { return RunMenuRequest(platform.port, ui(), MenuOpening{c.line}); }),
            L"");
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
                     FakeView* view = ui().View("menu");
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
    MenuSession session(platform.port);
    SnippetMenu menu(session, ui());
    for (const auto& c : cases) {
        menu.OnMovedByWindowSystem(c.left, c.top);
        menu.MoveCursorToMenu();
        EXPECT_EQ(ui().pointer.x, c.expected.x) << c.left;
        EXPECT_EQ(ui().pointer.y, c.expected.y) << c.top;
    }
}

TEST_F(MenuRequestTest, EveryRequestReloadsTheWindowFromItsDesign) {
    SaveItems({1, 2});
    for (int request = 0; request < 2; ++request) {
        RequestWith({[&] {
                         EXPECT_EQ(menu().Layout().lines[0].box.top, 345);
                         EXPECT_EQ(menu().Layout().lines[1].box.top, 585);
                         EXPECT_EQ(menu().Layout().lines.size(), 3u);
                     },
                     LeaveAndTick()});
        ExpectEverythingClosed();
    }
    EXPECT_EQ(ui().modalOrder, (std::vector<std::string>{"menu", "menu"}));
}

TEST_F(MenuRequestTest, FatalReportDuringLoadEndsTheRequestWithNothing) {
    // An earlier request on this thread chose a snippet ...
    SaveItems({1});
    EXPECT_EQ(RequestWith({[&] { menu().OnLineReleased(1, MouseButton::Left); }}), L"text of 1");
    ui().modalOrder.clear();
    ui().cursorMoves.clear();
    // ... then, with no data file, the report closes the window during its load step.
    std::filesystem::remove(platform.MenuFile());
    EXPECT_EQ(Request(MenuExpected::NotShown), L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorOpeningDataFile});
    EXPECT_FALSE(std::filesystem::exists(platform.MenuFile()));
    ExpectEverythingClosed();
    EXPECT_TRUE(ui().modalOrder.empty()); // the window never appeared
    EXPECT_TRUE(ui().cursorMoves.empty());
}

TEST_F(MenuRequestTest, FailedHeaderReadNeverWritesTheHeader) {
    SaveItems({1}, /*flag=*/0);
    const auto before = Bytes();
    platform.files.failReadOfRecord = {1};
    EXPECT_EQ(Request(MenuExpected::NotShown), L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorRetrievingItem});
    EXPECT_TRUE(platform.files.writtenRecords.empty());
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(ui().modalOrder.empty());
}

TEST_F(MenuRequestTest, WindowThatCannotBeCreatedFailsTheCall) {
    SaveItems({1});
    ui().failToCreate = true;
    EXPECT_THROW(Request(), std::exception);
    ExpectEverythingClosed();
    // The failed request is over: the next one on this thread runs.
    ui().failToCreate = false;
    EXPECT_EQ(RequestWith({LeaveAndTick()}), L"");
}

// A request closes the other requests' menus before it makes its own. A page's script that
// calls again from inside the menu's modal loop is refused, closing nothing; the running
// request goes on as if nothing had happened.
TEST_F(MenuRequestTest, NestedRequestOnTheSameThreadIsRefused) {
    SaveItems({1});
    EXPECT_EQ(
        RequestWith(
            {[&] {
                 EXPECT_THROW(Request(), std::exception);
                 EXPECT_EQ(ui().made, (std::vector<std::string>{"other menus closed", "menu"}));
                 EXPECT_TRUE(menu().IsOpen());
                 EXPECT_EQ(ui().modalOrder, std::vector<std::string>{"menu"});
                 EXPECT_EQ(platform.files.openFiles, 1);
             },
             [&] { menu().OnLineReleased(1, MouseButton::Left); }}),
        L"text of 1");
    ExpectEverythingClosed();
}

// Another request asks the menu to close: whichever of the request's windows is up, all of
// them go, the request returns nothing, nothing is written (not even the welcome window's
// answer) and the pointer stays where it is.
TEST_F(MenuRequestTest, AskedToCloseEndsTheWholeRequestWithNothing) {
    enum class Up { Menu, Welcome, Editor };
    for (const Up up : {Up::Menu, Up::Welcome, Up::Editor}) {
        SCOPED_TRACE(static_cast<int>(up));
        SaveItems({1, 2}, /*flag=*/up == Up::Welcome ? 0 : 1);
        const auto before = Bytes();
        std::size_t movesBefore = 0;
        const auto askToClose = [&] {
            movesBefore = ui().cursorMoves.size();
            menu().OnAskedToClose();
        };
        if (up == Up::Editor) {
            ui().menuChoices.push_back([] { return ItemCommands::Edit; });
            ui().Then([&] {
                ui().Next(askToClose);
                menu().OnLineReleased(1, MouseButton::Right);
            });
        } else {
            ui().Then(askToClose);
        }
        EXPECT_EQ(Request(up == Up::Welcome ? MenuExpected::NotShown : MenuExpected::Shown), L"");
        ExpectEverythingClosed();
        EXPECT_EQ(Bytes(), before);
        EXPECT_EQ(ui().cursorMoves.size(), movesBefore);
    }
}

TEST_F(MenuRequestTest, WindowClosedByTheSystemReturnsNothing) {
    SaveItems({1});
    EXPECT_EQ(RequestWith({[&] { menu().OnLineReleased(1, MouseButton::Left); }}), L"text of 1");
    EXPECT_EQ(Request(), L""); // the script is empty: the system closes the window
    EXPECT_EQ(ui().unfinished, std::vector<std::string>{"menu"});
    ExpectEverythingClosed();
}

TEST_F(MenuRequestTest, WarningBoxWhilePointerIsOutsideLetsTheTimerClose) {
    SaveItems({1, 2});
    // While a warning box is up, its nested loop delivers the timer's tick.
    platform.dialogs.whileShown = [&] { ui().Tick(); };
    EXPECT_EQ(RequestWith({[&] {
                  ui().pointer = {-100, -100};
                  platform.shell.result = 0; // the launch fails: a warning box
                  menu().OnBannerClicked();
                  EXPECT_FALSE(menu().IsOpen());
                  EXPECT_FALSE((platform.files.openFiles != 0));
                  // Handlers on the stack find the window gone and touch nothing.
                  menu().HighlightLine(1);
                  menu().OnLineReleased(1, MouseButton::Left);
                  menu().OnPointerWatchTick();
              }}),
              L"");
    ExpectEverythingClosed();
}

} // namespace
} // namespace quillery
