#include "base/WindowsPath.h"

#include <algorithm>

namespace quillery {
namespace {

wchar_t FoldAsciiCase(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

bool SamePathSpelling(std::wstring_view first, std::wstring_view second) {
    return first.size() == second.size() &&
           std::equal(first.begin(), first.end(), second.begin(),
                      [](wchar_t a, wchar_t b) { return FoldAsciiCase(a) == FoldAsciiCase(b); });
}

} // namespace quillery
