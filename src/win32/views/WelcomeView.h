#pragma once

#include "platform/win32/UniqueResource.h"
#include "platform/win32/views/NativeWindow.h"
#include "welcome/frmIntro.h"

namespace quillery::win32 {

// The welcome window's native window: a fixed tool window with standard controls for the
// check box and the button, its texts as static controls on white.
class IntroView final : public NativeWindow {
public:
    static constexpr const wchar_t* kClassName = L"QuilleryIntro";
    static constexpr int kCommand1Id = 101;
    static constexpr int kCheck1Id = 102;

    IntroView(frmIntro& form, HINSTANCE instance); // throws when the window cannot be made

    void Refresh() override;
    void SetTimer(bool, unsigned) override {}
    int PopupMenu(const std::vector<MenuEntry>&) override { return 0; }

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND InitialFocus() const override { return command1_; }

    frmIntro& form_;
    HWND command1_ = nullptr;
    UniqueGdi<HFONT> titleFont_;
    UniqueGdi<HFONT> textFont_;
    UniqueGdi<HBRUSH> white_;
};

} // namespace quillery::win32
