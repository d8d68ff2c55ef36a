#include "editing/ItemEditor.h"
#include "FailingAllocation.h"
#include "editing/ItemCommands.h"
#include "messages/Messages.h"
#include "support/DoubleByteCodec.h"
#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;
using testing::RecordBytesOf;

class ItemEditorTest : public MenuFixture {
protected:
    // Right-clicks line `line`, chooses New or Edit and runs `inEditor` in the editor.
    void OpenEditor(std::int16_t line, int command, std::function<void()> inEditor) {
        ui().menuChoices.push_back([command] { return command; });
        ui().Next(std::move(inEditor));
        menu().HighlightLine(line);
        menu().OnLineReleased(line, MouseButton::Right);
    }
    std::vector<std::wstring> Captions() {
        std::vector<std::wstring> captions;
        for (std::size_t i = 1; i < menu().Layout().lines.size(); ++i) {
            captions.push_back(TrimSpaces(menu().Layout().lines[i].caption));
        }
        return captions;
    }
};

TEST_F(ItemEditorTest, OpensTrimmedOverTheMenuWithTheWatchOff) {
    Save(DataFile{}.Header(1).Item(1, L"  Greeting", L"  Hello there  ").Item(2, L"Two", L"2"));
    RequestWith({[&] {
                     OpenEditor(1, ItemCommands::Edit, [&] {
                         EXPECT_EQ(editor().fields[ItemEditor::Description], L"Greeting");
                         EXPECT_EQ(editor().fields[ItemEditor::Text], L"Hello there");
                         EXPECT_EQ(editor().left, menu().Layout().left + 800);
                         EXPECT_EQ(editor().top, menu().Layout().top + 300);
                         EXPECT_FALSE(ui().View("menu")->timerEnabled);
                         ui().pointer = {-500, -500}; // far away: no tick can close the menu
                         ui().Tick();
                         EXPECT_TRUE(menu().IsOpen());
                         editor().OnCancel();
                     });
                     // Closed: the pointer is back on the banner and the watch runs.
                     EXPECT_EQ(ui().pointer.x, ui().cursorMoves.back().x);
                     ui().Tick();
                     EXPECT_TRUE(menu().IsOpen());
                     EXPECT_TRUE(ui().View("menu")->timerEnabled);
                 },
                 Leave()});
    EXPECT_EQ(ui().modalOrder, (std::vector<std::string>{"menu", "editor"}));
}

TEST_F(ItemEditorTest, ApplyCancelAndCloseBox) {
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
        SaveItems({1, 2});
        const auto before = Bytes();
        platform.files.writtenRecords.clear();
        RequestWith({[&] {
                         OpenEditor(2, ItemCommands::Edit, [&] {
                             if (c.way != Way::ApplyUnchanged) {
                                 editor().OnFieldChanged(ItemEditor::Description, L"  Changed  ");
                                 editor().OnFieldChanged(ItemEditor::Text,
                                                         L"  line one\r\nline two\r\n  ");
                             }
                             if (c.way == Way::CloseBox) {
                                 editor().Close();
                             } else if (c.way == Way::Cancel) {
                                 editor().OnCancel();
                             } else {
                                 editor().OnApply();
                             }
                             EXPECT_FALSE(editor().IsOpen());
                         });
                         EXPECT_EQ(ui().View("editor"), nullptr);
                         EXPECT_TRUE(ui().View("menu")->timerEnabled);
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

TEST_F(ItemEditorTest, NewItemsTakeTheLowestEmptySlot) {
    Save(DataFile{}.Header(1).Item(1, L"One", L"1").Item(3, L"Three", L"3").Item(4, L"Four", L"4"));
    RequestWith({[&] {
                     OpenEditor(1, ItemCommands::New, [&] {
                         // a new item opens empty
                         EXPECT_EQ(editor().fields[ItemEditor::Description], L"");
                         EXPECT_EQ(editor().fields[ItemEditor::Text], L"");
                         editor().OnFieldChanged(ItemEditor::Description, std::wstring(31, L'd'));
                         editor().OnFieldChanged(ItemEditor::Text, L"new text");
                         editor().OnApply();
                     });
                     EXPECT_EQ(Captions(), (std::vector<std::wstring>{
                                               L"One", std::wstring(30, L'd'), L"Three", L"Four"}));
                 },
                 Leave()});
    EXPECT_EQ(Record(4), RecordBytesOf(std::wstring(30, L'd'), L"new text", 0));
}

TEST_F(ItemEditorTest, EmptiedDescriptionHidesTheLineAndKeepsTheText) {
    SaveItems({1, 2, 3});
    RequestWith({[&] {
                     OpenEditor(2, ItemCommands::Edit, [&] {
                         editor().OnFieldChanged(ItemEditor::Description, L"   ");
                         editor().OnFieldChanged(ItemEditor::Text, L"kept");
                         editor().OnApply();
                     });
                     EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Item 1", L"Item 3"}));
                 },
                 Leave()});
    EXPECT_EQ(Record(4), RecordBytesOf(L"", L"kept", 0));
}

TEST_F(ItemEditorTest, NewWithEveryStoredSlotFullStoresNothing) {
    std::vector<int> all;
    for (int item = 1; item <= 20; ++item) {
        all.push_back(item);
    }
    SaveItems(all);
    const auto before = Bytes();
    RequestWithSession({[&] {
                            ui().Next([&] {
                                editor().OnFieldChanged(ItemEditor::Description, L"No room");
                                editor().OnApply();
                            });
                            ItemEditor(session(), menu(), ui(), ItemEditor::kNewItem).Show();
                            EXPECT_EQ(ui().editor, nullptr); // applied and closed
                            EXPECT_EQ(menu().LineCount(), 20u);
                        },
                        Leave()});
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(platform.dialogs.shown.empty());
}

// A write that fails (a file that cannot be written) is reported in the same stop box as ever,
// but the editor stays open over the menu with what was typed, and Apply can be tried again.
TEST_F(ItemEditorTest, FailedWriteKeepsTheEditorWithTheTypingForAnotherApply) {
    SaveItems({1, 2});
    const auto before = Bytes();
    platform.files.failWriteOfRecord = {3};
    RequestWith({[&] {
                     OpenEditor(1, ItemCommands::Edit, [&] {
                         editor().OnFieldChanged(ItemEditor::Description, L"Kept");
                         editor().OnFieldChanged(ItemEditor::Text, L"kept\r\ntext");
                         editor().OnApply();
                         ASSERT_TRUE(ui().editor != nullptr && editor().IsOpen());
                         EXPECT_EQ(editor().fields[ItemEditor::Description], L"Kept");
                         EXPECT_EQ(editor().fields[ItemEditor::Text], L"kept\r\ntext");
                         EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Item 1", L"Item 2"}));
                         EXPECT_EQ(Bytes(), before);
                         platform.files.failWriteOfRecord.clear();
                         editor().OnApply();
                         EXPECT_FALSE(editor().IsOpen());
                     });
                     ASSERT_NE(ui().View("menu"), nullptr);
                     EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Kept", L"Item 2"}));
                 },
                 Leave()});
    ASSERT_EQ(platform.dialogs.shown.size(), 1u);
    EXPECT_EQ(platform.dialogs.shown[0].text, L"Error saving menu item");
    EXPECT_EQ(platform.dialogs.shown[0].style, 16u); // OK and the stop icon, as before
    EXPECT_EQ(Record(3), RecordBytesOf(L"Kept", L"kept\r\ntext", 0));
}

// Under a code page of two bytes per character the boxes take more than the data file holds:
// Apply says so and keeps the editor open with what was typed, and writes nothing. One byte
// over the field's width is already too much.
TEST_F(ItemEditorTest, ApplyRefusesWhatTheCodePageCannotHoldAndKeepsTheTyping) {
    testing::DoubleByteCodec doubleByte;
    platform.port.ansi = &doubleByte;
    SaveItems({1});
    const auto before = Bytes();
    const std::wstring kana15(15, L'\u30A2');
    RequestWith({[&] {
                     OpenEditor(1, ItemCommands::Edit, [&] {
                         editor().OnFieldChanged(ItemEditor::Description, kana15 + L"a");
                         editor().OnApply();
                         ASSERT_TRUE(editor().IsOpen());
                         EXPECT_EQ(editor().fields[ItemEditor::Description], kana15 + L"a");

                         editor().OnFieldChanged(ItemEditor::Description, kana15);
                         editor().OnFieldChanged(ItemEditor::Text,
                                                 std::wstring(100, L'\u30A2') + L"a");
                         editor().OnApply();
                         ASSERT_TRUE(editor().IsOpen());
                         EXPECT_EQ(Bytes(), before);

                         editor().OnFieldChanged(ItemEditor::Text, std::wstring(100, L'\u30A2'));
                         editor().OnApply();
                         EXPECT_FALSE(editor().IsOpen());
                     });
                 },
                 Leave()});
    EXPECT_EQ(Boxes(),
              (std::vector<std::wstring>{messages::kDescriptionTooLong, messages::kTextTooLong}));
    EXPECT_EQ(platform.dialogs.shown[0].style, 48u); // a warning
    const auto written = Record(3);
    ASSERT_EQ(written.size(), 232u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 30), doubleByte.Encode(kana15));
    EXPECT_EQ(std::string(written.begin() + 30, written.begin() + 230),
              doubleByte.Encode(std::wstring(100, L'\u30A2')));
}

// A failure inside Apply or Cancel is a warning and writes nothing. Apply fails before it
// writes, and the editor stays open with what was typed; Cancel fails after closing it.
TEST_F(ItemEditorTest, FailureInsideApplyOrCancelIsAWarningAndWritesNothing) {
    const struct {
        const char* what;
        void (ItemEditor::*button)();
        bool editorStays;
    } cases[] = {{"Apply", &ItemEditor::OnApply, true}, {"Cancel", &ItemEditor::OnCancel, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform.dialogs.shown.clear();
        SaveItems({1});
        const auto before = Bytes();
        RequestWith({[&] {
                         OpenEditor(1, ItemCommands::Edit, [&] {
                             ItemEditor& shown = editor();
                             shown.OnFieldChanged(ItemEditor::Text, L"typed");
                             if (c.editorStays) {
                                 testing::FailNextAllocation(); // the first thing Apply does
                             } else {
                                 ui().Pending([] { throw std::bad_alloc(); }); // after closing
                             }
                             (shown.*c.button)();
                             EXPECT_EQ(ui().editor != nullptr && shown.IsOpen(), c.editorStays);
                             if (c.editorStays) {
                                 EXPECT_EQ(shown.fields[ItemEditor::Text], L"typed");
                                 shown.OnCancel();
                             }
                         });
                     },
                     Leave()});
        EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kErrorEditingItem});
        EXPECT_EQ(platform.dialogs.shown[0].style, 48u);
        EXPECT_EQ(Bytes(), before);
    }
}

} // namespace
} // namespace quillery
