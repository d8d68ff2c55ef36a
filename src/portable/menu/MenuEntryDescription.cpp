#include "menu/MenuEntryDescription.h"

#include "forms/AccessKey.h"
#include "menu/SnippetMenu.h"

#include <algorithm>

namespace quillery {
namespace {

// The smallest box around both, moved from frame to window coordinates.
TwipsBox RowInWindow(const SnippetMenu& menu, const TwipsBox& label, const TwipsBox& pad) {
    const float left = std::min(label.left, pad.left);
    const float top = std::min(label.top, pad.top);
    const float right = std::max(label.left + label.width, pad.left + pad.width);
    const float bottom = std::max(label.top + label.height, pad.top + pad.height);
    const TwipsBox& frame = menu.Layout().frame;
    return {frame.left + left, frame.top + top, right - left, bottom - top};
}

// A caption as the window draws it: up to a NUL (the rest of a field that was never written),
// without its marks, and without the blanks that pad a stored description to its width.
std::wstring ShownCaption(const std::wstring& caption) {
    return TrimSpaces(WithoutAccessMarks(UpToFirstNul(caption)));
}

} // namespace

std::optional<MenuEntryDescription> DescribeEntry(const SnippetMenu& menu, int entry) {
    const MenuLayout& layout = menu.Layout();
    const int lineCount = static_cast<int>(menu.LineCount());
    if (entry < 1 || entry > menu.EntryCount()) {
        return std::nullopt;
    }
    MenuEntryDescription described;
    const Label* label = nullptr;
    const Label* pad = nullptr;
    if (entry <= lineCount) {
        const auto line = static_cast<std::size_t>(entry);
        label = &layout.lines[line];
        pad = line < layout.linePads.size() ? &layout.linePads[line] : nullptr;
        described.description = label->tooltip;
    } else {
        const auto link = static_cast<std::size_t>(entry - lineCount - 1);
        label = &layout.links[link];
        pad = &layout.linkPads[link];
        described.isLink = true;
    }
    described.name = ShownCaption(label->caption);
    described.accessKey = AccessKeyOf(UpToFirstNul(label->caption));
    described.highlighted = menu.HighlightedEntry() == entry;
    described.box = RowInWindow(menu, label->box, pad != nullptr ? pad->box : label->box);
    return described;
}

int EntryAt(const SnippetMenu& menu, float x, float y) {
    using Kind = SnippetMenu::Hit::Kind;
    const TwipsBox& frame = menu.Layout().frame;
    const SnippetMenu::Hit hit = menu.HitTest(x - frame.left, y - frame.top);
    switch (hit.kind) {
    case Kind::Line:
    case Kind::LinePad:
        return static_cast<int>(hit.index);
    case Kind::Link:
    case Kind::LinkPad:
        return static_cast<int>(menu.LineCount() + 1 + hit.index);
    default:
        return 0;
    }
}

} // namespace quillery
