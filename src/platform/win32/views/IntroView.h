#pragma once

#include "platform/WindowView.h"
#include "platform/win32/views/ModalLoop.h"
#include "platform/win32/views/Paint.h"
#include "welcome/frmIntro.h"

#include <windows.h>

namespace quillery::win32 {

// The welcome window's native window: a fixed tool window with standard controls for the
// check box and the button, its texts as static controls on white.
class IntroView final : public WindowView {
public:
    static constexpr const wchar_t* kClassName = L"QuilleryIntro";
    static constexpr int kCommand1Id = 101;
    static constexpr int kCheck1Id = 102;

    IntroView(frmIntro& form, HINSTANCE instance); // throws when the window cannot be made
    ~IntroView() override;
    IntroView(const IntroView&) = delete;
    IntroView& operator=(const IntroView&) = delete;

    void Refresh() override;
    void RunModal() override;
    void EndModal() override;
    PixelRect WindowRect() override;
    void SetTimer(bool, unsigned) override {}
    int PopupMenu(const std::vector<MenuEntry>&) override { return 0; }

    static void RegisterClass(HINSTANCE instance);

private:
    static constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    static constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    RECT ToClient(const TwipsBox& box) const;
    HWND AddControl(const wchar_t* className, const frmIntro::TextControl& design, DWORD style,
                    int id, HFONT font);

    frmIntro& form_;
    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND command1_ = nullptr;
    ModalLoop loop_;
    double twipsPerPixel_ = 15;
    UniqueGdi<HFONT> titleFont_;
    UniqueGdi<HFONT> textFont_;
    UniqueGdi<HBRUSH> white_;
};

} // namespace quillery::win32
