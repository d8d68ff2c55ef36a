#include "FailingAllocation.h"
#include "support/MenuFixture.h"

#include "messages/Messages.h"

namespace quillery {
namespace {

using testing::MenuFixture;

// Failures that only an exhausted system causes: drawing resources or memory running out while
// the menu is built or loaded. Each is told once, with its own message, and the user is left
// with what still works.
class WindowFailureTest : public MenuFixture {};

// A redraw that fails leaves the menu open, with its lines, after a warning.
TEST_F(WindowFailureTest, MenuThatCannotBeDrawnWarnsAndStaysOpen) {
    SaveItems({1, 4});
    RequestWith({[&] {
                     ui().View("menu")->failNextRefresh = true;
                     menu().DisplayMenu();
                     EXPECT_TRUE(menu().IsOpen());
                     EXPECT_EQ(menu().LineCount(), 2u);
                 },
                 Leave()});
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorDisplayingMenu});
    EXPECT_EQ(platform.dialogs.shown[0].style, 48u); // a warning
}

// A line that cannot be made is left out; the other lines are there and still work.
TEST_F(WindowFailureTest, LineThatCannotBeMadeIsLeftOutAfterAWarning) {
    SaveItems({1, 4, 5});
    EXPECT_EQ(RequestWith({[&] {
                               testing::FailNextAllocation();
                               menu().DisplayMenu(); // item 1's line is the first made
                               EXPECT_EQ(menu().LineCount(), 2u);
                               EXPECT_EQ(menu().ItemOfLine(1), 4);
                           },
                           [&] { menu().OnLineReleased(1, MouseButton::Left); }}),
              L"text of 4");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorSettingItem});
    EXPECT_EQ(platform.dialogs.shown[0].style, 48u);
}

// A failure while the menu loads ends the request with nothing, after the message, and the
// data file is left as it was.
TEST_F(WindowFailureTest, LoadThatFailsEndsTheRequestWithNothing) {
    SaveItems({1});
    const auto before = Bytes();
    // The load step's last act lets pending messages run; one of them fails.
    ui().Pending([] { throw std::bad_alloc(); });
    EXPECT_EQ(Request(MenuExpected::NotShown), L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorLoading});
    ExpectEverythingClosed();
    EXPECT_EQ(Bytes(), before);
}

} // namespace
} // namespace quillery
