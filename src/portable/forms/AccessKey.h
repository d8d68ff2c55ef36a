#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillery {

// A caption in which '&' marks the character after it as the access key, drawn underlined,
// and "&&" stands for one '&'.

// The caption as read aloud or compared: without its marks, "&&" read as '&'.
std::wstring WithoutAccessMarks(std::wstring_view caption);

// The character that the caption's first mark makes its access key, in upper case for the
// letters a-z; nothing when the caption has no mark.
std::optional<wchar_t> AccessKeyOf(std::wstring_view caption);

// The same character in upper case when it is one of the letters a-z, as access keys compare.
wchar_t AccessKeyCase(wchar_t key);

} // namespace quillery
