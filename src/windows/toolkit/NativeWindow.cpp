#include "toolkit/NativeWindow.h"

#include "base/Boundary.h"
#include "base/Failure.h"
#include "winapi/Win32Boundary.h"

#include <utility>

namespace quillery::win32 {

NativeWindow::NativeWindow(ClosableWindow& presenter)
    : dpi_(WindowDpi()), scale_(PixelScale::ForDpi(dpi_.x, dpi_.y)), presenter_(presenter) {}

NativeWindow::~NativeWindow() {
    if (window_ != nullptr) {
        // The derived view is gone already: its last messages go to the default procedure.
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        loop_.End(window_);
    }
}

void NativeWindow::Create(HINSTANCE instance, const wchar_t* className, HBRUSH background,
                          const wchar_t* title, DWORD style, DWORD exStyle,
                          bool ownedByHiddenWindow) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &NativeWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
    loop_.RememberActiveWindow(); // the window that opens this one, before anything else shows
    if (ownedByHiddenWindow) {
        // An X window manager (which Wine at its default hands every window with a caption)
        // does not give the keyboard to a new window that it takes for a main window kept out
        // of the taskbar, as an unowned tool window is; an owned pop-up is a dialog to it, and
        // gets the keyboard as it opens. On Windows the owner changes nothing that shows: a
        // tool window has no taskbar button either way, and a hidden window is never activated.
        hiddenOwner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                           nullptr, instance, nullptr));
    }
    CreateWindowExW(exStyle, className, title, style, 0, 0, 1, 1, hiddenOwner_.get(), nullptr,
                    instance, this);
    if (window_ == nullptr) {
        throw Failure("cannot create a window", GetLastError());
    }
}

NativeWindow* NativeWindow::BoundTo(HWND window) noexcept {
    return reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK NativeWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* creating = static_cast<NativeWindow*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        creating->window_ = window; // messages come before CreateWindowExW returns
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    NativeWindow* self = BoundTo(window);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return win32::WindowMessage(
        [&]() -> LRESULT {
            if (message == WM_NEXTDLGCTL) {
                self->MoveFocus(wParam, lParam);
                return 0;
            }
            if (message == WM_CLOSE) {
                // The window system asked (Alt+F4, the close box, another program): the same
                // unload as every other way out, which destroys the window.
                self->presenter_.Close();
                return 0;
            }
            return self->Handle(message, wParam, lParam);
        },
        [&]() -> LRESULT {
            self->HandleFailed(CurrentFailure());
            return 0; // the message is answered as handled
        });
}

// As a dialog does: to the control in wParam when lParam says so, else to the next (wParam 0)
// or previous tab stop, with the text of an edit box selected as Tab selects it.
void NativeWindow::MoveFocus(WPARAM wParam, LPARAM lParam) {
    HWND next = LOWORD(lParam) != 0
                    ? reinterpret_cast<HWND>(wParam)
                    : GetNextDlgTabItem(window_, GetFocus(), static_cast<BOOL>(wParam != 0));
    if (next == nullptr || !IsChild(window_, next)) {
        return;
    }
    if (LOWORD(lParam) == 0 && (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageW(next, EM_SETSEL, 0, -1);
    }
    SetFocus(next);
}

void NativeWindow::RunModalLoop() {
    if (window_ != nullptr) {
        // From the show on, the window's place is what the window system reports.
        const std::optional<RECT> place = std::exchange(pendingPlace_, std::nullopt);
        loop_.Run(window_, InitialFocus(), place ? &*place : nullptr);
    }
}

void NativeWindow::DestroyAndStopModalLoop() noexcept {
    loop_.End(window_);
}

PixelRect NativeWindow::ScreenRect() const noexcept {
    RECT rect{};
    if (pendingPlace_) {
        rect = *pendingPlace_;
    } else if (window_ != nullptr) {
        GetWindowRect(window_, &rect);
    }
    return PixelRect{rect.left, rect.top, rect.right, rect.bottom};
}

HWND NativeWindow::AddChild(HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                            const TwipsBox& box, DWORD style, DWORD exStyle, int id, HFONT font) {
    const RECT rect = ToClient(box);
    HWND control =
        CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rect.left,
                        rect.top, rect.right - rect.left, rect.bottom - rect.top, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control != nullptr) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

RECT NativeWindow::ToClient(const TwipsBox& box) const {
    const PixelRect rect = scale_.Box(box);
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

void NativeWindow::PlaceWithClientSize(float left, float top, float clientWidth,
                                       float clientHeight) {
    RECT frame{0, 0, scale_.X(clientWidth), scale_.Y(clientHeight)};
    AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                           static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)), dpi_);
    const int x = scale_.X(left);
    const int y = scale_.Y(top);
    MoveTo(RECT{x, y, x + frame.right - frame.left, y + frame.bottom - frame.top});
}

void NativeWindow::MoveTo(const RECT& place) {
    if (window_ == nullptr) {
        return;
    }
    if (!IsWindowVisible(window_)) {
        pendingPlace_ = place; // taken as the window is shown
        return;
    }
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace quillery::win32
