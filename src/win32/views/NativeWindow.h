#pragma once

#include "menu/Controls.h"
#include "platform/WindowView.h"
#include "platform/win32/views/ModalLoop.h"

#include <windows.h>

namespace quillery::win32 {

// What the component's native windows share: the C++ object bound to its window at
// WM_NCCREATE, messages dispatched to Handle() with no exception crossing into the window
// system, the modal run, and the conversion of twips to pixels.
class NativeWindow : public WindowView {
public:
    ~NativeWindow() override;
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    void RunModal() override;
    void EndModal() override;
    PixelRect WindowRect() override;

    HWND Handle() const { return window_; }

protected:
    NativeWindow();

    // Registers the class (once per module; a second registration is harmless) and creates
    // the window hidden. Throws when the window cannot be made.
    void Create(HINSTANCE instance, const wchar_t* className, HBRUSH background,
                const wchar_t* title, DWORD style, DWORD exStyle);

    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The control that has the focus when the window opens.
    virtual HWND InitialFocus() const { return nullptr; }

    // Adds a standard control at a place given in twips, in the given font.
    HWND AddChild(HINSTANCE instance, const wchar_t* className, const wchar_t* text,
                  const TwipsBox& box, DWORD style, DWORD exStyle, int id, HFONT font);

    int Pixels(double twips) const;
    RECT ToClient(const TwipsBox& box) const;
    // Places the window with a client area of the given size at a position in twips.
    void PlaceWithClientSize(float left, float top, float clientWidth, float clientHeight);

    HWND window_ = nullptr;
    double twipsPerPixel_ = 15;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    ModalLoop loop_;
};

} // namespace quillery::win32
