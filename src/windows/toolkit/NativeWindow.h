#pragma once

#include "base/Boundary.h"
#include "forms/ClosableWindow.h"
#include "forms/PixelScale.h"
#include "forms/WindowParts.h"
#include "platform/WindowView.h"
#include "toolkit/ModalLoop.h"
#include "winapi/ScreenDpi.h"
#include "winapi/UniqueResource.h"

#include <windows.h>

#include <optional>

namespace quillery::win32 {

// What the component's native windows share: the C++ object bound to its window at
// WM_NCCREATE, messages dispatched to Handle() with no exception crossing into the window
// system, the window system's request to close (WM_CLOSE) turned into the presenter's Close()
// for every window alike, Tab between the controls as in a dialog, the modal run, and the
// conversion of twips to pixels. A window is made for the resolution it opens at
// (`WindowDpi()`, asked once as the view is made): its layout, fonts and drawing all scale
// with it, in x and y apart.
class NativeWindow {
public:
    virtual ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    HWND Handle() const { return window_; }

protected:
    // `presenter` is the window's portable side; it must outlive this object.
    explicit NativeWindow(ClosableWindow& presenter);

    // Registers the class (once per module; a second registration is harmless) and creates
    // the window hidden; `ownedByHiddenWindow` gives it an owner of its own that is never shown.
    // Throws when the window cannot be made.
    void Create(HINSTANCE instance, const wchar_t* className, HBRUSH background,
                const wchar_t* title, DWORD style, DWORD exStyle, bool ownedByHiddenWindow = false);

    // Every message but WM_CLOSE, which the base handles.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // What stopped a message that Handle() threw from, caught at the window procedure (which
    // then returns 0): nothing more by default; a window that tells the user says it here.
    virtual void HandleFailed(const CaughtFailure& /*failure*/) noexcept {}
    // The control that has the focus when the window opens.
    virtual HWND InitialFocus() const { return nullptr; }

    // The object that `window`, a window of a class that Create() registered, is bound to;
    // null before WM_NCCREATE and once it is being destroyed.
    static NativeWindow* BoundTo(HWND window) noexcept;

    // The WindowView operations, for the views to implement them with.
    void RunModalLoop();
    void DestroyAndStopModalLoop() noexcept;
    PixelRect ScreenRect() const noexcept;

    // Adds a standard control at a place given in twips, in the given font.
    HWND AddChild(HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                  const TwipsBox& box, DWORD style, DWORD exStyle, int id, HFONT font);

    RECT ToClient(const TwipsBox& box) const;
    // Places the window with a client area of the given size at a position in twips.
    void PlaceWithClientSize(float left, float top, float clientWidth, float clientHeight);
    // Moves and sizes the window, in screen pixels. While it is hidden the place is only kept
    // and taken as the window is shown: one move of the native window, however often the
    // layout changed before, and no move of a window that nobody sees.
    void MoveTo(const RECT& place);

    HWND window_ = nullptr;
    const Dpi dpi_;
    const PixelScale scale_;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_NEXTDLGCTL, which a multi-line edit box sends its parent for Tab and Shift+Tab: the
    // default procedure ignores it, which would keep the focus in the box for ever.
    void MoveFocus(WPARAM wParam, LPARAM lParam);

    ClosableWindow& presenter_;
    UniqueWindow hiddenOwner_; // destroyed after the window it owns, which the destructor ends
    ModalLoop loop_;
    std::optional<RECT> pendingPlace_;
};

// A native window as the port's view `Interface` (WindowView, or PopupView for a window with a
// timer and a context menu): the WindowView part is the native window's.
template <typename Interface> class NativeView : public Interface, public NativeWindow {
public:
    void RunModal() override { RunModalLoop(); }
    void EndModal() noexcept override { DestroyAndStopModalLoop(); }
    PixelRect WindowRect() noexcept override { return ScreenRect(); }

protected:
    explicit NativeView(ClosableWindow& presenter) : NativeWindow(presenter) {}
};

} // namespace quillery::win32
