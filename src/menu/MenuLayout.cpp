#include "menu/FrmSelect.h"

#include "shared/Messages.h"
#include "shared/ThreadContext.h"
#include "shell/ReportError.h"

#include <cmath>

namespace quillery {

std::wstring MenuTooltip(const std::wstring& text) {
    std::wstring tip = TrimSpaces(text.substr(0, 50));
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

void FrmSelect::DisplayMenu() {
    Module1& module = CurrentThread().module;
    try {
        module.ItemCount = 0;
        lblMenu.resize(1);
        Lblpad.resize(1);
        for (auto line = Line1.begin(); line != Line1.end();) {
            line = line->first >= 2 ? Line1.erase(line) : std::next(line);
        }
        for (auto line = Line2.begin(); line != Line2.end();) {
            line = line->first >= 2 ? Line2.erase(line) : std::next(line);
        }
        for (std::int16_t item = Module1::kFirstItem; item <= Module1::kLastItem; ++item) {
            SetMenuItem(item);
            if (!IsOpen()) {
                return; // a report's nested loop let the window close
            }
        }
        module.ItemCount = static_cast<std::int16_t>(lblMenu.size() - 1);

        const float rowHeight = lblMenu[0].box.height;
        Height = (module.ItemCount + 2) * rowHeight + 800;
        FraMain.width = Width;
        FraMain.height = Height + 85;

        const float extrasHeight = lblExtras[0].box.height;
        lblExtras[0].box.top = FraMain.height - 2 * extrasHeight - 100;
        lblExtras[1].box.top = FraMain.height - extrasHeight - 100;
        for (std::size_t k = 0; k < lblExtras.size(); ++k) {
            Lblpadextra[k].box.top = lblExtras[k].box.top;
            Lblpadextra[k].box.left = Lblpad[0].box.left;
            lblExtras[k].box.left = lblMenu[0].box.left;
        }
        DrawMenuSeparator(static_cast<std::int16_t>(std::lround(lblExtras[0].box.top - 100)));
        Refresh();
    } catch (...) {
        ReportError(messages::kErrorDisplayingMenu, false);
    }
}

void FrmSelect::SetMenuItem(std::int16_t itemNumber) {
    try {
        const MenuRecord& item = CurrentThread().module.MenuItems.at(itemNumber);
        if (item.IsEmptyItem()) {
            return;
        }
        const std::wstring tooltip = MenuTooltip(item.Text);
        const std::size_t n = lblMenu.size();
        lblMenu.push_back(lblMenu[0]);
        Lblpad.push_back(Lblpad[0]);
        Label& line = lblMenu[n];
        line.caption = item.Description;
        line.box.top = lblMenu[n - 1].box.top + lblMenu[0].box.height;
        line.visible = true;
        line.tag = std::to_wstring(itemNumber);
        Lblpad[n].box.top = line.box.top;
        line.tooltip = tooltip;
        Lblpad[n].visible = true;
    } catch (...) {
        ReportError(messages::kErrorSettingItem, false);
    }
}

void FrmSelect::DrawMenuSeparator(std::int16_t y) {
    const int k = static_cast<int>(Line1.size()) + 1;
    LineShape upper = Line1[0];
    LineShape lower = Line2[0];
    upper.y1 = upper.y2 = y;
    lower.y1 = lower.y2 = static_cast<float>(y + 35);
    upper.x1 = lower.x1 = 100;
    upper.x2 = lower.x2 = FraMain.width - 100;
    upper.visible = lower.visible = true;
    Line1[k] = upper;
    Line2[k] = lower;
}

} // namespace quillery
