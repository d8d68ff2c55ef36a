#include "resident/TargetChecks.h"

#include <algorithm>
#include <iterator>

namespace quillery::resident {
namespace {

bool IsLeftOut(char32_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) ||      // C0, DEL, C1
           unit == 0x2028 || unit == 0x2029 ||                   // line and paragraph separators
           unit == 0x200E || unit == 0x200F || unit == 0x061C || // the directional marks
           (unit >= 0x202A && unit <= 0x202E) ||                 // embeddings and overrides
           (unit >= 0x2066 && unit <= 0x2069);                   // isolates
}

// The second half of a surrogate pair: not a character of its own. (A wide character of 32
// bits never is one.)
bool ContinuesPair(std::wstring_view text, std::size_t at) {
    const auto unit = static_cast<char32_t>(text[at]);
    const auto before = at > 0 ? static_cast<char32_t>(text[at - 1]) : 0;
    return unit >= 0xDC00 && unit <= 0xDFFF && before >= 0xD800 && before <= 0xDBFF;
}

} // namespace

bool RunsAbove(std::optional<std::uint32_t> target, std::optional<std::uint32_t> ours) {
    return !target || !ours || *target > *ours;
}

bool IsBrowserWindowClass(std::wstring_view windowClass) {
    // Chromium's browsers (and the programs built on it), Firefox's family, Internet Explorer.
    constexpr std::wstring_view kClasses[] = {L"Chrome_WidgetWin_1", L"MozillaWindowClass",
                                              L"IEFrame"};
    return std::find(std::begin(kClasses), std::end(kClasses), windowClass) != std::end(kClasses);
}

std::wstring ShownTitle(std::wstring_view title) {
    std::wstring kept;
    kept.reserve(title.size());
    for (const wchar_t unit : title) {
        if (!IsLeftOut(static_cast<char32_t>(unit))) {
            kept.push_back(unit);
        }
    }
    // Where each character starts, up to one past the limit.
    std::size_t characters = 0;
    std::size_t cut = kept.size();
    for (std::size_t at = 0; at < kept.size(); ++at) {
        if (ContinuesPair(kept, at)) {
            continue;
        }
        if (characters == kShownTitleLimit - 1) {
            cut = at;
        }
        if (++characters > kShownTitleLimit) {
            kept.resize(cut);
            kept.push_back(L'\u2026');
            break;
        }
    }
    return kept;
}

} // namespace quillery::resident
