#include "platform/win32/views/EditView.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace quillery::win32 {
namespace {

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

EditView::EditView(FrmEditItem& form, HINSTANCE instance) : form_(form), instance_(instance) {
    twipsPerPixel_ = 1440.0 / ScreenDpi();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &EditView::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    window_ = CreateWindowExW(kExStyle, kClassName, FrmEditItem::kCaption, kStyle, 0, 0, 1, 1,
                              nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        throw std::runtime_error("cannot create the item editor");
    }
    // In tab order: the description, the text, Apply, Cancel. Neither button is the
    // default: Enter in the text box makes a line break, Escape does nothing.
    for (int i = 0; i < 2; ++i) {
        AddControl(L"STATIC", FrmEditItem::klblItem[i].caption, FrmEditItem::klblItem[i].box, 0, 0,
                   -1);
    }
    texts_[0] = AddControl(L"EDIT", L"", FrmEditItem::ktxtItem[0], ES_AUTOHSCROLL | WS_TABSTOP,
                           WS_EX_CLIENTEDGE, kTextId[0]);
    texts_[1] = AddControl(L"EDIT", L"", FrmEditItem::ktxtItem[1],
                           ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                           WS_EX_CLIENTEDGE, kTextId[1]);
    for (int i = 0; i < 2; ++i) {
        SendMessageW(texts_[i], EM_LIMITTEXT, FrmEditItem::kMaxLength[i], 0);
        AddControl(L"BUTTON", FrmEditItem::kcmdAction[i].caption, FrmEditItem::kcmdAction[i].box,
                   BS_PUSHBUTTON | WS_TABSTOP, 0, kActionId[i]);
    }
}

EditView::~EditView() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

HWND EditView::AddControl(const wchar_t* className, const wchar_t* text, const TwipsBox& box,
                          DWORD style, DWORD exStyle, int id) {
    const RECT rect = ToClient(box);
    HWND control =
        CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rect.left,
                        rect.top, rect.right - rect.left, rect.bottom - rect.top, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (control != nullptr) {
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }
    return control;
}

RECT EditView::ToClient(const TwipsBox& box) const {
    return RECT{Round(box.left / twipsPerPixel_), Round(box.top / twipsPerPixel_),
                Round((box.left + box.width) / twipsPerPixel_),
                Round((box.top + box.height) / twipsPerPixel_)};
}

LRESULT CALLBACK EditView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* creating = static_cast<EditView*>(create->lpCreateParams);
        creating->window_ = window; // messages come before CreateWindowExW returns
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    auto* view = reinterpret_cast<EditView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (view == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view->window_ = nullptr;
        view->texts_ = {};
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return view->Handle(message, wParam, lParam);
    } catch (...) {
        return 0;
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
    RECT frame{0, 0, Round(FrmEditItem::kClientWidth / twipsPerPixel_),
               Round(FrmEditItem::kClientHeight / twipsPerPixel_)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    SetWindowPos(window_, nullptr, Round(form_.Left / twipsPerPixel_),
                 Round(form_.Top / twipsPerPixel_), frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void EditView::RunModal() {
    if (window_ != nullptr) {
        loop_.Run(window_, texts_[0]);
    }
}

void EditView::EndModal() {
    loop_.Stop();
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

PixelRect EditView::WindowRect() {
    RECT rect{};
    if (window_ != nullptr) {
        GetWindowRect(window_, &rect);
    }
    return PixelRect{rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace quillery::win32
