#pragma once

#include "menu/Controls.h"
#include "platform/Desktop.h"
#include "shared/Form.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillery {

// The pop-up menu window: a borderless window at the pointer that lists the stored snippets,
// with a banner above them and two link entries below. All geometry is in twips; controls
// other than the timer lie in the frame FraMain and are positioned relative to it.
class FrmSelect final : public Form {
public:
    // The window's design.
    static constexpr float kWidth = 2505;
    static constexpr TwipsBox kFraMain{0, -90, 0, 0};
    static constexpr TwipsBox kPicture1{45, 135, 2400, 420}; // the white banner
    static constexpr TwipsBox kImage1{45, 45, 2265, 285};    // the logo, inside Picture1
    static constexpr TwipsBox kLineTemplate{270, 585, 2205, 240};
    static constexpr TwipsBox kPadTemplate{45, 0, 330, 240};
    static constexpr float kExtrasWidth = 2115;
    static constexpr float kRowHeight = 240;
    static constexpr unsigned kTimerInterval = 3000;
    static constexpr ColorRef kLine1Color = SystemColor(9);  // upper separator line
    static constexpr ColorRef kLine2Color = SystemColor(12); // lower separator line
    static constexpr const wchar_t* kExtrasCaptions[2] = {L"Help and Support",
                                                          L"Competition Sites"};

    FrmSelect();

    // Shows the window modally; returns when it has been closed.
    void Show() { ShowModal(); }

    // State that the view draws.
    float Left = 0;
    float Top = 0;
    float Width = kWidth;
    float Height = 0;
    TwipsBox FraMain = kFraMain;
    TwipsBox Picture1 = kPicture1;
    TwipsBox Image1 = kImage1;
    std::vector<Label> lblMenu; // element 0 is the invisible template
    std::vector<Label> Lblpad;
    std::array<Label, 2> lblExtras;
    std::array<Label, 2> Lblpadextra;
    std::map<int, LineShape> Line1; // element 0 is the template; the separator is element 2
    std::map<int, LineShape> Line2;
    bool Timer1Enabled = false;
    PixelPoint CursorPos;

    // Layout: rebuilds the lines from the snippet table and sizes the window.
    void DisplayMenu();
    void SetMenuItem(std::int16_t itemNumber);
    void DrawMenuSeparator(std::int16_t y);

    // The item number that line Index holds as its tag: the value of "0" followed by the tag
    // (so an empty tag is 0); nothing when that is not a number or the line does not exist.
    std::optional<std::int16_t> LineItem(std::size_t Index) const;

    // Highlights line Index (0 for none) and makes its item the current item.
    void ResetAllMenuItems(std::int16_t Index);

    // Events of the controls.
    void lblMenu_MouseMove(std::int16_t Index);
    void Lblpad_MouseMove(std::int16_t Index);
    void lblExtras_MouseMove(std::int16_t Index);
    void lblMenu_MouseUp(std::int16_t Index, std::int16_t Button);
    void Lblpad_MouseUp(std::int16_t Index, std::int16_t Button);
    void Timer1_Timer();
    void Picture1_Click();
    void Image1_Click();
    void lblExtras_Click(std::int16_t Index);

    // What lies under a point of the frame, topmost first: lines above their pads.
    struct Hit {
        enum class Kind { None, Line, Pad, Extras, ExtrasPad, Logo, Banner } kind = Kind::None;
        std::int16_t index = 0;
    };
    Hit HitTest(float frameX, float frameY) const;

    // Pointer input from the view, in twips from the window's top-left corner. A click is a
    // left button pressed and released over the same control.
    void MouseMoveAt(float x, float y);
    void MouseDownAt(float x, float y, std::int16_t button);
    void MouseUpAt(float x, float y, std::int16_t button);

    void SetTimerEnabled(bool enabled);

private:
    std::unique_ptr<WindowView> CreateView() override;
    void ResetToDesign() override;
    void Form_Load() override;
    void Form_Unload() override;

    void LoadSteps();
    void PlaceAtPointer();
    void ShowWelcomeAndStoreAnswer();
    void OpenItemMenu(std::int16_t Index);

    Hit pressed_; // where the left button went down, for clicks
};

// The tooltip of a menu line: a preview of the snippet's text.
std::wstring MenuTooltip(const std::wstring& text);

} // namespace quillery
