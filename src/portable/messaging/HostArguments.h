#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillery::messaging {

// The browser's window that asked for the menu, as Chromium-based browsers on Windows name it on
// the host's command line: --parent-window=<decimal handle>. 0 where none is named, or where the
// value is not a handle (then the menu opens as for any other caller). The other arguments (the
// extension's origin; Firefox's manifest and add-on ID) are not needed.
std::uint64_t ParentWindowArgument(const std::vector<std::string_view>& arguments);

// How long the host waits for a message before it ends by itself: ten minutes, twice the time
// after which the extension closes a connection it no longer uses, so that the extension always
// closes first and never writes to a host that has just decided to end.
inline constexpr std::chrono::milliseconds kDefaultIdleLimit{600000};

// The idle limit named by --idle-limit-ms=<decimal milliseconds>, which browsers never pass (the
// tests do, for a short one): 1 to 4294967294 ms. kDefaultIdleLimit where none is named, or
// where the value is not such a number.
std::chrono::milliseconds IdleLimitArgument(const std::vector<std::string_view>& arguments);

} // namespace quillery::messaging
