#include "editing/ItemEditor.h"

#include "record/Messages.h"

namespace quillery {

std::unique_ptr<WindowView> ItemEditor::CreateView() {
    return views_.CreateItemEditorView(*this);
}

void ItemEditor::ResetToDesign() {
    left = 0;
    top = 0;
    fields = {};
}

// Every step on its own: a step that fails is skipped and the next one runs.
void ItemEditor::OnLoad() {
    try {
        menu_.SetPointerWatch(false);
    } catch (...) {
    }
    try {
        const TwipsPoint menuCorner = menu_.TopLeft();
        top = menuCorner.y + 300;
        left = menuCorner.x + 800;
    } catch (...) {
    }
    try {
        const MenuRecord& item =
            session_.snippets.at(static_cast<std::size_t>(session_.currentItem));
        fields[Description] = UpToFirstNul(TrimSpaces(item.Description));
        fields[Text] = UpToFirstNul(TrimSpaces(item.Text));
    } catch (...) {
    }
    Refresh();
}

// Back onto the menu with its watch running, unless a fatal report is closing it too.
void ItemEditor::OnUnload() {
    if (!menu_.IsOpen() || session_.windows.ClosingForFatalReport()) {
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
    try {
        Apply();
    } catch (...) {
        session_.errors.Report(messages::kErrorEditingItem, /*fatal=*/false);
    }
}

void ItemEditor::OnCancel() {
    try {
        Close();
        session_.platform.desktop->DoEvents();
    } catch (...) {
        session_.errors.Report(messages::kErrorEditingItem, /*fatal=*/false);
    }
}

// Whether both fields fit their widths in the data file's code page; says which does not.
// Under a single-byte code page the boxes' limits already keep them short enough.
bool ItemEditor::FieldsFit() {
    const AnsiCodec& ansi = *session_.platform.ansi;
    const std::size_t widths[2] = {MenuRecord::kDescriptionWidth, MenuRecord::kTextWidth};
    const wchar_t* refusals[2] = {messages::kDescriptionTooLong, messages::kTextTooLong};
    for (const auto field : {Description, Text}) {
        if (ansi.Encode(TrimSpaces(fields[field])).size() > widths[field]) {
            session_.errors.Report(refusals[field], /*fatal=*/false);
            return false;
        }
    }
    return true;
}

void ItemEditor::Apply() {
    if (!FieldsFit()) {
        return; // the editor stays open with what was typed
    }
    if (session_.currentItem == 0) {
        // The first empty slot; 21 lies beyond the stored items and is always empty.
        int slot = kFirstItem;
        while (slot < kLastItem + 1 &&
               !session_.snippets.at(static_cast<std::size_t>(slot)).IsEmptyItem()) {
            ++slot;
        }
        session_.currentItem = slot;
    }
    const int item = session_.currentItem;
    if (item >= kFirstItem && item <= kLastItem) {
        MenuRecord& record = session_.snippets.at(static_cast<std::size_t>(item));
        record.SetDescription(TrimSpaces(fields[Description]));
        record.SetText(TrimSpaces(fields[Text]));
        if (!session_.SaveItem(item, record) || !IsOpen()) {
            return; // a fatal report has closed the editor and the menu
        }
    }
    menu_.DisplayMenu();
    if (!IsOpen()) {
        return;
    }
    Close();
    session_.platform.desktop->DoEvents();
}

} // namespace quillery
