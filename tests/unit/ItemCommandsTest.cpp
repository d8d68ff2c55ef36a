#include "editing/ItemCommands.h"
#include "editing/ItemEditor.h"
#include "messages/Messages.h"
#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;
using testing::RecordBytesOf;

class ItemCommandsTest : public MenuFixture {
protected:
    std::vector<int> LineItems() {
        const auto& items = menu().Layout().lineItems;
        return std::vector<int>(items.begin() + 1, items.end());
    }
    // Hover over line `line`, right-click it and choose `command`.
    void RightClick(std::size_t line, int command) {
        ui().menuChoices.push_back([command] { return command; });
        menu().HighlightLine(line);
        menu().OnLineReleased(line, MouseButton::Right);
    }
    std::map<int, bool> Enabled(const std::vector<ContextMenuEntry>& entries) {
        std::map<int, bool> enabled;
        for (const auto& entry : entries) {
            enabled[entry.id] = entry.enabled;
        }
        return enabled;
    }
};

TEST_F(ItemCommandsTest, EntriesAndWhichAreEnabled) {
    struct Case {
        int lines;
        std::int16_t line;
        bool newOn, removeOn, upOn, downOn;
    } cases[] = {
        {1, 1, true, false, false, false}, {18, 5, true, true, true, true},
        {19, 1, false, true, false, true}, {20, 20, false, true, true, false},
        {3, 3, true, true, true, false},   {3, 2, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines * 100 + c.line);
        ui().menusShown.clear();
        std::vector<int> items;
        for (int item = 1; item <= c.lines; ++item) {
            items.push_back(item);
        }
        SaveItems(items);
        RequestWith({[&] {
                         RightClick(c.line, 0);
                         // A second right click on another line sets every entry afresh.
                         RightClick(1, 0);
                         RightClick(c.line, 0);
                     },
                     Leave()});
        ASSERT_EQ(ui().menusShown.size(), 3u);
        const auto& shown = ui().menusShown.back();
        ASSERT_EQ(shown.size(), 6u);
        EXPECT_EQ(shown[0].caption, L"&New");
        EXPECT_EQ(shown[1].caption, L"&Edit");
        EXPECT_EQ(shown[2].caption, L"&Remove");
        EXPECT_TRUE(shown[3].separator);
        EXPECT_EQ(shown[4].caption, L"Move &Up");
        EXPECT_EQ(shown[5].caption, L"Move &Down");
        auto enabled = Enabled(shown);
        EXPECT_EQ(enabled[ItemCommands::New], c.newOn);
        EXPECT_TRUE(enabled[ItemCommands::Edit]);
        EXPECT_EQ(enabled[ItemCommands::Remove], c.removeOn);
        EXPECT_EQ(enabled[ItemCommands::MoveUp], c.upOn);
        EXPECT_EQ(enabled[ItemCommands::MoveDown], c.downOn);
        EXPECT_FALSE(ui().timerRanDuringMenu);
    }
}

// A data file cut to 100 bytes loads as a menu without lines (the welcome asks: its flag is
// cut off). Where there is no line, a right click and the context-menu key offer New alone, and
// the snippet goes into item 1's record, where a whole file holds it. A link has no commands.
TEST_F(ItemCommandsTest, NewWhereNoLineIsFillsAMenuCutShort) {
    using C = ItemCommands;
    constexpr auto Right = MouseButton::Right;
    const std::map<int, bool> newAlone{{C::New, true},     {C::Edit, false},
                                       {C::Remove, false}, {C::Separator, true},
                                       {C::MoveUp, false}, {C::MoveDown, false}};
    const struct {
        const char* what;
        std::function<void(SnippetMenu&)> open;
        bool offered;
    } cases[] = {
        {"the logo, where the pointer rests", [](auto& m) { m.OnButtonReleased(100, 140, Right); },
         true},
        {"the banner beside the logo", [](auto& m) { m.OnButtonReleased(60, 60, Right); }, true},
        {"the background", [](auto& m) { m.OnButtonReleased(1000, 520, Right); }, true},
        {"the context-menu key", [](auto& m) { m.OnKeyPressed(Key::ContextMenu); }, true},
        {"a link", [](auto& m) { m.OnButtonReleased(500, 815, Right); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DataFile cut;
        cut.Header(1).bytes.resize(100);
        Save(cut);
        ui().menusShown.clear();
        ui().menuChoices.push_back([] { return int(C::New); });
        RequestWith({[&] { welcome().OnContinue(); },
                     [&] {
                         if (c.offered) {
                             ui().Next([&] {
                                 editor().OnFieldChanged(ItemEditor::Description, L"Fresh");
                                 editor().OnFieldChanged(ItemEditor::Text, L"fresh text");
                                 editor().OnApply();
                             });
                         }
                         c.open(menu());
                         ASSERT_EQ(ui().menusShown.size(), c.offered ? 1u : 0u);
                         if (c.offered) {
                             EXPECT_EQ(Enabled(ui().menusShown[0]), newAlone);
                             EXPECT_EQ(TrimSpaces(menu().Layout().lines[1].caption), L"Fresh");
                         }
                     },
                     Leave()});
        ui().menuChoices.clear();
        // The welcome's answer completes the header; item 1 is record 3, after an empty one.
        std::vector<std::uint8_t> expected = cut.bytes;
        expected.resize(c.offered ? 2 * 232 : 232, 0);
        if (c.offered) {
            const auto fresh = RecordBytesOf(L"Fresh", L"fresh text", 0);
            expected.insert(expected.end(), fresh.begin(), fresh.end());
        }
        EXPECT_EQ(Bytes(), expected);
    }
}

TEST_F(ItemCommandsTest, DismissingChangesNothingAndTheWatchRunsAgain) {
    SaveItems({1, 2, 3});
    const auto before = Bytes();
    RequestWith({[&] {
                     FakeView* view = ui().View("menu");
                     const int starts = view->timerStarts;
                     RightClick(2, 0);
                     EXPECT_TRUE(view->timerEnabled);
                     EXPECT_EQ(view->timerStarts, starts + 1); // a full interval again
                     EXPECT_TRUE(menu().IsOpen());
                 },
                 Leave()});
    EXPECT_EQ(Bytes(), before);
}

TEST_F(ItemCommandsTest, RemoveAskedAndAnswered) {
    for (const int answer : {box::kAnswerNo, box::kAnswerYes}) {
        SCOPED_TRACE(answer);
        SaveItems({1, 2, 3, 4, 5});
        const auto before = Bytes();
        platform.dialogs.shown.clear();
        platform.dialogs.answers = {answer};
        RequestWith({[&] {
                         RightClick(3, ItemCommands::Remove);
                         EXPECT_EQ(LineItems().size(), answer == box::kAnswerYes ? 4u : 5u);
                     },
                     Leave()});
        ASSERT_EQ(platform.dialogs.shown.size(), 1u);
        EXPECT_EQ(platform.dialogs.shown[0].text,
                  L"Are you sure you want to remove the selected item");
        EXPECT_EQ(platform.dialogs.shown[0].title, L"Remove Item");
        EXPECT_EQ(platform.dialogs.shown[0].style, 36u);
        if (answer == box::kAnswerNo) {
            EXPECT_EQ(Bytes(), before);
            continue;
        }
        // Record 5 gets a blank description; its text stays; nothing else changes.
        EXPECT_EQ(Record(5), RecordBytesOf(L"", L"  text of 3  ", 0));
        auto expected = before;
        const auto blanked = Record(5);
        std::copy(blanked.begin(), blanked.end(), expected.begin() + 4 * 232);
        EXPECT_EQ(Bytes(), expected);
    }
}

TEST_F(ItemCommandsTest, RemoveThenNewTakesTheFreedSlot) {
    SaveItems({1, 2, 3, 4, 5});
    platform.dialogs.answers = {box::kAnswerYes};
    RequestWith({[&] {
                     RightClick(3, ItemCommands::Remove);
                     EXPECT_EQ(LineItems(), (std::vector<int>{1, 2, 4, 5}));
                     ui().menuChoices.push_back([] { return int(ItemCommands::New); });
                     ui().Next([&] {
                         editor().OnFieldChanged(ItemEditor::Description, L"  Fresh  ");
                         editor().OnFieldChanged(ItemEditor::Text, L"fresh text");
                         editor().OnApply();
                     });
                     menu().OnLineReleased(1, MouseButton::Right);
                     EXPECT_EQ(LineItems(), (std::vector<int>{1, 2, 3, 4, 5}));
                     EXPECT_EQ(menu().Layout().lines[3].caption, L"Fresh" + std::wstring(25, L' '));
                 },
                 Leave()});
    EXPECT_EQ(Record(5), RecordBytesOf(L"Fresh", L"fresh text", 0));
    EXPECT_EQ(Bytes().size(), 7u * 232u);
}

TEST_F(ItemCommandsTest, MovesSwapWholeRecordsAndWriteBoth) {
    SaveItems({1, 4, 5});
    const auto before = Bytes();
    RequestWith({[&] {
                     platform.files.writtenRecords.clear();
                     RightClick(2, ItemCommands::MoveUp); // item 4, shown second
                     EXPECT_EQ(platform.files.writtenRecords, (std::vector<int>{3, 6}));
                     EXPECT_EQ(LineItems(), (std::vector<int>{1, 4, 5}));
                     EXPECT_EQ(TrimSpaces(menu().Layout().lines[1].caption), L"Item 4");
                 },
                 Leave()});
    EXPECT_EQ(Record(3),
              std::vector<std::uint8_t>(before.begin() + 5 * 232, before.begin() + 6 * 232));
    EXPECT_EQ(Record(6),
              std::vector<std::uint8_t>(before.begin() + 2 * 232, before.begin() + 3 * 232));
    EXPECT_EQ(Record(4), std::vector<std::uint8_t>(232, 0)); // empty slots 2 and 3 untouched
    EXPECT_EQ(Record(5), std::vector<std::uint8_t>(232, 0));
}

TEST_F(ItemCommandsTest, MoveDownOnTheFirstOfTwoAndTwoMoveUpsInARow) {
    SaveItems({1, 2});
    RequestWith({[&] {
                     RightClick(1, ItemCommands::MoveDown);
                     EXPECT_EQ(TrimSpaces(menu().Layout().lines[1].caption), L"Item 2");
                     EXPECT_EQ(TrimSpaces(menu().Layout().lines[2].caption), L"Item 1");
                 },
                 Leave()});
    SaveItems({1, 2, 3});
    RequestWith({[&] {
                     RightClick(3, ItemCommands::MoveUp);
                     RightClick(2, ItemCommands::MoveUp); // the pointer follows its new line
                     EXPECT_EQ(TrimSpaces(menu().Layout().lines[1].caption), L"Item 3");
                     EXPECT_EQ(TrimSpaces(menu().Layout().lines[2].caption), L"Item 1");
                     EXPECT_EQ(TrimSpaces(menu().Layout().lines[3].caption), L"Item 2");
                 },
                 Leave()});
}

TEST_F(ItemCommandsTest, FailedFirstWriteOfAMoveWritesNothingElse) {
    SaveItems({1, 2});
    const auto before = Bytes();
    platform.files.failWriteOfRecord = {3};
    EXPECT_EQ(RequestWith({[&] {
                  RightClick(2, ItemCommands::MoveUp);
                  EXPECT_FALSE(menu().IsOpen());
              }}),
              L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(platform.files.writtenRecords, std::vector<int>{3});
    EXPECT_EQ(Bytes(), before); // both old records kept: nothing lost
    ExpectEverythingClosed();
    EXPECT_EQ(ui().modalOrder, std::vector<std::string>{"menu"}); // not reopened
}

TEST_F(ItemCommandsTest, FailedSecondWriteOfAMovePutsTheFirstRecordBack) {
    SaveItems({1, 2});
    const auto before = Bytes();
    platform.files.failWriteOfRecord = {4};
    EXPECT_EQ(RequestWith({[&] {
                  RightClick(2, ItemCommands::MoveUp);
                  EXPECT_FALSE(menu().IsOpen());
              }}),
              L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorSavingItem}); // reported once
    EXPECT_EQ(platform.files.writtenRecords, (std::vector<int>{3, 4, 3}));
    EXPECT_EQ(Bytes(), before); // no snippet in both records
    ExpectEverythingClosed();
}

TEST_F(ItemCommandsTest, FailedRemoveClosesEverythingAndRedrawsNothing) {
    SaveItems({1, 2, 3});
    const auto before = Bytes();
    platform.dialogs.answers = {box::kAnswerYes};
    platform.files.failWriteOfRecord = {4};
    EXPECT_EQ(RequestWith({[&] {
                  RightClick(2, ItemCommands::Remove);
                  EXPECT_FALSE(menu().IsOpen());
                  EXPECT_EQ(LineItems().size(), 3u); // no redraw after the report
                  EXPECT_FALSE(ui().View("menu"));
              }}),
              L"");
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(ui().modalOrder, std::vector<std::string>{"menu"});
}

TEST_F(ItemCommandsTest, MovesWithoutANeighbourDoNothing) {
    SaveItems({1, 2});
    const auto before = Bytes();
    RequestWithSession({[&] {
                            ItemCommands commands(session(), menu(), ui());
                            commands.MoveItemUp(1);
                            commands.MoveItemDown(2);
                            commands.MoveItemUp(7); // an item with no line at all
                            commands.MoveItemDown(7);
                        },
                        Leave()});
    EXPECT_EQ(Bytes(), before);
}

} // namespace
} // namespace quillery
