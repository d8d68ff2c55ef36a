#include "menu/SnippetMenu.h"

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

std::optional<std::int16_t> SnippetMenu::ItemOfLine(std::size_t line) const {
    if (line >= lines.size()) {
        return std::nullopt;
    }
    const std::wstring text = L"0" + lines[line].tag;
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

void SnippetMenu::HighlightLine(std::int16_t line) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SetNormal(lines[i]);
        if (i < linePads.size()) {
            linePads[i].back = colors::kNormalBack;
        }
    }
    for (std::size_t k = 0; k < links.size(); ++k) {
        SetNormal(links[k]);
        linkPads[k].back = colors::kNormalBack;
    }
    if (line < 1) {
        session_.currentItem = 0;
    } else if (static_cast<std::size_t>(line) < lines.size()) {
        // A tag that is not a number leaves the current item as it was.
        if (const auto item = ItemOfLine(static_cast<std::size_t>(line))) {
            session_.currentItem = *item;
        }
        SetHighlight(lines[static_cast<std::size_t>(line)]);
        if (static_cast<std::size_t>(line) < linePads.size()) {
            linePads[static_cast<std::size_t>(line)].back = colors::kHighlightBack;
        }
    }
    Redraw();
}

int SnippetMenu::HighlightedEntry() const {
    for (int line = 1; line <= LineCount(); ++line) {
        if (lines[static_cast<std::size_t>(line)].back == colors::kHighlightBack) {
            return line;
        }
    }
    for (std::size_t k = 0; k < links.size(); ++k) {
        if (links[k].back == colors::kHighlightBack) {
            return LineCount() + 1 + static_cast<int>(k);
        }
    }
    return 0;
}

void SnippetMenu::OnLinkHovered(std::int16_t link) {
    HighlightLine(0);
    if (link < 0 || static_cast<std::size_t>(link) >= links.size()) {
        return;
    }
    SetHighlight(links[static_cast<std::size_t>(link)]);
    linkPads[static_cast<std::size_t>(link)].back = colors::kHighlightBack;
    Redraw();
}

} // namespace quillery
