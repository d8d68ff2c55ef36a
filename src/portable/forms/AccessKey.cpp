#include "forms/AccessKey.h"

namespace quillery {

std::wstring WithoutAccessMarks(std::wstring_view caption) {
    std::wstring plain;
    plain.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&') {
            ++i; // the marked character, or the second '&' of "&&"
            if (i == caption.size()) {
                break; // a mark at the very end marks nothing
            }
        }
        plain.push_back(caption[i]);
    }
    return plain;
}

std::optional<wchar_t> AccessKeyOf(std::wstring_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') {
            continue;
        }
        if (caption[i + 1] != L'&') {
            return AccessKeyCase(caption[i + 1]);
        }
        ++i; // "&&" is a plain '&'
    }
    return std::nullopt;
}

wchar_t AccessKeyCase(wchar_t key) {
    return key >= L'a' && key <= L'z' ? static_cast<wchar_t>(key - L'a' + L'A') : key;
}

} // namespace quillery
