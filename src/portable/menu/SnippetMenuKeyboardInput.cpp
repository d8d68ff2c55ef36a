#include "menu/SnippetMenu.h"

#include "forms/AccessKey.h"

#include <cmath>

namespace quillery {

// Down and Up step through the entries and wrap, as a menu's keys do; from nothing highlighted
// Down goes to the first entry and Up to the last. The highlight is the pointer's own, so
// whichever of the two moved it last decides what Enter, a click or the item commands act on.
void SnippetMenu::OnKeyPressed(Key key) {
    RestartPointerWatch();
    const int count = EntryCount();
    const int current = HighlightedEntry();
    switch (key) {
    case Key::Down:
        HighlightEntry(current >= count ? 1 : current + 1);
        break;
    case Key::Up:
        HighlightEntry(current <= 1 ? count : current - 1);
        break;
    case Key::Home:
        HighlightEntry(1);
        break;
    case Key::End:
        HighlightEntry(count);
        break;
    case Key::Enter:
    case Key::Space:
        ChooseEntry(current);
        break;
    case Key::Escape:
        CloseWithoutChoice();
        break;
    case Key::ContextMenu:
        // The highlighted line's commands, below it. With a link or nothing highlighted (the
        // keyboard has no background to point at), those that need no line, below that link
        // or the banner.
        if (current >= 1 && current <= static_cast<int>(LineCount())) {
            const auto line = static_cast<std::size_t>(current);
            OpenItemCommands(line, Below(layout_.lines[line].box));
        } else if (current > static_cast<int>(LineCount())) {
            const std::size_t link = static_cast<std::size_t>(current) - LineCount() - 1;
            OpenItemCommands(0, Below(layout_.links[link].box));
        } else {
            OpenItemCommands(0, Below(layout_.banner));
        }
        break;
    case Key::Other:
        break;
    }
}

void SnippetMenu::OnCharacterTyped(wchar_t character) {
    RestartPointerWatch();
    if (character <= L' ') {
        return; // Enter, Escape, Tab and Space are keys of their own, never access keys
    }
    const wchar_t key = AccessKeyCase(character);
    std::vector<int> marked; // the lines whose access key it is, from the top
    for (std::size_t line = 1; line <= LineCount(); ++line) {
        if (AccessKeyOf(layout_.lines[line].caption) == key) {
            marked.push_back(static_cast<int>(line));
        }
    }
    if (marked.empty()) {
        return;
    }
    if (marked.size() == 1) {
        HighlightEntry(marked.front());
        ChooseEntry(marked.front());
        return;
    }
    // Several lines share the key: the next of them below the highlight, wrapping to the top.
    const int current = HighlightedEntry();
    int next = marked.front();
    for (int line : marked) {
        if (line > current) {
            next = line;
            break;
        }
    }
    HighlightEntry(next);
}

void SnippetMenu::HighlightEntry(int entry) {
    const int lines = static_cast<int>(LineCount());
    if (entry >= 1 && entry <= lines) {
        HighlightLine(static_cast<std::size_t>(entry));
    } else if (entry > lines && entry <= EntryCount()) {
        OnLinkHovered(static_cast<std::size_t>(entry - lines - 1));
    }
}

PixelPoint SnippetMenu::Below(const TwipsBox& box) const {
    const MenuLayout& layout = layout_;
    Desktop& desktop = *session_.System().desktop;
    const double x =
        std::nearbyint((layout.left + layout.frame.left + box.left) / desktop.TwipsPerPixelX());
    const double y = std::nearbyint((layout.top + layout.frame.top + box.top + box.height) /
                                    desktop.TwipsPerPixelY());
    return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

// Switching the watch off and on again starts its interval afresh, so that its next tick comes
// a full interval after the key: the pointer usually rests where the menu put it, and a user
// who is typing is using the window wherever the pointer is.
void SnippetMenu::RestartPointerWatch() {
    if (!pointerWatchOn_) {
        return;
    }
    SetPointerWatch(false);
    SetPointerWatch(true);
}

} // namespace quillery
