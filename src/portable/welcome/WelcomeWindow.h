#pragma once

#include "forms/Form.h"
#include "forms/WindowParts.h"

#include <memory>
#include <string>

namespace quillery {

class WelcomeWindow;

// Makes the welcome window's native window.
class WelcomeViewFactory {
public:
    virtual ~WelcomeViewFactory() = default;
    virtual std::unique_ptr<WindowView> CreateWelcomeView(WelcomeWindow& window) = 0;
};

// The welcome window: explains the menu to a new user, who can switch it off for good. It
// opens with its top-left corner where the menu's is.
class WelcomeWindow final : public Form {
public:
    // The window's design, in twips relative to its client area.
    static constexpr float kClientWidth = 4950;
    static constexpr float kClientHeight = 2670;
    static constexpr ColorRef kBackColor = colors::kWhite;
    static constexpr ColorRef kTextColor = 0x00C00000; // dark blue

    struct TextControl {
        TwipsBox box;
        const wchar_t* text;
        float fontPoints; // 0: the window's default font
        bool bold;
    };
    static constexpr TwipsBox kIllustrationBox{0, -135, 1800, 2730};
    static constexpr TextControl kHeadline{
        {1620, 0, 3165, 600}, L"Complete forms in seconds with Quillery.", 12, true};
    static constexpr TextControl kChooseHint{
        {1665, 630, 3165, 735},
        L"Place text into your current form by clicking an item on the following menu",
        9.75f,
        true};
    static constexpr TextControl kEditHint{
        {1755, 1395, 3165, 645},
        L"Right click a menu item to edit, remove or change its position.",
        9.75f,
        true};
    static constexpr TextControl kDontShowAgainBox{
        {2115, 1935, 2310, 195}, L"Do not show this form again", 0, false};
    static constexpr TextControl kContinueButton{{1845, 2205, 2940, 375}, L"&Continue", 0, false};

    WelcomeWindow(WelcomeViewFactory& views, RequestWindows& windows, TwipsPoint topLeft)
        : Form(windows, WindowRole::Welcome), views_(views), topLeft_(topLeft) {}

    // Shows the window modally. Returns whether it is to be shown again: false only when the
    // user ticked the box and pressed Continue.
    bool Show();

    // State that the view draws.
    std::wstring caption;
    float left = 0;
    float top = 0;
    bool dontShowAgain = false;

    // Events.
    void OnDontShowAgainChanged(bool ticked);
    void OnContinue();

private:
    std::unique_ptr<WindowView> CreateView() override;
    void ResetToDesign() override;
    void OnLoad() override;
    void OnUnload() override {}

    WelcomeViewFactory& views_;
    TwipsPoint topLeft_;
    bool showAgain_ = true;
};

} // namespace quillery
