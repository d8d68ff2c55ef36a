#pragma once

#include "editing/FrmEditItem.h"
#include "platform/WindowView.h"
#include "platform/win32/views/ModalLoop.h"
#include "platform/win32/views/Paint.h"

#include <windows.h>

#include <array>

namespace quillery::win32 {

// The item editor's native window: a fixed tool window with two labels, a one-line and a
// multi-line text box limited to the field widths, and the Apply and Cancel buttons.
class EditView final : public WindowView {
public:
    static constexpr const wchar_t* kClassName = L"QuilleryEditItem";
    static constexpr int kTextId[2] = {201, 202};
    static constexpr int kActionId[2] = {211, 212};

    EditView(FrmEditItem& form, HINSTANCE instance); // throws when the window cannot be made
    ~EditView() override;
    EditView(const EditView&) = delete;
    EditView& operator=(const EditView&) = delete;

    void Refresh() override;
    void RunModal() override;
    void EndModal() override;
    PixelRect WindowRect() override;
    void SetTimer(bool, unsigned) override {}
    int PopupMenu(const std::vector<MenuEntry>&) override { return 0; }

private:
    static constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    static constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    RECT ToClient(const TwipsBox& box) const;
    HWND AddControl(const wchar_t* className, const wchar_t* text, const TwipsBox& box, DWORD style,
                    DWORD exStyle, int id);

    FrmEditItem& form_;
    HINSTANCE instance_;
    HWND window_ = nullptr;
    std::array<HWND, 2> texts_{};
    ModalLoop loop_;
    double twipsPerPixel_ = 15;
    bool updatingTexts_ = false;
};

} // namespace quillery::win32
