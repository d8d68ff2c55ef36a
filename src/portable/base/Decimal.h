#pragma once

#include <cstdint>
#include <string>

namespace quillery {

// The decimal digits of `value`, with a leading '-' when it is negative, as std::to_wstring
// writes them; without the C library's formatted output, which the DLL need not carry.
std::wstring DecimalText(std::int64_t value);

} // namespace quillery
