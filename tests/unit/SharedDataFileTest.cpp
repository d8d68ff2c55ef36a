// The data file shared with another writer (a second browser, the menudat tool): while a request
// is open, the other changes a different record. Each change the open request then makes writes
// only its own records, not its stale copy of the others, and the next request loads both.

#include "editing/ItemCommands.h"
#include "messages/Messages.h"
#include "posix/PosixFileSystem.h"
#include "support/MenuFixture.h"

#include <algorithm>

namespace quillery {
namespace {

using testing::MenuFixture;
using testing::RecordBytesOf;

class SharedDataFileTest : public MenuFixture {
protected:
    void RightClick(std::int16_t line, int command) {
        ui().menuChoices.push_back([command] { return command; });
        menu().HighlightLine(line);
        menu().OnLineReleased(line, MouseButton::Right);
    }

    // Another process writes item `item` (5 unless said), through a store of its own.
    void OtherWritesItem5(int item = 5) {
        PosixFileSystem files;
        auto store = MenuStore::Open(files, platform.ansi, MenuFilePath(platform.system));
        ASSERT_NE(store, nullptr);
        MenuRecord record;
        record.SetDescription(L"From the other");
        record.SetText(L"their text");
        ASSERT_EQ(store->WriteItem(item, record), WriteOutcome::Written);
    }

    // One request on items 1 to 3 that makes `change` in its first window (the welcome window
    // when `flag` asks for it), the other process writing item 5 just before when `withOther`.
    // The file's bytes afterwards.
    std::vector<std::uint8_t> Run(std::int16_t flag, const std::function<void()>& change,
                                  bool withOther) {
        SaveItems({1, 2, 3}, flag);
        platform.dialogs.answers = {box::kAnswerYes};
        RequestWith({[&] {
                         if (withOther) {
                             OtherWritesItem5();
                         }
                         change();
                     },
                     Leave()});
        return Bytes();
    }
};

TEST_F(SharedDataFileTest, ChangesOfAnOpenRequestKeepTheOtherWritersRecord) {
    const auto welcomeAnswer = [&] {
        welcome().OnDontShowAgainChanged(true);
        welcome().OnContinue();
    };
    const auto edit = [&] {
        ui().Next([&] {
            editor().OnFieldChanged(ItemEditor::Description, L"Edited");
            editor().OnApply();
        });
        RightClick(1, ItemCommands::Edit);
    };
    const struct Case {
        const char* name;
        std::int16_t flag;
        std::function<void()> change;
    } cases[] = {
        {"the welcome answer", 0, welcomeAnswer},
        {"Remove", 1, [&] { RightClick(3, ItemCommands::Remove); }},
        {"Move Up", 1, [&] { RightClick(3, ItemCommands::MoveUp); }},
        {"Apply in the editor", 1, edit},
    };
    const auto theirs = RecordBytesOf(L"From the other", L"their text", 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The file as the change alone leaves it, with the other's record put in.
        std::vector<std::uint8_t> expected = Run(c.flag, c.change, false);
        expected.resize(std::max<std::size_t>(expected.size(), 7 * 232), 0);
        std::copy(theirs.begin(), theirs.end(), expected.begin() + 6 * 232);

        EXPECT_EQ(Run(c.flag, c.change, true), expected);

        std::wstring loaded;
        RequestWithSession(
            {[&] { loaded = TrimSpaces(session().Snippet(5).Description); }, Leave()});
        EXPECT_EQ(loaded, L"From the other");
    }
}

// When the other changed the very record that a change of this request writes, theirs is not
// written over: the menu stays open and shows their record, the user is told once, and the
// editor keeps what was typed. A new snippet then goes to the next free slot.
TEST_F(SharedDataFileTest, ChangeOfARecordTheOtherChangedIsRefusedAndTheMenuShowsTheirs) {
    const auto editLine2 = [&] {
        ui().Next([&] {
            editor().OnFieldChanged(ItemEditor::Description, L"Edited");
            editor().OnApply();
            EXPECT_EQ(editor().fields[ItemEditor::Description], L"Edited");
            editor().OnCancel();
        });
        RightClick(2, ItemCommands::Edit);
    };
    const auto newItem = [&] {
        ui().Next([&] {
            editor().OnFieldChanged(ItemEditor::Description, L"Fresh");
            editor().OnApply(); // refused: the other took slot 4
            editor().OnApply();
        });
        RightClick(1, ItemCommands::New);
    };
    const struct {
        const char* name;
        int theirs; // the item the other writes
        std::function<void()> change;
        int freshItem; // where the new snippet lands; 0: none
    } cases[] = {
        {"Remove", 2, [&] { RightClick(2, ItemCommands::Remove); }, 0},
        {"Move Up of line 3", 2, [&] { RightClick(3, ItemCommands::MoveUp); }, 0},
        {"Apply in the editor", 2, editLine2, 0},
        {"New", 4, newItem, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform.dialogs.shown.clear();
        SaveItems({1, 2, 3});
        platform.dialogs.answers = {box::kAnswerYes};
        RequestWith({[&] {
                         OtherWritesItem5(c.theirs);
                         c.change();
                         ASSERT_TRUE(menu().IsOpen());
                         EXPECT_EQ(TrimSpaces(menu().Layout().lines[c.theirs].caption),
                                   L"From the other");
                     },
                     Leave()});
        const auto boxes = Boxes(); // after Remove's question
        EXPECT_EQ(std::count(boxes.begin(), boxes.end(), messages::kChangedElsewhere), 1);
        EXPECT_EQ(boxes.back(), messages::kChangedElsewhere);
        EXPECT_EQ(platform.dialogs.shown.back().style, 48u); // a warning
        EXPECT_EQ(Record(c.theirs + 2), RecordBytesOf(L"From the other", L"their text", 0));
        for (const int item : {1, 2, 3}) {
            if (item != c.theirs) {
                EXPECT_EQ(Record(item + 2),
                          RecordBytesOf(L"Item " + std::to_wstring(item),
                                        L"  text of " + std::to_wstring(item) + L"  ", 0));
            }
        }
        if (c.freshItem != 0) {
            EXPECT_EQ(Record(c.freshItem + 2), RecordBytesOf(L"Fresh", L"", 0));
        }
    }
}

} // namespace
} // namespace quillery
