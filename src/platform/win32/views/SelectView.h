#pragma once

#include "menu/FrmSelect.h"
#include "platform/WindowView.h"
#include "platform/win32/views/ModalLoop.h"
#include "platform/win32/views/Paint.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quillery::win32 {

// The pop-up menu's native window: a borderless tool window that paints the presenter's
// labels, banner and separator itself, hit-tests through the presenter, shows one tooltip
// control for the lines, and runs the presenter's timer.
class SelectView final : public WindowView {
public:
    static constexpr const wchar_t* kClassName = L"QuillerySelect";

    SelectView(FrmSelect& form, HINSTANCE instance); // throws when the window cannot be made
    ~SelectView() override;
    SelectView(const SelectView&) = delete;
    SelectView& operator=(const SelectView&) = delete;

    void Refresh() override;
    void RunModal() override;
    void EndModal() override;
    PixelRect WindowRect() override;
    void SetTimer(bool enabled, unsigned intervalMs) override;
    int PopupMenu(const std::vector<MenuEntry>& entries) override;

    HWND Handle() const { return window_; }
    static void RegisterClass(HINSTANCE instance);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    RECT FrameBoxToClient(const TwipsBox& box) const;
    POINT FramePointToClient(float x, float y) const;
    void Paint(HDC dc, const RECT& client);
    void PaintLabel(HDC dc, const Label& label);
    void SyncTooltips();

    FrmSelect& form_;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    UniqueGdi<HFONT> font_;
    ModalLoop loop_;
    double twipsPerPixelX_ = 15;
    double twipsPerPixelY_ = 15;
    bool timerOn_ = false;
    struct Tool {
        RECT rect;
        std::wstring text;
        bool operator==(const Tool& other) const {
            return EqualRect(&rect, &other.rect) && text == other.text;
        }
    };
    std::vector<Tool> tools_; // what the tooltip control holds, by line index - 1
};

} // namespace quillery::win32
