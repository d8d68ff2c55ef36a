#pragma once

#include "menu/Controls.h"
#include "shared/Form.h"

#include <string>

namespace quillery {

// The welcome window: explains the menu to a new user, who can switch it off for good.
class frmIntro final : public Form {
public:
    // The window's design, in twips relative to its client area.
    static constexpr float kClientWidth = 4950;
    static constexpr float kClientHeight = 2670;
    static constexpr ColorRef kBackColor = colors::kWhite;
    static constexpr ColorRef kLabelColor = 0x00C00000; // dark blue

    struct TextControl {
        TwipsBox box;
        const wchar_t* text;
        float fontPoints; // 0: the window's default font
        bool bold;
    };
    static constexpr TwipsBox kImage1{0, -135, 1800, 2730};
    static constexpr TextControl kLabel2{
        {1620, 0, 3165, 600}, L"Complete forms in seconds with Quillery.", 12, true};
    static constexpr TextControl kLabel3{
        {1665, 630, 3165, 735},
        L"Place text into your current form by clicking an item on the following menu",
        9.75f,
        true};
    static constexpr TextControl kLabel1{
        {1755, 1395, 3165, 645},
        L"Right click a menu item to edit, remove or change its position.",
        9.75f,
        true};
    static constexpr TextControl kCheck1{
        {2115, 1935, 2310, 195}, L"Do not show this form again", 0, false};
    static constexpr TextControl kCommand1{{1845, 2205, 2940, 375}, L"&Continue", 0, false};

    frmIntro() : Form(FatalCloseSlot::Intro) {}

    void Show() { ShowModal(); }

    // State that the view draws.
    std::wstring Caption;
    float Left = 0;
    float Top = 0;
    int Check1 = 0; // 1 when ticked

    // Events.
    void Check1_Click(int value);
    void Command1_Click();

private:
    std::unique_ptr<WindowView> CreateView() override;
    void ResetToDesign() override;
    void Form_Load() override;
    void Form_Unload() override {}
};

} // namespace quillery
