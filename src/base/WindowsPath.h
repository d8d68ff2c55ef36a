#pragma once

#include <string_view>

namespace quillery {

// Windows paths compared as text. Letters compare without regard to case only where they are
// ASCII: two names that differ in the case of another letter count as different, which keeps
// both answers below on the cautious side for a spelling they do not know.

// Whether `path` names something below `folder` (at any depth). Not when `folder` is empty,
// when `path` is the folder itself, or when the part below the folder has an empty component or
// one of dots alone ("..", which would climb back out). Both separators count, '\' and '/'.
bool IsInsideFolder(std::wstring_view path, std::wstring_view folder);

// Whether two paths are spelt alike but for the case of ASCII letters.
bool SamePathSpelling(std::wstring_view first, std::wstring_view second);

} // namespace quillery
