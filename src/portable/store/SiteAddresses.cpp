#include "store/SiteAddresses.h"

#include "record/MenuRecord.h"

namespace quillery {

SiteAddresses ComposeSiteAddresses(const std::wstring& headerText, const std::wstring& machineId) {
    SiteAddresses addresses;
    addresses.site = TrimSpaces(headerText) + L"?fact=" + machineId;
    addresses.help = addresses.site + L"&ref=help";
    addresses.links = addresses.site + L"&ref=links";
    return addresses;
}

} // namespace quillery
