#pragma once

#include "toolkit/NativeWindow.h"
#include "welcome/WelcomeWindow.h"
#include "winapi/UniqueResource.h"

namespace quillery::win32 {

// The welcome window's native window: a fixed tool window with standard controls for the
// check box and the button, its texts as static controls on white.
class WelcomeView final : public NativeView<WindowView> {
public:
    static constexpr const wchar_t* kClassName = L"QuilleryWelcome";
    static constexpr int kContinueId = 101;
    static constexpr int kDontShowAgainId = 102;

    WelcomeView(WelcomeWindow& window, HINSTANCE instance); // throws when it cannot be made

    void Refresh() override;

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND InitialFocus() const override { return continueButton_; }

    WelcomeWindow& welcome_;
    HWND continueButton_ = nullptr;
    UniqueGdi<HFONT> headlineFont_;
    UniqueGdi<HFONT> hintFont_;
    UniqueGdi<HFONT> guiFont_; // the button's and the check box's
    UniqueGdi<HBRUSH> white_;
};

} // namespace quillery::win32
