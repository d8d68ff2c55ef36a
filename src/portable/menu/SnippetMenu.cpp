#include "menu/SnippetMenu.h"

#include "forms/PixelScale.h"
#include "messages/Messages.h"
#include "store/MachineId.h"
#include "store/MenuDataFile.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace quillery {
namespace {

bool ContainsVb(const std::wstring& name) {
    std::wstring upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](wchar_t ch) { return static_cast<wchar_t>(std::towupper(ch)); });
    return upper.find(L"VB") != std::wstring::npos;
}

} // namespace

SnippetMenu::SnippetMenu(MenuSession& session, WindowFactory& views, MenuOpening opening)
    : Form(session.Windows(), WindowRole::Menu), session_(session), views_(views),
      opening_(opening) {
    ResetToDesign();
}

std::wstring SnippetMenu::Show() {
    result_.clear();
    ShowModal();
    return result_;
}

std::unique_ptr<WindowView> SnippetMenu::CreateView() {
    return views_.CreateSnippetMenuView(*this);
}

void SnippetMenu::ResetToDesign() {
    placed_.reset();
    layout_ = MenuLayout{};
    layout_.width = kWidth;
    layout_.frame = kFrameBox;
    layout_.banner = kBannerBox;
    layout_.logo = kLogoBox;

    Label line;
    line.box = kLineBox;
    layout_.lines.assign(1, line);
    Label pad;
    pad.box = kPadBox;
    layout_.linePads.assign(1, pad);
    layout_.lineItems.assign(1, 0);
    for (std::size_t k = 0; k < layout_.links.size(); ++k) {
        layout_.links[k].box = {0, 0, kLinkWidth, kRowHeight};
        layout_.links[k].caption = kLinkCaptions[k];
        layout_.links[k].visible = true;
        layout_.linkPads[k].box = {0, 0, kPadBox.width, kRowHeight};
        layout_.linkPads[k].visible = true;
    }
    layout_.upperSeparator = LineShape{0, 0, 0, 0, false, kUpperSeparatorColor};
    layout_.lowerSeparator = LineShape{0, 0, 0, 0, false, kLowerSeparatorColor};
    highlight_ = {};
    pointerWatchOn_ = false;
    centredOnScreen_ = false;
}

void SnippetMenu::OnLoad() {
    session_.Errors().ReportIfFails(messages::kErrorLoading, /*fatal=*/true, [this] { Load(); });
}

// The load step. A fatal report closes this window while the step is running; from then on
// nothing more is done, above all no header is written back.
void SnippetMenu::Load() {
    Platform& platform = session_.System();
    layout_.lines[0].box.top -=
        layout_.lines[0].box.height; // the first line lands on the design top

    if (!session_.OpenMenuFile(GetMachineId(*platform.system)) || !IsOpen()) {
        return;
    }
    DisplayMenu();
    if (!IsOpen()) {
        return;
    }
    if (opening_.belowLine) {
        PlaceBelowLine(*opening_.belowLine);
    } else {
        centredOnScreen_ = ContainsVb(platform.system->ExecutableName());
        PlaceAtPointer(platform.desktop->CursorPos());
    }

    ShowWelcomeAndStoreAnswer();
    if (!IsOpen()) {
        return;
    }
    MoveCursorToMenu();
    SetPointerWatch(true);
    platform.desktop->DoEvents();
}

// The window's left edge at the pointer, its middle 1000 twips above it; a development host
// has its corner at the screen's centre instead. Then the window is kept inside the work area
// of the monitor that holds the pointer (or that centre).
void SnippetMenu::PlaceAtPointer(PixelPoint pointer) {
    Desktop& desktop = *session_.System().desktop;
    const PixelScale scale(desktop.TwipsPerPixelX(), desktop.TwipsPerPixelY());
    PixelPoint monitorPoint = pointer;
    if (centredOnScreen_) {
        layout_.left = static_cast<float>(desktop.ScreenWidthTwips() / 2);
        layout_.top = static_cast<float>(desktop.ScreenHeightTwips() / 2);
        monitorPoint = PixelPoint{scale.X(layout_.left), scale.Y(layout_.top)};
    } else {
        layout_.left = static_cast<float>(desktop.TwipsPerPixelX() * pointer.x);
        layout_.top =
            static_cast<float>(desktop.TwipsPerPixelY() * pointer.y - layout_.height / 2.0 - 1000);
    }
    KeepInside(desktop.WorkAreaAt(monitorPoint), scale);
    Redraw();
}

// Below the line at its left end; above it when the work area of the line's monitor has no room
// below and has room above; then kept inside that area.
void SnippetMenu::PlaceBelowLine(const PixelRect& line) {
    Desktop& desktop = *session_.System().desktop;
    const PixelScale scale(desktop.TwipsPerPixelX(), desktop.TwipsPerPixelY());
    const PixelRect area = desktop.WorkAreaAt({line.left, line.top});
    const PixelRect size = scale.Window(0, 0, layout_.width, layout_.height);
    int top = line.bottom;
    if (top + size.bottom > area.bottom && line.top - size.bottom >= area.top) {
        top = line.top - size.bottom;
    }
    layout_.left = static_cast<float>(line.left * scale.TwipsPerPixelX());
    layout_.top = static_cast<float>(top * scale.TwipsPerPixelY());
    KeepInside(area, scale);
    Redraw();
}

// Measured in the pixels that the view puts the window on, each side that sticks out of `area`
// is moved onto the area's edge, and no further: a window that fits stays where it is. A window
// larger than the area keeps its top-left corner, where the banner is, inside.
void SnippetMenu::KeepInside(const PixelRect& area, const PixelScale& scale) {
    const PixelRect window = scale.Window(layout_.left, layout_.top, layout_.width, layout_.height);
    const int left =
        std::max(std::min(window.left, area.right - (window.right - window.left)), area.left);
    const int top =
        std::max(std::min(window.top, area.bottom - (window.bottom - window.top)), area.top);
    // A pixel's own edge in twips is converted back to that pixel.
    if (left != window.left) {
        layout_.left = static_cast<float>(left * scale.TwipsPerPixelX());
    }
    if (top != window.top) {
        layout_.top = static_cast<float>(top * scale.TwipsPerPixelY());
    }
}

void SnippetMenu::Redraw() {
    PopupView* view = Popup();
    if (view == nullptr) {
        return;
    }
    const Placement wanted{layout_.left, layout_.top, layout_.width, layout_.height};
    if (!(placed_ && *placed_ == wanted)) {
        placed_ = wanted;
        view->Place(layout_.left, layout_.top, layout_.width, layout_.height);
    }
    view->Refresh();
}

void SnippetMenu::OnMovedByWindowSystem(float newLeft, float newTop) {
    layout_.left = newLeft;
    layout_.top = newTop;
    placed_ = Placement{layout_.left, layout_.top, layout_.width, layout_.height};
}

// Shows the welcome window unless the header's flag switches it off, then writes the answer
// into the header. A header that could not be read is never written back: that would put an
// all-zero record over the base address.
void SnippetMenu::ShowWelcomeAndStoreAnswer() {
    std::optional<MenuRecord> header = session_.ReadRecord(kHeaderRecord);
    if (!header || !IsOpen() || header->Flag == 1) {
        return;
    }
    WelcomeWindow welcome(views_, session_.Windows(), TopLeft());
    const bool showAgain = welcome.Show();
    if (!IsOpen()) {
        return;
    }
    header->Flag = showAgain ? 0 : 1;
    session_.SaveItem(kHeaderItemNumber, *header);
}

void SnippetMenu::OnUnload() {
    session_.CloseMenuFile();
}

void SnippetMenu::OnAskedToClose() noexcept {
    result_.clear();
    session_.Windows().CloseAll();
}

void SnippetMenu::SetPointerWatch(bool on) noexcept {
    pointerWatchOn_ = on;
    if (PopupView* view = Popup()) {
        view->SetTimer(on, kPointerWatchIntervalMs);
    }
}

// Puts the pointer 100 twips right of the menu's left edge and 140 below its top: onto the
// banner, so that the pointer watch finds it inside.
void SnippetMenu::MoveCursorToMenu() noexcept {
    Desktop& desktop = *session_.System().desktop;
    // nearbyint rounds a half to the even neighbour.
    const double x = std::nearbyint((layout_.left + 100.0) / desktop.TwipsPerPixelX());
    const double y = std::nearbyint((layout_.top + 140.0) / desktop.TwipsPerPixelY());
    desktop.SetCursorPos(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
}

} // namespace quillery
