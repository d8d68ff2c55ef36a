#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillery::host {

// The browser's window that asked for the menu, as Chromium-based browsers on Windows name it on
// the host's command line: --parent-window=<decimal handle>. 0 where none is named, or where the
// value is not a handle (then the menu opens as for any other caller). The other arguments (the
// extension's origin; Firefox's manifest and add-on ID) are not needed.
std::uint64_t ParentWindowArgument(const std::vector<std::string_view>& arguments);

} // namespace quillery::host
