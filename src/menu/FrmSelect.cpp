#include "menu/FrmSelect.h"

#include "menu/MenuRequest.h"
#include "platform/Platform.h"
#include "shared/Messages.h"
#include "shell/ReportError.h"
#include "store/MachineId.h"
#include "store/MenuFile.h"
#include "welcome/frmIntro.h"

#include <algorithm>
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

FrmSelect::FrmSelect() : Form(FatalCloseSlot::Select) {
    ResetToDesign();
}

std::unique_ptr<WindowView> FrmSelect::CreateView() {
    return CurrentPlatform().views->CreateSelectView(*this);
}

void FrmSelect::ResetToDesign() {
    Left = 0;
    Top = 0;
    Width = kWidth;
    Height = 0;
    FraMain = kFraMain;
    Picture1 = kPicture1;
    Image1 = kImage1;

    Label line;
    line.box = kLineTemplate;
    lblMenu.assign(1, line);
    Label pad;
    pad.box = kPadTemplate;
    Lblpad.assign(1, pad);
    for (std::size_t k = 0; k < lblExtras.size(); ++k) {
        lblExtras[k] = Label{};
        lblExtras[k].box = {0, 0, kExtrasWidth, kRowHeight};
        lblExtras[k].caption = kExtrasCaptions[k];
        lblExtras[k].visible = true;
        Lblpadextra[k] = Label{};
        Lblpadextra[k].box = {0, 0, kPadTemplate.width, kRowHeight};
        Lblpadextra[k].visible = true;
    }
    Line1 = {{0, LineShape{0, 0, 0, 0, false, kLine1Color}}};
    Line2 = {{0, LineShape{0, 0, 0, 0, false, kLine2Color}}};
    Timer1Enabled = false;
    CursorPos = {};
}

void FrmSelect::Form_Load() {
    try {
        LoadSteps();
    } catch (...) {
        ReportError(messages::kErrorLoading, true);
    }
}

// The load step. A fatal report closes this window while the step is running; from then on
// nothing more is done, above all no header is written back.
void FrmSelect::LoadSteps() {
    Module1& module = CurrentThread().module;
    lblMenu[0].box.top -= lblMenu[0].box.height; // the first line lands on the design top

    module.MachineId = GetMachineId();
    OpenMenuFile();
    if (!IsOpen()) {
        return;
    }
    DisplayMenu();
    if (!IsOpen()) {
        return;
    }
    module.RunningInDevHost = ContainsVb(CurrentPlatform().system->ExecutableName());
    CursorPos = CurrentPlatform().desktop->CursorPos();
    PlaceAtPointer();

    ShowWelcomeAndStoreAnswer();
    if (!IsOpen()) {
        return;
    }
    MoveCursorToMenu();
    SetTimerEnabled(true);
    CurrentPlatform().desktop->DoEvents();
}

void FrmSelect::PlaceAtPointer() {
    Desktop& desktop = *CurrentPlatform().desktop;
    if (CurrentThread().module.RunningInDevHost) {
        Left = static_cast<float>(desktop.ScreenWidthTwips() / 2);
        Top = static_cast<float>(desktop.ScreenHeightTwips() / 2);
    } else {
        Left = static_cast<float>(desktop.TwipsPerPixelX() * CursorPos.x);
        Top = static_cast<float>(desktop.TwipsPerPixelY() * CursorPos.y - Height / 2.0 - 1000);
    }
    Refresh();
}

// Shows the welcome window unless the header's flag switches it off, then writes the answer
// into the header. A header that could not be read is never written back: that would put an
// all-zero record over the base address.
void FrmSelect::ShowWelcomeAndStoreAnswer() {
    std::optional<MenuRecord> header = TryGetMenuRecord(1);
    if (!header || !IsOpen() || header->Flag == 1) {
        return;
    }
    Module1& module = CurrentThread().module;
    module.ShowWelcome = true;
    CurrentThread().Instance<frmIntro>().Show();
    if (!IsOpen()) {
        return;
    }
    header->Flag = module.ShowWelcome ? 0 : 1;
    PutMenuRecord(-1, *header);
}

void FrmSelect::Form_Unload() {
    CloseMenuFile();
}

void FrmSelect::SetTimerEnabled(bool enabled) {
    Timer1Enabled = enabled;
    if (WindowView* view = View()) {
        view->SetTimer(enabled, kTimerInterval);
    }
}

} // namespace quillery
