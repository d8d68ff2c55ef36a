#pragma once

#include <string_view>

namespace quillery {

// Windows paths compared as text. Letters compare without regard to case only where they are
// ASCII: two names that differ in the case of another letter count as different, the cautious
// answer for a spelling it does not know.

// Whether two paths are spelt alike but for the case of ASCII letters.
bool SamePathSpelling(std::wstring_view first, std::wstring_view second);

} // namespace quillery
