#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::DataFile;
using testing::MenuFixture;

class SelectionTest : public MenuFixture {};

TEST_F(SelectionTest, LeftClickReturnsTheTrimmedTextOfTheLinesItem) {
    struct Case {
        std::int16_t line;
        bool onPad;
        std::wstring expected;
    } cases[] = {
        {1, false, L"text of 1"},
        {2, false, L"text of 4"}, // items 2 and 3 are empty: line 2 shows item 4
        {3, false, L"text of 5"},
        {2, true, L"text of 4"}, // the pad does what its line does
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        SaveItems({1, 4, 5});
        EXPECT_EQ(RequestWith({[&] {
                      if (c.onPad) {
                          menu().OnButtonReleased(100, LineY(c.line), MouseButton::Left);
                      } else {
                          menu().OnLineReleased(c.line, MouseButton::Left);
                      }
                      EXPECT_FALSE(menu().IsOpen());
                      EXPECT_FALSE((platform.files.openFiles != 0));
                  }}),
                  c.expected);
        ExpectEverythingClosed();
    }
}

// Choosing an entry (as a key or a screen reader does) is a left click on it: a line returns
// its snippet, a link opens its site and leaves the window open, and no entry does nothing.
TEST_F(SelectionTest, ChoosingAnEntryIsALeftClickOnIt) {
    SaveItems({1, 4, 5});
    EXPECT_EQ(RequestWith({[&] {
                  menu().ChooseEntry(0);
                  menu().ChooseEntry(7); // past the two links
                  menu().ChooseEntry(4); // the first link
                  EXPECT_TRUE(menu().IsOpen());
                  EXPECT_EQ(platform.shell.launches.size(), 1u);
                  menu().ChooseEntry(2);
              }}),
              L"text of 4");
}

TEST_F(SelectionTest, OnlyBlanksAreTrimmed) {
    struct Case {
        std::wstring text;
        std::wstring expected;
    } cases[] = {
        {L"   word and word   ", L"word and word"},
        {std::wstring(200, L' '), L""},
        {L"ends with a break\r\n", L"ends with a break\r\n"},
        {L"\ttabbed\t  ", L"\ttabbed\t"},
    };
    for (const auto& c : cases) {
        Save(DataFile{}.Header(1).Item(1, L"Only", c.text));
        EXPECT_EQ(RequestWith({[&] { menu().OnLineReleased(1, MouseButton::Left); }}), c.expected);
    }
}

// A file that ends inside the last item's text: the rest of that text reads as NULs, and
// neither the returned text nor the line's tooltip carries them.
TEST_F(SelectionTest, TextCutShortByTheEndOfTheFileStopsAtItsFirstNul) {
    DataFile file;
    file.Header(1).Item(1, L"Short", L"kept part  of the text");
    const std::size_t textOfItem1 = 2 * 232 + 30;
    file.bytes.resize(textOfItem1 + std::wstring(L"kept part  ").size());
    Save(file);
    EXPECT_EQ(RequestWith({[&] {
                  EXPECT_EQ(menu().Layout().lines[1].tooltip, L"kept part");
                  menu().OnLineReleased(1, MouseButton::Left);
              }}),
              L"kept part");
}

TEST_F(SelectionTest, ClicksThroughTheViewsCoordinates) {
    SaveItems({1, 4, 5});
    EXPECT_EQ(RequestWith({[&] {
                  menu().OnButtonReleased(300, LineY(3), MouseButton::Left); // over line 3
              }}),
              L"text of 5");
    EXPECT_EQ(RequestWith({[&] {
                  menu().OnButtonReleased(100, LineY(2), MouseButton::Left); // over line 2's pad
              }}),
              L"text of 4");
}

TEST_F(SelectionTest, OtherButtonsOnlyLetPendingEventsRun) {
    SaveItems({1, 4});
    RequestWith({[&] {
                     const int before = ui().doEventsCalls;
                     menu().OnLineReleased(1, MouseButton::Middle);
                     EXPECT_EQ(ui().doEventsCalls, before + 1);
                     menu().OnLineReleased(1, MouseButton::Right);
                     EXPECT_TRUE(menu().IsOpen());
                 },
                 [&] {
                     ui().pointer = {-1, -1};
                     ui().Tick();
                 }});
}

TEST_F(SelectionTest, TickPendingAtTheClickClosesFirstAndNothingIsChosen) {
    SaveItems({1});
    EXPECT_EQ(RequestWith({[&] {
                  ui().pointer = {-50, -50};
                  ui().Pending([&] { ui().Tick(); });
                  menu().OnLineReleased(1, MouseButton::Left);
              }}),
              L"");
}

} // namespace
} // namespace quillery
