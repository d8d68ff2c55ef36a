#include "platform/win32/views/EditView.h"

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

EditView::EditView(FrmEditItem& form, HINSTANCE instance) : form_(form) {
    Create(instance, kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), FrmEditItem::kCaption,
           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    auto* font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // In tab order: the description, the text, Apply, Cancel. Neither button is the
    // default: Enter in the text box makes a line break, Escape does nothing.
    for (const auto& label : FrmEditItem::klblItem) {
        AddChild(instance, L"STATIC", label.caption, label.box, 0, 0, -1, font);
    }
    const DWORD styles[2] = {ES_AUTOHSCROLL | WS_TABSTOP, ES_MULTILINE | ES_WANTRETURN |
                                                              ES_AUTOVSCROLL | WS_VSCROLL |
                                                              WS_TABSTOP};
    for (int i = 0; i < 2; ++i) {
        texts_[i] = AddChild(instance, L"EDIT", L"", FrmEditItem::ktxtItem[i], styles[i],
                             WS_EX_CLIENTEDGE, kTextId[i], font);
        SendMessageW(texts_[i], EM_LIMITTEXT, FrmEditItem::kMaxLength[i], 0);
    }
    for (int i = 0; i < 2; ++i) {
        AddChild(instance, L"BUTTON", FrmEditItem::kcmdAction[i].caption,
                 FrmEditItem::kcmdAction[i].box, BS_PUSHBUTTON | WS_TABSTOP, 0, kActionId[i], font);
    }
}

LRESULT EditView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        for (int i = 0; i < 2; ++i) {
            if (id == kTextId[i] && code == EN_CHANGE && !updatingTexts_) {
                form_.txtItem_Change(i, TextOf(reinterpret_cast<HWND>(lParam)));
            }
            if (id == kActionId[i] && code == BN_CLICKED) {
                form_.cmdAction_Click(static_cast<std::int16_t>(i));
            }
        }
        return 0;
    }
    case WM_CLOSE:
        form_.Close();
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void EditView::Refresh() {
    if (window_ == nullptr) {
        return;
    }
    updatingTexts_ = true;
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        if (texts_[i] != nullptr && TextOf(texts_[i]) != form_.txtItem[i]) {
            SetWindowTextW(texts_[i], form_.txtItem[i].c_str());
        }
    }
    updatingTexts_ = false;
    PlaceWithClientSize(form_.Left, form_.Top, FrmEditItem::kClientWidth,
                        FrmEditItem::kClientHeight);
}

} // namespace quillery::win32
