#include "menu/SnippetMenu.h"

#include "messages/Messages.h"

#include <cmath>

namespace quillery {

namespace {

// The control characters that the typing path leaves out (all but tab and the line breaks) as
// `\xHH`, as `menudat list` shows them: seen in the preview, not obeyed or hidden.
std::wstring WithControlsShown(const std::wstring& text) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring shown;
    shown.reserve(text.size());
    for (const wchar_t ch : text) {
        const bool control =
            (ch < 0x20 && ch != L'\t' && ch != L'\r' && ch != L'\n') || (ch >= 0x7F && ch <= 0x9F);
        if (control) {
            shown += {L'\\', L'x', kHex[(ch >> 4) & 0xF], kHex[ch & 0xF]};
        } else {
            shown += ch;
        }
    }
    return shown;
}

} // namespace

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
    return WithControlsShown(tip);
}

void SnippetMenu::DisplayMenu() {
    session_.Errors().ReportIfFails(messages::kErrorDisplayingMenu, /*fatal=*/false, [this] {
        MenuLayout& layout = layout_;
        layout.lines.resize(1);
        layout.linePads.resize(1);
        layout.lineItems.resize(1);
        if (highlight_.kind == Highlight::Kind::Line) {
            highlight_ = {}; // its line is gone
        }
        layout.upperSeparator.visible = false;
        layout.lowerSeparator.visible = false;
        for (int item = kFirstItem; item <= kLastItem; ++item) {
            AddLine(item);
            if (!IsOpen()) {
                return; // a report's nested loop let the window close
            }
        }

        const float rowHeight = layout.lines[0].box.height;
        layout.height = static_cast<float>(LineCount() + 2) * rowHeight + 800;
        layout.frame.width = layout.width;
        layout.frame.height = layout.height + 85;

        const float linkHeight = layout.links[0].box.height;
        layout.links[0].box.top = layout.frame.height - 2 * linkHeight - 100;
        layout.links[1].box.top = layout.frame.height - linkHeight - 100;
        for (std::size_t k = 0; k < layout.links.size(); ++k) {
            layout.linkPads[k].box.top = layout.links[k].box.top;
            layout.linkPads[k].box.left = layout.linePads[0].box.left;
            layout.links[k].box.left = layout.lines[0].box.left;
        }
        PlaceSeparator(std::round(layout.links[0].box.top - 100));
        Redraw();
    });
}

// A line for item `item` under the last one, unless the item is empty.
void SnippetMenu::AddLine(int item) {
    session_.Errors().ReportIfFails(messages::kErrorSettingItem, /*fatal=*/false, [&] {
        const MenuRecord& record = session_.Snippet(item);
        if (record.IsEmptyItem()) {
            return;
        }
        MenuLayout& layout = layout_;
        Label line = layout.lines[0];
        line.caption = record.Description;
        line.box.top = layout.lines.back().box.top + layout.lines[0].box.height;
        line.visible = true;
        line.tooltip = MenuTooltip(record.Text);
        Label pad = layout.linePads[0];
        pad.box.top = line.box.top;
        pad.visible = true;
        layout.lines.push_back(std::move(line));
        layout.linePads.push_back(std::move(pad));
        layout.lineItems.push_back(item);
    });
}

// Two lines, the lower 35 twips below the upper, across the frame less 100 twips each side.
void SnippetMenu::PlaceSeparator(float y) {
    for (LineShape* line : {&layout_.upperSeparator, &layout_.lowerSeparator}) {
        line->y1 = line->y2 = line == &layout_.upperSeparator ? y : y + 35;
        line->x1 = 100;
        line->x2 = layout_.frame.width - 100;
        line->visible = true;
    }
}

} // namespace quillery
