#include "menu/LaunchExternal.h"
#include "menu/SnippetMenu.h"

namespace quillery {

// The banner, the logo and the two links open the product's site addresses. The window stays
// open and nothing is recorded.
void SnippetMenu::OnBannerClicked() {
    LaunchExternal(session_.System(), session_.Addresses().site);
}

void SnippetMenu::OnLogoClicked() {
    LaunchExternal(session_.System(), session_.Addresses().links);
}

void SnippetMenu::OnLinkClicked(std::size_t link) {
    const SiteAddresses& addresses = session_.Addresses();
    LaunchExternal(session_.System(), link == 0 ? addresses.help : addresses.links);
}

} // namespace quillery
