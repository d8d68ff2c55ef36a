#include "record/MenuRecord.h"

namespace quillery {

std::wstring FitToWidth(const std::wstring& value, std::size_t width) {
    std::wstring fitted = value.substr(0, width);
    fitted.resize(width, L' ');
    return fitted;
}

std::wstring UpToFirstNul(const std::wstring& value) {
    return value.substr(0, value.find(L'\0'));
}

std::wstring TrimSpaces(const std::wstring& value) {
    const auto first = value.find_first_not_of(L' ');
    if (first == std::wstring::npos) {
        return {};
    }
    const auto last = value.find_last_not_of(L' ');
    return value.substr(first, last - first + 1);
}

void MenuRecord::SetDescription(const std::wstring& value) {
    Description = FitToWidth(value, kDescriptionWidth);
}

void MenuRecord::SetText(const std::wstring& value) {
    Text = FitToWidth(value, kTextWidth);
}

bool MenuRecord::IsEmptyItem() const {
    return TrimSpaces(Description).empty() || (!Description.empty() && Description[0] == L'\0');
}

} // namespace quillery
