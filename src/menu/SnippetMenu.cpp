#include "menu/SnippetMenu.h"

#include "record/Messages.h"
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

SnippetMenu::SnippetMenu(MenuSession& session, WindowFactory& views)
    : Form(session.windows, WindowRole::Menu), session_(session), views_(views) {
    ResetToDesign();
}

std::unique_ptr<WindowView> SnippetMenu::CreateView() {
    return views_.CreateSnippetMenuView(*this);
}

void SnippetMenu::ResetToDesign() {
    left = 0;
    top = 0;
    placed_.reset();
    width = kWidth;
    height = 0;
    frame = kFrameBox;
    banner = kBannerBox;
    logo = kLogoBox;

    Label line;
    line.box = kLineBox;
    lines.assign(1, line);
    Label pad;
    pad.box = kPadBox;
    linePads.assign(1, pad);
    for (std::size_t k = 0; k < links.size(); ++k) {
        links[k] = Label{};
        links[k].box = {0, 0, kLinkWidth, kRowHeight};
        links[k].caption = kLinkCaptions[k];
        links[k].visible = true;
        linkPads[k] = Label{};
        linkPads[k].box = {0, 0, kPadBox.width, kRowHeight};
        linkPads[k].visible = true;
    }
    upperSeparator = LineShape{0, 0, 0, 0, false, kUpperSeparatorColor};
    lowerSeparator = LineShape{0, 0, 0, 0, false, kLowerSeparatorColor};
    pointerWatchOn = false;
    pointerAtLoad = {};
    runningInDevHost = false;
}

void SnippetMenu::OnLoad() {
    try {
        Load();
    } catch (...) {
        session_.errors.Report(messages::kErrorLoading, /*fatal=*/true);
    }
}

// The load step. A fatal report closes this window while the step is running; from then on
// nothing more is done, above all no header is written back.
void SnippetMenu::Load() {
    Platform& platform = session_.platform;
    lines[0].box.top -= lines[0].box.height; // the first line lands on the design top

    session_.machineId = GetMachineId(*platform.system);
    if (!session_.OpenMenuFile() || !IsOpen()) {
        return;
    }
    DisplayMenu();
    if (!IsOpen()) {
        return;
    }
    runningInDevHost = ContainsVb(platform.system->ExecutableName());
    pointerAtLoad = platform.desktop->CursorPos();
    PlaceAtPointer();

    ShowWelcomeAndStoreAnswer();
    if (!IsOpen()) {
        return;
    }
    MoveCursorToMenu();
    SetPointerWatch(true);
    platform.desktop->DoEvents();
}

void SnippetMenu::PlaceAtPointer() {
    Desktop& desktop = *session_.platform.desktop;
    if (runningInDevHost) {
        left = static_cast<float>(desktop.ScreenWidthTwips() / 2);
        top = static_cast<float>(desktop.ScreenHeightTwips() / 2);
    } else {
        left = static_cast<float>(desktop.TwipsPerPixelX() * pointerAtLoad.x);
        top = static_cast<float>(desktop.TwipsPerPixelY() * pointerAtLoad.y - height / 2.0 - 1000);
    }
    Redraw();
}

void SnippetMenu::Redraw() {
    PopupView* view = Popup();
    if (view == nullptr) {
        return;
    }
    const Placement wanted{left, top, width, height};
    if (!(placed_ && *placed_ == wanted)) {
        placed_ = wanted;
        view->Place(left, top, width, height);
    }
    view->Refresh();
}

void SnippetMenu::OnMovedByWindowSystem(float newLeft, float newTop) {
    left = newLeft;
    top = newTop;
    placed_ = Placement{left, top, width, height};
}

// Shows the welcome window unless the header's flag switches it off, then writes the answer
// into the header. A header that could not be read is never written back: that would put an
// all-zero record over the base address.
void SnippetMenu::ShowWelcomeAndStoreAnswer() {
    std::optional<MenuRecord> header = session_.ReadRecord(kHeaderRecord);
    if (!header || !IsOpen() || header->Flag == 1) {
        return;
    }
    WelcomeWindow welcome(views_, session_.windows, TopLeft());
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

void SnippetMenu::SetPointerWatch(bool on) {
    pointerWatchOn = on;
    if (PopupView* view = Popup()) {
        view->SetTimer(on, kPointerWatchIntervalMs);
    }
}

// Puts the pointer 100 twips right of the menu's left edge and 140 below its top: onto the
// banner, so that the pointer watch finds it inside.
void SnippetMenu::MoveCursorToMenu() noexcept {
    try {
        Desktop& desktop = *session_.platform.desktop;
        // nearbyint rounds a half to the even neighbour.
        const double x = std::nearbyint((left + 100.0) / desktop.TwipsPerPixelX());
        const double y = std::nearbyint((top + 140.0) / desktop.TwipsPerPixelY());
        desktop.SetCursorPos(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
    } catch (...) {
        // Moving the pointer is a courtesy; a failure changes nothing else.
    }
}

} // namespace quillery
