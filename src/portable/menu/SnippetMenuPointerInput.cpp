#include "menu/SnippetMenu.h"

namespace quillery {

SnippetMenu::Hit SnippetMenu::HitTest(float frameX, float frameY) const {
    using Kind = Hit::Kind;
    const MenuLayout& layout = layout_;
    for (std::size_t i = 1; i < layout.lines.size(); ++i) {
        if (layout.lines[i].visible && layout.lines[i].box.Contains(frameX, frameY)) {
            return {Kind::Line, i};
        }
    }
    for (std::size_t i = 1; i < layout.linePads.size(); ++i) {
        if (layout.linePads[i].visible && layout.linePads[i].box.Contains(frameX, frameY)) {
            return {Kind::LinePad, i};
        }
    }
    for (std::size_t k = 0; k < layout.links.size(); ++k) {
        if (layout.links[k].visible && layout.links[k].box.Contains(frameX, frameY)) {
            return {Kind::Link, k};
        }
        if (layout.linkPads[k].visible && layout.linkPads[k].box.Contains(frameX, frameY)) {
            return {Kind::LinkPad, k};
        }
    }
    if (layout.banner.Contains(frameX, frameY)) {
        return {layout.LogoInFrame().Contains(frameX, frameY) ? Kind::Logo : Kind::Banner, 0};
    }
    return {};
}

// Window coordinates become frame coordinates: the frame's top edge lies above the window's.
void SnippetMenu::OnPointerMoved(float x, float y) {
    const Hit hit = HitTest(x - layout_.frame.left, y - layout_.frame.top);
    switch (hit.kind) {
    case Hit::Kind::Line:
    case Hit::Kind::LinePad:
        HighlightLine(hit.index);
        break;
    case Hit::Kind::Link:
        OnLinkHovered(hit.index);
        break;
    default:
        break; // the banner, the logo, the links' pads and the background keep the highlight
    }
}

void SnippetMenu::OnButtonPressed(float x, float y, MouseButton button) {
    if (button == MouseButton::Left) {
        pressed_ = HitTest(x - layout_.frame.left, y - layout_.frame.top);
    }
}

void SnippetMenu::OnButtonReleased(float x, float y, MouseButton button) {
    const Hit hit = HitTest(x - layout_.frame.left, y - layout_.frame.top);
    const bool click =
        button == MouseButton::Left && hit.kind == pressed_.kind && hit.index == pressed_.index;
    pressed_ = {};
    switch (hit.kind) {
    case Hit::Kind::Line:
    case Hit::Kind::LinePad:
        OnLineReleased(hit.index, button);
        break;
    case Hit::Kind::Link:
        if (click) {
            OnLinkClicked(hit.index);
        }
        break;
    case Hit::Kind::Logo:
    case Hit::Kind::Banner:
    case Hit::Kind::None:
        // The banner (the logo lies on it, and the pointer rests there when the menu opens)
        // and the background offer the commands that need no line, so that an empty menu can
        // get its first snippet.
        if (button == MouseButton::Right) {
            OpenItemCommands(0);
        } else if (click && hit.kind == Hit::Kind::Logo) {
            OnLogoClicked();
        } else if (click && hit.kind == Hit::Kind::Banner) {
            OnBannerClicked();
        }
        break;
    case Hit::Kind::LinkPad:
        break; // a link's pad is part of the link, which has no commands
    }
}

} // namespace quillery
