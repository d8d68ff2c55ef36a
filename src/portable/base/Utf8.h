#pragma once

#include <string>
#include <string_view>

namespace quillery {

// Text as UTF-8, for file names and messages on a POSIX system and for a terminal. Both
// widths of wchar_t are read: a UTF-16 surrogate pair becomes one character, and a lone
// surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

} // namespace quillery
