#include "welcome/frmIntro.h"

#include "menu/FrmSelect.h"
#include "platform/Platform.h"
#include "shared/Messages.h"
#include "shared/ThreadContext.h"

namespace quillery {

std::unique_ptr<WindowView> frmIntro::CreateView() {
    return CurrentPlatform().views->CreateIntroView(*this);
}

void frmIntro::ResetToDesign() {
    Caption.clear();
    Left = 0;
    Top = 0;
    Check1 = 0;
}

// Takes the pop-up's top-left corner, where the pop-up has just been placed.
void frmIntro::Form_Load() {
    Caption = std::wstring(L"Welcome to ") + messages::kProductName;
    const FrmSelect& menu = CurrentThread().Instance<FrmSelect>();
    Left = menu.Left;
    Top = menu.Top;
    Refresh();
}

void frmIntro::Check1_Click(int value) {
    Check1 = value;
}

void frmIntro::Command1_Click() {
    CurrentThread().module.ShowWelcome = Check1 != 1;
    Close();
}

} // namespace quillery
