#include "menu/FrmSelect.h"

#include "shared/ThreadContext.h"

#include <limits>
#include <optional>

namespace quillery {
namespace {

void SetNormal(Label& label) {
    label.back = colors::kNormalBack;
    label.text = colors::kNormalText;
}

void SetHighlight(Label& label) {
    label.back = colors::kHighlightBack;
    label.text = colors::kHighlightText;
}

} // namespace

std::optional<std::int16_t> FrmSelect::LineItem(std::size_t Index) const {
    if (Index >= lblMenu.size()) {
        return std::nullopt;
    }
    const std::wstring text = L"0" + lblMenu[Index].tag;
    if (text.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return std::nullopt;
    }
    long value = 0;
    for (wchar_t digit : text) {
        value = value * 10 + (digit - L'0');
        if (value > std::numeric_limits<std::int16_t>::max()) {
            return std::nullopt;
        }
    }
    return static_cast<std::int16_t>(value);
}

void FrmSelect::ResetAllMenuItems(std::int16_t Index) {
    for (std::size_t i = 0; i < lblMenu.size(); ++i) {
        SetNormal(lblMenu[i]);
        if (i < Lblpad.size()) {
            Lblpad[i].back = colors::kNormalBack;
        }
    }
    for (std::size_t k = 0; k < lblExtras.size(); ++k) {
        SetNormal(lblExtras[k]);
        Lblpadextra[k].back = colors::kNormalBack;
    }
    Module1& module = CurrentThread().module;
    if (Index < 1) {
        module.CurrentItem = 0;
    } else if (static_cast<std::size_t>(Index) < lblMenu.size()) {
        // A tag that is not a number leaves the current item as it was.
        if (const auto item = LineItem(static_cast<std::size_t>(Index))) {
            module.CurrentItem = *item;
        }
        SetHighlight(lblMenu[Index]);
        if (static_cast<std::size_t>(Index) < Lblpad.size()) {
            Lblpad[Index].back = colors::kHighlightBack;
        }
    }
    Refresh();
}

void FrmSelect::lblMenu_MouseMove(std::int16_t Index) {
    ResetAllMenuItems(Index);
}

void FrmSelect::Lblpad_MouseMove(std::int16_t Index) {
    ResetAllMenuItems(Index);
}

void FrmSelect::lblExtras_MouseMove(std::int16_t Index) {
    ResetAllMenuItems(0);
    if (Index < 0 || static_cast<std::size_t>(Index) >= lblExtras.size()) {
        return;
    }
    SetHighlight(lblExtras[Index]);
    Lblpadextra[Index].back = colors::kHighlightBack;
    Refresh();
}

} // namespace quillery
