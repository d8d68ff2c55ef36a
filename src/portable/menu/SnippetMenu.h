#pragma once

#include "editing/EditableMenu.h"
#include "forms/Form.h"
#include "forms/PixelScale.h"
#include "forms/WindowParts.h"
#include "menu/WindowFactory.h"
#include "platform/Desktop.h"
#include "platform/Keys.h"
#include "session/MenuSession.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillery {

// What the snippet menu's view draws, in twips. Everything but the window's own rectangle lies
// in its frame and is positioned relative to the frame.
struct MenuLayout {
    float left = 0; // the window's outer rectangle on the screen
    float top = 0;
    float width = 0;
    float height = 0;
    TwipsBox frame;
    TwipsBox banner;
    TwipsBox logo;            // relative to the banner
    std::vector<Label> lines; // element 0 is the invisible template; snippets from 1
    std::vector<Label> linePads;
    std::vector<int> lineItems; // the item each line holds; 0 for the template
    std::array<Label, 2> links; // help and support, competition sites
    std::array<Label, 2> linkPads;
    LineShape upperSeparator;
    LineShape lowerSeparator;

    // The logo's place in the frame: it lies inside the banner.
    TwipsBox LogoInFrame() const {
        return {banner.left + logo.left, banner.top + logo.top, logo.width, logo.height};
    }
};

// Where a request's menu opens. Without a line: at the pointer, its left edge there and its
// middle 1000 twips above it, where the browser's context menu has always put it. With a line of
// text (a caret's rectangle, in screen pixels): below that line at its left end, as a context
// menu opens below a pointer, so that the line stays in sight; above the line where the work
// area has no room below it. Either way the window is kept inside that work area.
struct MenuOpening {
    std::optional<PixelRect> belowLine;
};

// The snippet menu: a borderless window at the pointer that lists the stored snippets, with a
// banner above them and two site links below.
class SnippetMenu final : public Form, public EditableMenu {
public:
    // The window's design.
    static constexpr float kWidth = 2505;
    static constexpr TwipsBox kFrameBox{0, -90, 0, 0};
    static constexpr TwipsBox kBannerBox{45, 135, 2400, 420}; // white, with the logo on it
    static constexpr TwipsBox kLogoBox{45, 45, 2265, 285};    // inside the banner
    static constexpr TwipsBox kLineBox{270, 585, 2205, 240};  // the first line's place
    static constexpr TwipsBox kPadBox{45, 0, 330, 240};       // left of each line
    static constexpr float kLinkWidth = 2115;
    static constexpr float kRowHeight = 240;
    static constexpr unsigned kPointerWatchIntervalMs = 3000;
    static constexpr ColorRef kUpperSeparatorColor = SystemColor(9);
    static constexpr ColorRef kLowerSeparatorColor = SystemColor(12);
    static constexpr const wchar_t* kLinkCaptions[2] = {L"Help and Support", L"Competition Sites"};

    // `session` is the request's; `views` makes this window and the ones it opens.
    SnippetMenu(MenuSession& session, WindowFactory& views, MenuOpening opening = {});

    // Shows the window modally and returns, once it has closed, the text chosen in it: the
    // snippet's, or empty when it closed without a choice.
    std::wstring Show();

    const MenuLayout& Layout() const { return layout_; }
    bool PointerWatchOn() const { return pointerWatchOn_; }

    // Layout: rebuilds the lines from the snippets and sizes the window.
    void DisplayMenu() override;

    // EditableMenu
    bool IsOpen() const override { return Form::IsOpen(); }
    void SetPointerWatch(bool on) noexcept override;
    void MoveCursorToMenu() noexcept override;
    TwipsPoint TopLeft() const override { return {layout_.left, layout_.top}; }
    std::size_t LineCount() const override { return layout_.lines.size() - 1; }
    int ItemOfLine(std::size_t line) const override;

    // Highlights line `line` (0 for none).
    void HighlightLine(std::size_t line);

    // The entries that the highlight moves through, in order: the snippet lines as entries 1 to
    // LineCount(), then the two links as entries LineCount() + 1 and LineCount() + 2.
    int EntryCount() const { return static_cast<int>(LineCount() + layout_.links.size()); }
    // The highlighted entry, whichever moved the highlight last; 0 when none is highlighted.
    int HighlightedEntry() const;
    // Does what a left click on the entry does: a line's snippet is chosen and the window
    // closes; a link opens its site. Anything else is ignored.
    void ChooseEntry(int entry);

    // Events of the window's parts.
    void OnLinkHovered(std::size_t link);
    void OnLineReleased(std::size_t line, MouseButton button);
    void OnPointerWatchTick();
    void OnBannerClicked();
    void OnLogoClicked();
    void OnLinkClicked(std::size_t link);

    // What lies under a point of the frame, topmost first: lines above their pads.
    struct Hit {
        enum class Kind { None, Line, LinePad, Link, LinkPad, Logo, Banner } kind = Kind::None;
        std::size_t index = 0;
    };
    Hit HitTest(float frameX, float frameY) const;

    // Another request, or the program that made this one, asks the menu to close without a
    // choice: every window of the request closes (the editor's and the welcome window's
    // answers unsaved), and Show() returns the empty string.
    void OnAskedToClose() noexcept;

    // The window system (a window manager, a shell tool, a change of display) has moved the
    // window to a new top-left corner, in twips: the menu's place follows it.
    void OnMovedByWindowSystem(float newLeft, float newTop);

    // Pointer input from the view, in twips from the window's top-left corner. A click is a
    // left button pressed and released over the same part.
    void OnPointerMoved(float x, float y);
    void OnButtonPressed(float x, float y, MouseButton button);
    void OnButtonReleased(float x, float y, MouseButton button);

    // Keyboard input from the view. Every key press counts as use of the window: the pointer
    // watch, when on, starts a full interval again. The keys move the same highlight as the
    // pointer (Down, Up, Home, End), choose the highlighted entry as a left click does (Enter,
    // Space), close the window with an empty result (Escape), or open the item commands of
    // the highlighted line at that line, or those that need no line (ContextMenu).
    void OnKeyPressed(Key key);
    // A character typed: the access key ('&' in a caption) of the lines. The one line that has
    // it is chosen; among several, the highlight moves to the next of them.
    void OnCharacterTyped(wchar_t character);

private:
    std::unique_ptr<WindowView> CreateView() override;
    void ResetToDesign() override;
    void OnLoad() override;
    void OnUnload() override;

    void Load();
    void AddLine(int item);
    void PlaceSeparator(float y);
    void PlaceAtPointer(PixelPoint pointer);
    void PlaceBelowLine(const PixelRect& line);
    // Moves the window as little as it takes to lie inside `area`, in screen pixels.
    void KeepInside(const PixelRect& area, const PixelScale& scale);
    // Redraws the window, and moves or sizes it first only when its place or size changed
    // since it was last placed.
    void Redraw();
    void ShowWelcomeAndStoreAnswer();
    // Opens the item commands for line `line` (0: no line, only New applies): at the pointer,
    // or at `at` (screen pixels).
    void OpenItemCommands(std::size_t line, std::optional<PixelPoint> at = std::nullopt);
    // Highlights entry `entry` (see EntryCount()) as the pointer moving onto it would.
    void HighlightEntry(int entry);
    // The screen pixel below the left end of a part of the frame (a line, a link, the
    // banner): where the keyboard opens the item commands.
    PixelPoint Below(const TwipsBox& box) const;
    void RestartPointerWatch();
    // The way out without a choice: an empty result, then the window closes.
    void CloseWithoutChoice();
    // The window's view while it is loaded, null otherwise: always the one CreateView made.
    PopupView* Popup() const { return static_cast<PopupView*>(View()); }

    MenuSession& session_;
    WindowFactory& views_;
    const MenuOpening opening_;
    MenuLayout layout_;
    // The highlight: a line (from 1), a link, or nothing. A rebuild of the lines ends a line's
    // highlight; a link keeps its own.
    struct Highlight {
        enum class Kind { None, Line, Link } kind = Kind::None;
        std::size_t index = 0;
    } highlight_;
    bool pointerWatchOn_ = false;
    bool centredOnScreen_ = false; // run by a development host: centred, not at the pointer
    std::wstring result_;          // what Show() returns: the chosen text, or empty
    Hit pressed_;                  // where the left button went down, for clicks
    struct Placement {
        float left, top, width, height;
        bool operator==(const Placement& other) const {
            return left == other.left && top == other.top && width == other.width &&
                   height == other.height;
        }
    };
    std::optional<Placement> placed_; // what the view was last told, while the window is up
};

// The tooltip of a menu line: a preview of the snippet's text.
std::wstring MenuTooltip(const std::wstring& text);

} // namespace quillery
