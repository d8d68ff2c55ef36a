#pragma once

#include "editing/FrmEditItem.h"
#include "platform/win32/views/NativeWindow.h"

#include <array>

namespace quillery::win32 {

// The item editor's native window: a fixed tool window with two labels, a one-line and a
// multi-line text box limited to the field widths, and the Apply and Cancel buttons.
class EditView final : public NativeWindow {
public:
    static constexpr const wchar_t* kClassName = L"QuilleryEditItem";
    static constexpr int kTextId[2] = {201, 202};
    static constexpr int kActionId[2] = {211, 212};

    EditView(FrmEditItem& form, HINSTANCE instance); // throws when the window cannot be made

    void Refresh() override;
    void SetTimer(bool, unsigned) override {}
    int PopupMenu(const std::vector<MenuEntry>&) override { return 0; }

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND InitialFocus() const override { return texts_[0]; }

    FrmEditItem& form_;
    std::array<HWND, 2> texts_{};
    bool updatingTexts_ = false;
};

} // namespace quillery::win32
