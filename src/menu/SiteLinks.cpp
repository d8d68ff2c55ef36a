#include "menu/FrmSelect.h"

#include "shared/ThreadContext.h"
#include "shell/LaunchExternal.h"

namespace quillery {

// The banner, the logo and the two link entries open the product's site addresses. The
// window stays open and nothing is recorded.
void FrmSelect::Picture1_Click() {
    LaunchExternal(CurrentThread().module.SiteAddress);
}

void FrmSelect::Image1_Click() {
    LaunchExternal(CurrentThread().module.LinksAddress);
}

void FrmSelect::lblExtras_Click(std::int16_t Index) {
    const Module1& module = CurrentThread().module;
    LaunchExternal(Index == 0 ? module.HelpAddress : module.LinksAddress);
}

} // namespace quillery
