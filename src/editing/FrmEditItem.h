#pragma once

#include "menu/Controls.h"
#include "shared/Form.h"

#include <array>
#include <string>

namespace quillery {

// The item editor: a small tool window with a description (30 characters) and a text to
// insert (200 characters, several lines), opened modally over the pop-up for the current
// item, or for a new item when the current item is 0.
class FrmEditItem final : public Form {
public:
    static constexpr float kClientWidth = 3645;
    static constexpr float kClientHeight = 2535;
    static constexpr const wchar_t* kCaption = L"Edit Item";

    struct Control {
        TwipsBox box;
        const wchar_t* caption;
    };
    static constexpr Control klblItem[2] = {{{150, 60, 1215, 255}, L"Description"},
                                            {{150, 630, 1215, 255}, L"Text to Insert"}};
    static constexpr TwipsBox ktxtItem[2] = {{150, 300, 3285, 255}, {150, 840, 3285, 1035}};
    static constexpr std::size_t kMaxLength[2] = {30, 200};
    static constexpr Control kcmdAction[2] = {{{210, 1950, 1485, 465}, L"&Apply"},
                                              {{1980, 1980, 1485, 465}, L"&Cancel"}};

    FrmEditItem() : Form(FatalCloseSlot::EditItem) {}

    void Show() { ShowModal(); }

    // State that the view draws and edits.
    float Left = 0;
    float Top = 0;
    std::array<std::wstring, 2> txtItem;

    // Events.
    void txtItem_Change(int Index, const std::wstring& text); // the user typed
    void cmdAction_Click(std::int16_t Index);                 // 0 Apply, 1 Cancel

private:
    std::unique_ptr<WindowView> CreateView() override;
    void ResetToDesign() override;
    void Form_Load() override;
    void Form_Unload() override;

    void Apply();
};

} // namespace quillery
