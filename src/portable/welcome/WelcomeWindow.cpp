#include "welcome/WelcomeWindow.h"

#include "messages/Messages.h"

namespace quillery {

bool WelcomeWindow::Show() {
    showAgain_ = true;
    ShowModal();
    return showAgain_;
}

std::unique_ptr<WindowView> WelcomeWindow::CreateView() {
    return views_.CreateWelcomeView(*this);
}

void WelcomeWindow::ResetToDesign() {
    caption.clear();
    left = 0;
    top = 0;
    dontShowAgain = false;
}

void WelcomeWindow::OnLoad() {
    caption = std::wstring(L"Welcome to ") + messages::kProductName;
    left = topLeft_.x;
    top = topLeft_.y;
    Refresh();
}

void WelcomeWindow::OnDontShowAgainChanged(bool ticked) {
    dontShowAgain = ticked;
}

void WelcomeWindow::OnContinue() {
    showAgain_ = !dontShowAgain;
    Close();
}

} // namespace quillery
