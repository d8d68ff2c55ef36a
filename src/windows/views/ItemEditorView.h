#pragma once

#include "editing/ItemEditor.h"
#include "toolkit/NativeWindow.h"
#include "winapi/UniqueResource.h"

#include <array>

namespace quillery::win32 {

// The item editor's native window: a fixed tool window with two labels, a one-line and a
// multi-line text box limited to the field widths, and the Apply and Cancel buttons.
class ItemEditorView final : public NativeView<WindowView> {
public:
    static constexpr const wchar_t* kClassName = L"QuilleryItemEditor";
    static constexpr int kFieldIds[2] = {201, 202}; // by ItemEditor::Field
    static constexpr int kApplyId = 211;
    static constexpr int kCancelId = 212;

    ItemEditorView(ItemEditor& editor, HINSTANCE instance); // throws when it cannot be made

    void Refresh() override;

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND InitialFocus() const override { return fields_[ItemEditor::Description]; }

    ItemEditor& editor_;
    UniqueGdi<HFONT> font_;        // the controls' font, made for the window's resolution
    std::array<HWND, 2> fields_{}; // by ItemEditor::Field
    bool updatingFields_ = false;
};

} // namespace quillery::win32
