#include "menu/SnippetMenu.h"

namespace quillery {

int SnippetMenu::ItemOfLine(std::size_t line) const {
    return line < layout_.lineItems.size() ? layout_.lineItems[line] : 0;
}

void SnippetMenu::HighlightLine(std::size_t line) {
    if (line >= 1 && line <= LineCount()) {
        highlight_ = {Highlight::Kind::Line, line};
    } else {
        highlight_ = {};
    }
    Redraw();
}

void SnippetMenu::OnLinkHovered(std::size_t link) {
    if (link < layout_.links.size()) {
        highlight_ = {Highlight::Kind::Link, link};
    } else {
        highlight_ = {};
    }
    Redraw();
}

int SnippetMenu::HighlightedEntry() const {
    switch (highlight_.kind) {
    case Highlight::Kind::Line:
        return static_cast<int>(highlight_.index);
    case Highlight::Kind::Link:
        return static_cast<int>(LineCount() + 1 + highlight_.index);
    case Highlight::Kind::None:
        break;
    }
    return 0;
}

} // namespace quillery
