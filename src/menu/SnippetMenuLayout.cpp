#include "menu/SnippetMenu.h"

#include "base/Decimal.h"
#include "record/Messages.h"

#include <cmath>

namespace quillery {

std::wstring MenuTooltip(const std::wstring& text) {
    std::wstring tip = TrimSpaces(UpToFirstNul(text).substr(0, 50));
    if (tip.size() == 50) {
        tip += L"...";
    }
    // Only a line break after the first character cuts the preview.
    const auto lineBreak = tip.find(L"\r\n");
    if (lineBreak != std::wstring::npos && lineBreak > 0) {
        tip = tip.substr(0, lineBreak) + L"...";
    }
    return tip;
}

void SnippetMenu::DisplayMenu() {
    try {
        lines.resize(1);
        linePads.resize(1);
        upperSeparator.visible = false;
        lowerSeparator.visible = false;
        for (std::int16_t item = kFirstItem; item <= kLastItem; ++item) {
            AddLine(item);
            if (!IsOpen()) {
                return; // a report's nested loop let the window close
            }
        }

        const float rowHeight = lines[0].box.height;
        height = (LineCount() + 2) * rowHeight + 800;
        frame.width = width;
        frame.height = height + 85;

        const float linkHeight = links[0].box.height;
        links[0].box.top = frame.height - 2 * linkHeight - 100;
        links[1].box.top = frame.height - linkHeight - 100;
        for (std::size_t k = 0; k < links.size(); ++k) {
            linkPads[k].box.top = links[k].box.top;
            linkPads[k].box.left = linePads[0].box.left;
            links[k].box.left = lines[0].box.left;
        }
        PlaceSeparator(static_cast<std::int16_t>(std::lround(links[0].box.top - 100)));
        Redraw();
    } catch (...) {
        session_.errors.Report(messages::kErrorDisplayingMenu, /*fatal=*/false);
    }
}

void SnippetMenu::AddLine(std::int16_t itemNumber) {
    try {
        const MenuRecord& item = session_.snippets.at(static_cast<std::size_t>(itemNumber));
        if (item.IsEmptyItem()) {
            return;
        }
        const std::wstring tooltip = MenuTooltip(item.Text);
        const std::size_t n = lines.size();
        lines.push_back(lines[0]);
        linePads.push_back(linePads[0]);
        Label& line = lines[n];
        line.caption = item.Description;
        line.box.top = lines[n - 1].box.top + lines[0].box.height;
        line.visible = true;
        line.tag = DecimalText(itemNumber);
        linePads[n].box.top = line.box.top;
        line.tooltip = tooltip;
        linePads[n].visible = true;
    } catch (...) {
        session_.errors.Report(messages::kErrorSettingItem, /*fatal=*/false);
    }
}

// Two lines, the lower 35 twips below the upper, across the frame less 100 twips each side.
void SnippetMenu::PlaceSeparator(std::int16_t y) {
    for (LineShape* line : {&upperSeparator, &lowerSeparator}) {
        line->y1 = line->y2 = line == &upperSeparator ? y : static_cast<float>(y + 35);
        line->x1 = 100;
        line->x2 = frame.width - 100;
        line->visible = true;
    }
}

} // namespace quillery
