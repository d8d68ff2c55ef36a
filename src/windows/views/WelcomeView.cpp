#include "views/WelcomeView.h"

#include "views/Pictures.h"

namespace quillery::win32 {

WelcomeView::WelcomeView(WelcomeWindow& window, HINSTANCE instance)
    : NativeView(window), welcome_(window) {
    // Every font is made for the window's resolution.
    headlineFont_.reset(
        CreatePointFont(L"Arial", WelcomeWindow::kHeadline.fontPoints, true, dpi_.y));
    hintFont_.reset(CreatePointFont(L"Arial", WelcomeWindow::kChooseHint.fontPoints, true, dpi_.y));
    guiFont_.reset(CreateGuiFont(dpi_.y));
    white_.reset(CreateSolidBrush(ResolveColor(WelcomeWindow::kBackColor)));
    Create(instance, kClassName, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), L"",
           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
           /*ownedByHiddenWindow=*/true);

    HFONT guiFont = guiFont_.get();
    for (const auto* text :
         {&WelcomeWindow::kHeadline, &WelcomeWindow::kChooseHint, &WelcomeWindow::kEditHint}) {
        AddChild(instance, L"STATIC", text->text, text->box, SS_CENTER, 0, -1,
                 text == &WelcomeWindow::kHeadline ? headlineFont_.get() : hintFont_.get());
    }
    // Created in tab order: the button first, then the check box.
    continueButton_ = AddChild(instance, L"BUTTON", WelcomeWindow::kContinueButton.text,
                               WelcomeWindow::kContinueButton.box, BS_PUSHBUTTON | WS_TABSTOP, 0,
                               kContinueId, guiFont);
    AddChild(instance, L"BUTTON", WelcomeWindow::kDontShowAgainBox.text,
             WelcomeWindow::kDontShowAgainBox.box, BS_AUTOCHECKBOX | WS_TABSTOP, 0,
             kDontShowAgainId, guiFont);
}

LRESULT WelcomeView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        DrawIllustration(dc, ToClient(WelcomeWindow::kIllustrationBox));
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        // The texts and the check box stand on the window's white.
        auto dc = reinterpret_cast<HDC>(wParam);
        const bool isCheckBox = GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kDontShowAgainId;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, isCheckBox ? GetSysColor(COLOR_WINDOWTEXT)
                                    : ResolveColor(WelcomeWindow::kTextColor));
        return reinterpret_cast<LRESULT>(white_.get());
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            const auto control = reinterpret_cast<HWND>(lParam);
            if (LOWORD(wParam) == kDontShowAgainId) {
                welcome_.OnDontShowAgainChanged(SendMessageW(control, BM_GETCHECK, 0, 0) ==
                                                BST_CHECKED);
            } else if (LOWORD(wParam) == kContinueId) {
                welcome_.OnContinue();
            }
        }
        return 0; // Enter and Escape (IDOK, IDCANCEL) do nothing of their own
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void WelcomeView::Refresh() {
    if (window_ == nullptr) {
        return;
    }
    SetWindowTextW(window_, welcome_.caption.c_str());
    PlaceWithClientSize(welcome_.left, welcome_.top, WelcomeWindow::kClientWidth,
                        WelcomeWindow::kClientHeight);
}

} // namespace quillery::win32
