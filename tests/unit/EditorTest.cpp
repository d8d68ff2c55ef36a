#include "editing/FrmEditItem.h"
#include "editing/frm4Menu.h"
#include "shared/Messages.h"
#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;
using testing::RecordBytesOf;

class EditorTest : public MenuFixture {
protected:
    // Right-clicks line `line`, chooses New or Edit and runs `inEditor` in the editor.
    void OpenEditor(std::int16_t line, int command, std::function<void()> inEditor) {
        ui().menuChoices.push_back([command] { return command; });
        ui().Next(std::move(inEditor));
        menu().lblMenu_MouseMove(line);
        menu().lblMenu_MouseUp(line, buttons::kRight);
    }
    std::vector<std::wstring> Captions() {
        std::vector<std::wstring> captions;
        for (std::size_t i = 1; i < menu().lblMenu.size(); ++i) {
            captions.push_back(TrimSpaces(menu().lblMenu[i].caption));
        }
        return captions;
    }
};

TEST_F(EditorTest, OpensTrimmedOverThePopUpWithTheWatchOff) {
    Save(DataFile{}.Header(1).Item(1, L"  Greeting", L"  Hello there  ").Item(2, L"Two", L"2"));
    RequestWith({[&] {
                     OpenEditor(1, frm4Menu::mnuEdit, [&] {
                         EXPECT_EQ(editor().txtItem[0], L"Greeting");
                         EXPECT_EQ(editor().txtItem[1], L"Hello there");
                         EXPECT_EQ(editor().Left, menu().Left + 800);
                         EXPECT_EQ(editor().Top, menu().Top + 300);
                         EXPECT_FALSE(ui().View("select")->timerEnabled);
                         ui().pointer = {-500, -500}; // far away: no tick can close the menu
                         ui().Tick();
                         EXPECT_TRUE(menu().IsOpen());
                         editor().cmdAction_Click(1);
                     });
                     // Closed: the pointer is back on the banner and the watch runs.
                     EXPECT_EQ(ui().pointer.x, ui().cursorMoves.back().x);
                     ui().Tick();
                     EXPECT_TRUE(menu().IsOpen());
                     EXPECT_TRUE(ui().View("select")->timerEnabled);
                 },
                 Leave()});
    EXPECT_EQ(ui().modalOrder, (std::vector<std::string>{"select", "editor"}));
}

TEST_F(EditorTest, ApplyCancelAndCloseBox) {
    enum class Way { Apply, ApplyUnchanged, Cancel, CloseBox };
    struct Case {
        const char* name;
        Way way;
        bool writes;
    } cases[] = {{"Apply", Way::Apply, true},
                 {"Apply unchanged", Way::ApplyUnchanged, true},
                 {"Cancel", Way::Cancel, false},
                 {"close box", Way::CloseBox, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseCurrentThread();
        SaveItems({1, 2});
        const auto before = Bytes();
        platform.files.writtenRecords.clear();
        RequestWith({[&] {
                         OpenEditor(2, frm4Menu::mnuEdit, [&] {
                             if (c.way != Way::ApplyUnchanged) {
                                 editor().txtItem_Change(0, L"  Changed  ");
                                 editor().txtItem_Change(1, L"  line one\r\nline two\r\n  ");
                             }
                             if (c.way == Way::CloseBox) {
                                 editor().Close();
                             } else {
                                 editor().cmdAction_Click(c.way == Way::Cancel ? 1 : 0);
                             }
                         });
                         EXPECT_FALSE(editor().IsOpen());
                         EXPECT_TRUE(ui().View("select")->timerEnabled);
                     },
                     Leave()});
        if (!c.writes) {
            EXPECT_EQ(Bytes(), before);
            EXPECT_TRUE(platform.files.writtenRecords.empty());
        } else if (c.way == Way::ApplyUnchanged) {
            EXPECT_EQ(Record(4), RecordBytesOf(L"Item 2", L"text of 2", 0));
        } else {
            EXPECT_EQ(Record(4), RecordBytesOf(L"Changed", L"line one\r\nline two\r\n", 0));
            EXPECT_EQ(platform.files.writtenRecords, std::vector<int>{4});
        }
    }
}

TEST_F(EditorTest, NewItemsTakeTheLowestEmptySlot) {
    Save(DataFile{}.Header(1).Item(1, L"One", L"1").Item(3, L"Three", L"3").Item(4, L"Four", L"4"));
    RequestWith({[&] {
                     OpenEditor(1, frm4Menu::mnuNew, [&] {
                         EXPECT_EQ(editor().txtItem[0], L""); // a new item opens empty
                         EXPECT_EQ(editor().txtItem[1], L"");
                         editor().txtItem_Change(0, std::wstring(31, L'd'));
                         editor().txtItem_Change(1, L"new text");
                         editor().cmdAction_Click(0);
                     });
                     EXPECT_EQ(module().CurrentItem, 2);
                     EXPECT_EQ(Captions(), (std::vector<std::wstring>{
                                               L"One", std::wstring(30, L'd'), L"Three", L"Four"}));
                 },
                 Leave()});
    EXPECT_EQ(Record(4), RecordBytesOf(std::wstring(30, L'd'), L"new text", 0));
}

TEST_F(EditorTest, EmptiedDescriptionHidesTheLineAndKeepsTheText) {
    SaveItems({1, 2, 3});
    RequestWith({[&] {
                     OpenEditor(2, frm4Menu::mnuEdit, [&] {
                         editor().txtItem_Change(0, L"   ");
                         editor().txtItem_Change(1, L"kept");
                         editor().cmdAction_Click(0);
                     });
                     EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Item 1", L"Item 3"}));
                 },
                 Leave()});
    EXPECT_EQ(Record(4), RecordBytesOf(L"", L"kept", 0));
}

TEST_F(EditorTest, NewWithEveryStoredSlotFullStoresNothing) {
    std::vector<int> all;
    for (int item = 1; item <= 20; ++item) {
        all.push_back(item);
    }
    SaveItems(all);
    const auto before = Bytes();
    RequestWith({[&] {
                     module().CurrentItem = 0;
                     ui().Next([&] {
                         editor().txtItem_Change(0, L"No room");
                         editor().cmdAction_Click(0);
                     });
                     editor().Show();
                     EXPECT_EQ(module().CurrentItem, 21);
                     EXPECT_EQ(module().ItemCount, 20);
                 },
                 Leave()});
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(platform.dialogs.shown.empty());
}

TEST_F(EditorTest, FailedWriteClosesBothWindowsAndNothingComesBack) {
    SaveItems({1, 2});
    const auto before = Bytes();
    platform.files.failWriteOfRecord = {3};
    EXPECT_EQ(RequestWith({[&] {
                  const auto movesBefore = ui().cursorMoves.size();
                  OpenEditor(1, frm4Menu::mnuEdit, [&] {
                      editor().txtItem_Change(0, L"Lost");
                      editor().cmdAction_Click(0);
                  });
                  EXPECT_FALSE(editor().IsOpen());
                  EXPECT_FALSE(menu().IsOpen());
                  EXPECT_EQ(ui().cursorMoves.size(), movesBefore); // no pointer move back
                  EXPECT_EQ(TrimSpaces(menu().lblMenu[1].caption), L"Item 1"); // no redraw
              }}),
              L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(ui().modalOrder, (std::vector<std::string>{"select", "editor"}));
}

TEST_F(EditorTest, FailureInsideApplyOrCancelIsAWarningAndTheEditorStays) {
    SaveItems({1});
    const auto before = Bytes();
    RequestWith({[&] {
                     OpenEditor(1, frm4Menu::mnuEdit, [&] {
                         ui().throwOnDoEvents = true;
                         editor().cmdAction_Click(1); // fails after closing, in the pass
                         ui().throwOnDoEvents = false;
                     });
                 },
                 Leave()});
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorEditingItem});
    EXPECT_EQ(platform.dialogs.shown[0].style, 48u);
    EXPECT_EQ(Bytes(), before);
}

} // namespace
} // namespace quillery
