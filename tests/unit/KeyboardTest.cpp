// The menu driven from the keyboard: the keys move the pointer's own highlight, choose, close
// and open the item commands, and every key press keeps the window from closing itself.

#include "editing/ItemCommands.h"
#include "messages/Messages.h"
#include "support/MenuFixture.h"

#include <optional>

namespace quillery {
namespace {

using testing::DataFile;
using testing::MenuFixture;

class KeyboardTest : public MenuFixture {
protected:
    void Press(const std::vector<Key>& keys) {
        for (Key key : keys) {
            menu().OnKeyPressed(key);
        }
    }
};

// Items 1, 4 and 5 give three lines; the links are entries 4 and 5.
TEST_F(KeyboardTest, ArrowsHomeAndEndMoveThePointersHighlightAndWrap) {
    using enum Key;
    struct Case {
        const char* what;
        std::vector<Key> keys;
        std::string highlighted;
        std::int16_t currentItem;
    } cases[] = {
        {"Down from nothing: the first line", {Down}, "L1 ", 1},
        {"Up from nothing: the last entry", {Up}, "X1 ", 0},
        {"Down twice", {Down, Down}, "L2 ", 4},
        {"Down onto the first link", {Down, Down, Down, Down}, "X0 ", 0},
        {"Down past the last entry wraps", {Down, Down, Down, Down, Down, Down}, "L1 ", 1},
        {"Up past the first line wraps", {Down, Up}, "X1 ", 0},
        {"Up from a link onto the last line", {Up, Up, Up}, "L3 ", 5},
        {"Home", {Up, Home}, "L1 ", 1},
        {"End", {Down, End}, "X1 ", 0},
        {"End then Down wraps", {End, Down}, "L1 ", 1},
        {"keys that are not the menu's change nothing", {Down, Other}, "L1 ", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SaveItems({1, 4, 5});
        RequestWith({[&] {
                         Press(c.keys);
                         EXPECT_EQ(Highlighted(), c.highlighted);
                         EXPECT_EQ(HighlightedItem(), c.currentItem);
                         EXPECT_TRUE(menu().IsOpen());
                     },
                     Leave()});
    }
}

TEST_F(KeyboardTest, EnterSpaceAndEscape) {
    using enum Key;
    struct Case {
        const char* what;
        std::vector<Key> keys;
        bool staysOpen;
        std::size_t launches;
        std::wstring result;
    } cases[] = {
        {"Enter on a line chooses it", {Down, Down, Enter}, false, 0, L"text of 4"},
        {"Space on a line chooses it", {Up, Up, Up, Space}, false, 0, L"text of 5"},
        {"Enter on a link opens it", {End, Enter}, true, 1, L""},
        {"Space on a link opens it", {Up, Up, Space}, true, 1, L""},
        {"Enter with nothing highlighted", {Enter, Space}, true, 0, L""},
        {"Escape", {Escape}, false, 0, L""},
        {"Escape with a line highlighted", {Down, Escape}, false, 0, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SaveItems({1, 4, 5});
        platform.shell.launches.clear();
        ui().Then([&] {
            Press(c.keys);
            EXPECT_EQ(menu().IsOpen(), c.staysOpen);
        });
        if (c.staysOpen) {
            ui().Then(Leave());
        }
        EXPECT_EQ(Request(), c.result);
        EXPECT_TRUE(ui().unfinished.empty());
        EXPECT_EQ(platform.shell.launches.size(), c.launches);
        ExpectEverythingClosed();
    }
}

TEST_F(KeyboardTest, AccessKeysChooseAOneLineOrMoveAmongTheLinesThatShareThem) {
    struct Case {
        const char* what;
        std::vector<wchar_t> typed;
        std::string highlighted; // while the window is still open
        std::wstring result;     // the chosen text, when a line was chosen
    } cases[] = {
        {"a key of one line chooses it", {L'c'}, "", L"cherry"},
        {"upper and lower case alike", {L'C'}, "", L"cherry"},
        {"a mark after the first letter", {L'R'}, "", L"grape"},
        {"a key that two lines share highlights the first", {L'b'}, "L2 ", L""},
        {"again: the next of them", {L'b', L'B'}, "L4 ", L""},
        {"and round to the first", {L'b', L'b', L'b'}, "L2 ", L""},
        {"a key that no line has", {L'z'}, "", L""},
        {"a doubled '&' marks nothing", {L'S'}, "", L""},
        {"neither Space nor a control character", {L' ', L'\r', L'\x1b'}, "", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DataFile file;
        file.Header(1)
            .Item(1, L"&apple", L"apple")
            .Item(2, L"&Banana", L"banana")
            .Item(3, L"&Cherry", L"cherry")
            .Item(4, L"&blueberry", L"blueberry")
            .Item(5, L"G&rape", L"grape")
            .Item(6, L"Salt && pepper", L"salt")
            .Item(7, L"& space", L"space");
        Save(file);
        ui().Then([&] {
            for (wchar_t typed : c.typed) {
                menu().OnCharacterTyped(typed);
            }
            if (ui().menu != nullptr && menu().IsOpen()) {
                EXPECT_EQ(Highlighted(), c.highlighted);
                Leave()();
            }
        });
        EXPECT_EQ(Request(), c.result);
        EXPECT_TRUE(ui().unfinished.empty());
    }
}

// The context-menu key (and Shift+F10) is a right click on the highlighted line, with the
// commands opened at that line instead of at the pointer; with no line highlighted, those that
// need none, below the highlighted link or the banner.
TEST_F(KeyboardTest, ContextMenuKeyOpensTheItemCommandsOfTheHighlightedLineAtIt) {
    using enum Key;
    struct Case {
        const char* what;
        std::vector<Key> keys;
        int line; // 0: no line's commands
        bool upOn, downOn;
        PixelPoint place; // from the window's corner: below the part's left end
    } cases[] = {
        // A line's box starts 270 twips in and ends (585 + 240 * line) - 90 twips below the
        // window's top edge; the last link's ends 1895 down, the banner's 465 down, 45 in.
        {"the top line", {Home}, 1, false, true, {18, 49}},
        {"the middle line", {Down, Down}, 2, true, true, {18, 65}},
        {"the bottom line", {Up, Up, Up}, 3, true, false, {18, 81}},
        {"a link: New alone, below it", {End}, 0, false, false, {18, 126}},
        {"nothing highlighted: New alone, below the banner", {}, 0, false, false, {3, 31}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SaveItems({1, 4, 5});
        ui().menusShown.clear();
        ui().menuPlaces.clear();
        ui().timerRanDuringMenu = false;
        RequestWith({[&] {
                         Press(c.keys);
                         FakeView* view = ui().View("menu");
                         const int starts = view->timerStarts;
                         menu().OnKeyPressed(ContextMenu);
                         EXPECT_TRUE(view->timerEnabled);
                         EXPECT_GT(view->timerStarts, starts);
                         ASSERT_EQ(ui().menusShown.size(), 1u);
                         std::map<int, bool> enabled;
                         for (const auto& entry : ui().menusShown[0]) {
                             enabled[entry.id] = entry.enabled;
                         }
                         EXPECT_TRUE(enabled[ItemCommands::New]);
                         EXPECT_EQ(enabled[ItemCommands::Edit], c.line != 0);
                         EXPECT_EQ(enabled[ItemCommands::Remove], c.line != 0);
                         EXPECT_EQ(enabled[ItemCommands::MoveUp], c.upOn);
                         EXPECT_EQ(enabled[ItemCommands::MoveDown], c.downOn);
                         const PixelRect rect = view->WindowRect();
                         ASSERT_TRUE(ui().menuPlaces[0].has_value());
                         EXPECT_EQ(ui().menuPlaces[0]->x, rect.left + c.place.x);
                         EXPECT_EQ(ui().menuPlaces[0]->y, rect.top + c.place.y);
                     },
                     Leave()});
        EXPECT_FALSE(ui().timerRanDuringMenu);
    }
}

TEST_F(KeyboardTest, CommandsFromTheKeyboardActOnTheHighlightedLine) {
    SaveItems({1, 4, 5});
    platform.dialogs.answers = {box::kAnswerYes};
    RequestWith({[&] {
                     PointAtWindowTwips(300, LineY(1));
                     menu().OnPointerMoved(300, LineY(1));
                     menu().OnKeyPressed(Key::Down); // the key moved last: line 2, item 4
                     ui().menuChoices.push_back([] { return ItemCommands::Remove; });
                     menu().OnKeyPressed(Key::ContextMenu);
                     EXPECT_EQ(menu().LineCount(), 2);
                     // A right click still opens the commands at the pointer.
                     ui().menuChoices.push_back([] { return 0; });
                     menu().OnLineReleased(1, MouseButton::Right);
                     ASSERT_EQ(ui().menuPlaces.size(), 2u);
                     EXPECT_FALSE(ui().menuPlaces[1].has_value());
                 },
                 Leave()});
    EXPECT_EQ(Record(6)[0], ' '); // item 4's description blanked
    EXPECT_EQ(Record(3)[0], 'I');
    EXPECT_EQ(Record(7)[0], 'I');
}

TEST_F(KeyboardTest, WhicheverMovedTheHighlightLastDecides) {
    SaveItems({1, 4, 5});
    EXPECT_EQ(RequestWith({[&] {
                  menu().OnPointerMoved(300, LineY(3));
                  menu().OnKeyPressed(Key::Down); // from the pointer's line 3 to the first link
                  EXPECT_EQ(Highlighted(), "X0 ");
                  EXPECT_EQ(HighlightedItem(), 0);
                  menu().OnPointerMoved(300, LineY(1)); // the pointer takes it back
                  EXPECT_EQ(Highlighted(), "L1 ");
                  menu().OnKeyPressed(Key::Down);
                  menu().OnPointerMoved(60, 100); // onto the banner: the key's line stays
                  EXPECT_EQ(Highlighted(), "L2 ");
                  EXPECT_EQ(HighlightedItem(), 4);
                  menu().OnKeyPressed(Key::Enter);
              }}),
              L"text of 4");
}

// The pointer has left the window; the watch's first tick is due 3000 ms after the load.
TEST_F(KeyboardTest, EachKeyPressStartsTheWatchsIntervalAfresh) {
    struct Case {
        const char* what;
        std::vector<unsigned> pressesAt; // ms after the load
        bool typed;                      // a character rather than a key
        std::int64_t closedAt;
    } cases[] = {
        {"no key: the first tick closes it", {}, false, 3000},
        {"a key at 2000 ms", {2000}, false, 5000},
        {"a character at 2000 ms", {2000}, true, 5000},
        {"a key every 2000 ms", {2000, 4000, 6000, 8000}, false, 11000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SaveItems({1, 2});
        ui().now = 0;
        std::int64_t closedAt = -1;
        ui().Then([&] {
            ui().pointer = {-50, -50};
            for (unsigned at : c.pressesAt) {
                ui().Elapse(static_cast<unsigned>(at - ui().now));
                ASSERT_TRUE(ui().menu != nullptr && menu().IsOpen()) << at;
                if (c.typed) {
                    menu().OnCharacterTyped(L'q');
                } else {
                    menu().OnKeyPressed(Key::Other);
                }
            }
            while (ui().menu != nullptr && menu().IsOpen() && ui().now < 20000) {
                ui().Elapse(100);
                closedAt = ui().now;
            }
        });
        EXPECT_EQ(Request(), L"");
        EXPECT_EQ(closedAt, c.closedAt);
    }
}

} // namespace
} // namespace quillery
