#include "editing/ItemEditor.h"

#include "messages/Messages.h"

namespace quillery {

std::unique_ptr<WindowView> ItemEditor::CreateView() {
    return views_.CreateItemEditorView(*this);
}

void ItemEditor::ResetToDesign() {
    left = 0;
    top = 0;
    fields = {};
}

void ItemEditor::OnLoad() {
    menu_.SetPointerWatch(false);
    const TwipsPoint menuCorner = menu_.TopLeft();
    top = menuCorner.y + 300;
    left = menuCorner.x + 800;
    const MenuRecord& item = session_.Snippet(item_);
    fields[Description] = ShownText(item.Description);
    fields[Text] = ShownText(item.Text);
    Refresh();
}

// Back onto the menu with its watch running, unless the menu is closing too (a fatal report,
// another request).
void ItemEditor::OnUnload() {
    if (!menu_.IsOpen() || session_.Windows().ClosingAll()) {
        return;
    }
    menu_.MoveCursorToMenu();
    menu_.SetPointerWatch(true);
}

void ItemEditor::OnFieldChanged(Field field, const std::wstring& text) {
    if (field == Description || field == Text) {
        fields[field] = text.substr(0, kFieldLimits[field]);
    }
}

void ItemEditor::OnApply() {
    session_.Errors().ReportIfFails(messages::kErrorEditingItem, /*fatal=*/false,
                                    [this] { Apply(); });
}

void ItemEditor::OnCancel() {
    session_.Errors().ReportIfFails(messages::kErrorEditingItem, /*fatal=*/false, [this] {
        Close();
        session_.System().desktop->DoEvents();
    });
}

// Whether both fields fit their widths in the data file's code page; says which does not.
// Under a single-byte code page the boxes' limits already keep them short enough.
bool ItemEditor::FieldsFit() {
    const AnsiCodec& ansi = *session_.System().ansi;
    const std::size_t widths[2] = {MenuRecord::kDescriptionWidth, MenuRecord::kTextWidth};
    const wchar_t* refusals[2] = {messages::kDescriptionTooLong, messages::kTextTooLong};
    for (const auto field : {Description, Text}) {
        if (ansi.Encode(TrimSpaces(fields[field])).size() > widths[field]) {
            session_.Errors().Report(refusals[field], /*fatal=*/false);
            return false;
        }
    }
    return true;
}

void ItemEditor::Apply() {
    if (!FieldsFit()) {
        return; // the editor stays open with what was typed
    }
    const bool isNew = item_ == kNewItem;
    if (isNew) {
        // The first empty slot; 21 lies beyond the stored items and is always empty.
        int slot = kFirstItem;
        while (slot <= kLastItem && !session_.Snippet(slot).IsEmptyItem()) {
            ++slot;
        }
        item_ = slot;
    }
    if (IsStoredItem(item_)) {
        MenuRecord record = session_.Snippet(item_);
        record.SetDescription(TrimSpaces(fields[Description]));
        record.SetText(TrimSpaces(fields[Text]));
        if (!session_.SaveItem(item_, record, OnFailedSave::KeepOpen)) {
            // Not written (reported), or refused over another program's change: the menu shows
            // the item as it now is, and the editor stays open with what was typed, for
            // another Apply or Cancel. A new snippet looks for a free slot again. (A failure to
            // read the item again is fatal and has closed everything.)
            if (menu_.IsOpen()) {
                menu_.DisplayMenu();
            }
            if (isNew) {
                item_ = kNewItem;
            }
            return;
        }
        if (!IsOpen()) {
            return;
        }
    }
    menu_.DisplayMenu();
    if (!IsOpen()) {
        return;
    }
    Close();
    session_.System().desktop->DoEvents();
}

} // namespace quillery
