#include "platform/win32/views/IntroView.h"

#include "platform/win32/views/Paint.h"

namespace quillery::win32 {

IntroView::IntroView(frmIntro& form, HINSTANCE instance) : form_(form) {
    titleFont_.reset(CreatePointFont(L"Arial", frmIntro::kLabel2.fontPoints, true));
    textFont_.reset(CreatePointFont(L"Arial", frmIntro::kLabel3.fontPoints, true));
    white_.reset(CreateSolidBrush(ResolveColor(frmIntro::kBackColor)));
    Create(instance, kClassName, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), L"",
           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);

    auto* guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const auto* label : {&frmIntro::kLabel2, &frmIntro::kLabel3, &frmIntro::kLabel1}) {
        AddChild(instance, L"STATIC", label->text, label->box, SS_CENTER, 0, -1,
                 label == &frmIntro::kLabel2 ? titleFont_.get() : textFont_.get());
    }
    // Created in tab order: the button first, then the check box.
    command1_ = AddChild(instance, L"BUTTON", frmIntro::kCommand1.text, frmIntro::kCommand1.box,
                         BS_PUSHBUTTON | WS_TABSTOP, 0, kCommand1Id, guiFont);
    AddChild(instance, L"BUTTON", frmIntro::kCheck1.text, frmIntro::kCheck1.box,
             BS_AUTOCHECKBOX | WS_TABSTOP, 0, kCheck1Id, guiFont);
}

LRESULT IntroView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        DrawIllustration(dc, ToClient(frmIntro::kImage1));
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        // The labels and the check box stand on the window's white.
        auto dc = reinterpret_cast<HDC>(wParam);
        const bool isCheckBox = GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kCheck1Id;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, isCheckBox ? GetSysColor(COLOR_WINDOWTEXT)
                                    : ResolveColor(frmIntro::kLabelColor));
        return reinterpret_cast<LRESULT>(white_.get());
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            const auto control = reinterpret_cast<HWND>(lParam);
            if (LOWORD(wParam) == kCheck1Id) {
                const bool ticked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
                form_.Check1_Click(ticked ? 1 : 0);
            } else if (LOWORD(wParam) == kCommand1Id) {
                form_.Command1_Click();
            }
        }
        return 0; // Enter and Escape (IDOK, IDCANCEL) do nothing of their own
    case WM_CLOSE:
        form_.Close();
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void IntroView::Refresh() {
    if (window_ == nullptr) {
        return;
    }
    SetWindowTextW(window_, form_.Caption.c_str());
    PlaceWithClientSize(form_.Left, form_.Top, frmIntro::kClientWidth, frmIntro::kClientHeight);
}

} // namespace quillery::win32
