#include "menu/SnippetMenu.h"

#include "menu/LaunchExternal.h"

namespace quillery {

// The banner, the logo and the two links open the product's site addresses. The window stays
// open and nothing is recorded.
void SnippetMenu::OnBannerClicked() {
    LaunchExternal(session_.platform, session_.addresses.site);
}

void SnippetMenu::OnLogoClicked() {
    LaunchExternal(session_.platform, session_.addresses.links);
}

void SnippetMenu::OnLinkClicked(std::int16_t link) {
    const SiteAddresses& addresses = session_.addresses;
    LaunchExternal(session_.platform, link == 0 ? addresses.help : addresses.links);
}

} // namespace quillery
