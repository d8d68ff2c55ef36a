#include "base/Decimal.h"

#include <algorithm>

namespace quillery {

std::wstring DecimalText(std::int64_t value) {
    // The magnitude as unsigned, so that the most negative value has one too.
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::wstring digits;
    do {
        digits.push_back(static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        digits.push_back(L'-');
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

} // namespace quillery
