#pragma once

#include <string>

namespace quillery {

struct SiteAddresses {
    std::wstring site;  // base "?fact=" machine id
    std::wstring help;  // site "&ref=help"
    std::wstring links; // site "&ref=links"
};

// Composes the product's web addresses from the header's base address (trimmed of spaces,
// otherwise used exactly as stored) and the machine identifier.
SiteAddresses ComposeSiteAddresses(const std::wstring& headerText, const std::wstring& machineId);

} // namespace quillery
