#include "base/WindowsPath.h"

#include <algorithm>

namespace quillery {
namespace {

wchar_t FoldAsciiCase(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// A component that Windows does not take as a plain name: empty, ".", ".." and the like.
bool IsOddComponent(std::wstring_view component) {
    return component.find_first_not_of(L'.') == std::wstring_view::npos;
}

} // namespace

bool SamePathSpelling(std::wstring_view first, std::wstring_view second) {
    return first.size() == second.size() &&
           std::equal(first.begin(), first.end(), second.begin(),
                      [](wchar_t a, wchar_t b) { return FoldAsciiCase(a) == FoldAsciiCase(b); });
}

bool IsInsideFolder(std::wstring_view path, std::wstring_view folder) {
    while (!folder.empty() && IsSeparator(folder.back())) {
        folder.remove_suffix(1);
    }
    if (folder.empty() || path.size() <= folder.size() + 1 ||
        !SamePathSpelling(path.substr(0, folder.size()), folder) ||
        !IsSeparator(path[folder.size()])) {
        return false;
    }
    std::wstring_view below = path.substr(folder.size() + 1);
    for (;;) {
        const auto end = std::find_if(below.begin(), below.end(), IsSeparator);
        const auto length = static_cast<std::size_t>(end - below.begin());
        if (IsOddComponent(below.substr(0, length))) {
            return false;
        }
        if (length == below.size()) {
            return true;
        }
        below.remove_prefix(length + 1);
    }
}

} // namespace quillery
