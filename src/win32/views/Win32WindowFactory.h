#pragma once

#include "platform/WindowView.h"

#include <windows.h>

namespace quillery::win32 {

// Makes the component's native windows in the module that holds the component.
class Win32Views final : public ViewFactory {
public:
    explicit Win32Views(HINSTANCE instance) : instance_(instance) {}

    std::unique_ptr<WindowView> CreateSelectView(FrmSelect& form) override;
    std::unique_ptr<WindowView> CreateIntroView(frmIntro& form) override;
    std::unique_ptr<WindowView> CreateEditView(FrmEditItem& form) override;

private:
    HINSTANCE instance_;
};

} // namespace quillery::win32
