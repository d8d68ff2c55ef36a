#include "platform/win32/views/Win32Views.h"

#include "platform/win32/views/EditView.h"
#include "platform/win32/views/IntroView.h"
#include "platform/win32/views/SelectView.h"

#include <commctrl.h>

namespace quillery::win32 {
namespace {

void InitControls() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

} // namespace

std::unique_ptr<WindowView> Win32Views::CreateSelectView(FrmSelect& form) {
    InitControls();
    return std::make_unique<SelectView>(form, instance_);
}

std::unique_ptr<WindowView> Win32Views::CreateIntroView(frmIntro& form) {
    return std::make_unique<IntroView>(form, instance_);
}

std::unique_ptr<WindowView> Win32Views::CreateEditView(FrmEditItem& form) {
    return std::make_unique<EditView>(form, instance_);
}

} // namespace quillery::win32
