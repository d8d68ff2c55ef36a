#include "views/ItemEditorView.h"

#include "toolkit/Gdi.h"

#include <string>

namespace quillery::win32 {
namespace {

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

ItemEditorView::ItemEditorView(ItemEditor& editor, HINSTANCE instance)
    : NativeView(editor), editor_(editor) {
    Create(instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), ItemEditor::kCaption,
           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    font_.reset(CreateGuiFont(dpi_.y));
    HFONT font = font_.get();
    // In tab order: the description, the text, Apply, Cancel. Neither button is the
    // default: Enter in the text box makes a line break, Escape does nothing.
    for (const auto& label : ItemEditor::kFieldLabels) {
        AddChild(instance, L"STATIC", label.caption, label.box, 0, 0, -1, font);
    }
    const DWORD styles[2] = {ES_AUTOHSCROLL | WS_TABSTOP, ES_MULTILINE | ES_WANTRETURN |
                                                              ES_AUTOVSCROLL | WS_VSCROLL |
                                                              WS_TABSTOP};
    for (const auto field : {ItemEditor::Description, ItemEditor::Text}) {
        fields_[field] = AddChild(instance, L"EDIT", L"", ItemEditor::kFieldBoxes[field],
                                  styles[field], WS_EX_CLIENTEDGE, kFieldIds[field], font);
        SendMessageW(fields_[field], EM_LIMITTEXT, ItemEditor::kFieldLimits[field], 0);
    }
    AddChild(instance, L"BUTTON", ItemEditor::kApplyButton.caption, ItemEditor::kApplyButton.box,
             BS_PUSHBUTTON | WS_TABSTOP, 0, kApplyId, font);
    AddChild(instance, L"BUTTON", ItemEditor::kCancelButton.caption, ItemEditor::kCancelButton.box,
             BS_PUSHBUTTON | WS_TABSTOP, 0, kCancelId, font);
}

LRESULT ItemEditorView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        for (const auto field : {ItemEditor::Description, ItemEditor::Text}) {
            if (id == kFieldIds[field] && code == EN_CHANGE && !updatingFields_) {
                editor_.OnFieldChanged(field, TextOf(reinterpret_cast<HWND>(lParam)));
            }
        }
        if (code == BN_CLICKED) {
            if (id == kApplyId) {
                editor_.OnApply();
            } else if (id == kCancelId) {
                editor_.OnCancel();
            }
        }
        return 0;
    }
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void ItemEditorView::Refresh() {
    if (window_ == nullptr) {
        return;
    }
    updatingFields_ = true;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i] != nullptr && TextOf(fields_[i]) != editor_.fields[i]) {
            SetWindowTextW(fields_[i], editor_.fields[i].c_str());
        }
    }
    updatingFields_ = false;
    PlaceWithClientSize(editor_.left, editor_.top, ItemEditor::kClientWidth,
                        ItemEditor::kClientHeight);
}

} // namespace quillery::win32
