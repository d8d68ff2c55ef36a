#include "platform/win32/views/IntroView.h"

#include <cmath>
#include <stdexcept>

namespace quillery::win32 {
namespace {

int Round(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

void IntroView::RegisterClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &IntroView::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
}

IntroView::IntroView(frmIntro& form, HINSTANCE instance) : form_(form), instance_(instance) {
    twipsPerPixel_ = 1440.0 / ScreenDpi();
    titleFont_.reset(CreatePointFont(L"Arial", frmIntro::kLabel2.fontPoints, true));
    textFont_.reset(CreatePointFont(L"Arial", frmIntro::kLabel3.fontPoints, true));
    white_.reset(CreateSolidBrush(ResolveColor(frmIntro::kBackColor)));

    RegisterClass(instance);
    window_ = CreateWindowExW(kExStyle, kClassName, L"", kStyle, 0, 0, 1, 1, nullptr, nullptr,
                              instance, this);
    if (window_ == nullptr) {
        throw std::runtime_error("cannot create the welcome window");
    }
    auto* guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const HFONT title = titleFont_.get();
    const HFONT text = textFont_.get();
    AddControl(L"STATIC", frmIntro::kLabel2, SS_CENTER, -1, title);
    AddControl(L"STATIC", frmIntro::kLabel3, SS_CENTER, -1, text);
    AddControl(L"STATIC", frmIntro::kLabel1, SS_CENTER, -1, text);
    // Created in tab order: the button first, then the check box.
    command1_ = AddControl(L"BUTTON", frmIntro::kCommand1, BS_PUSHBUTTON | WS_TABSTOP, kCommand1Id,
                           guiFont);
    AddControl(L"BUTTON", frmIntro::kCheck1, BS_AUTOCHECKBOX | WS_TABSTOP, kCheck1Id, guiFont);
}

IntroView::~IntroView() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

HWND IntroView::AddControl(const wchar_t* className, const frmIntro::TextControl& design,
                           DWORD style, int id, HFONT font) {
    const RECT rect = ToClient(design.box);
    HWND control =
        CreateWindowExW(0, className, design.text, WS_CHILD | WS_VISIBLE | style, rect.left,
                        rect.top, rect.right - rect.left, rect.bottom - rect.top, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (control != nullptr) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

RECT IntroView::ToClient(const TwipsBox& box) const {
    return RECT{Round(box.left / twipsPerPixel_), Round(box.top / twipsPerPixel_),
                Round((box.left + box.width) / twipsPerPixel_),
                Round((box.top + box.height) / twipsPerPixel_)};
}

LRESULT CALLBACK IntroView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* creating = static_cast<IntroView*>(create->lpCreateParams);
        creating->window_ = window; // messages come before CreateWindowExW returns
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    auto* view = reinterpret_cast<IntroView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (view == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return view->Handle(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
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
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (LOWORD(wParam) == kCheck1Id) {
                form_.Check1_Click(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
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
    RECT frame{0, 0, Round(frmIntro::kClientWidth / twipsPerPixel_),
               Round(frmIntro::kClientHeight / twipsPerPixel_)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    SetWindowPos(window_, nullptr, Round(form_.Left / twipsPerPixel_),
                 Round(form_.Top / twipsPerPixel_), frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void IntroView::RunModal() {
    if (window_ != nullptr) {
        loop_.Run(window_, command1_);
    }
}

void IntroView::EndModal() {
    loop_.Stop();
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

PixelRect IntroView::WindowRect() {
    RECT rect{};
    if (window_ != nullptr) {
        GetWindowRect(window_, &rect);
    }
    return PixelRect{rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace quillery::win32
