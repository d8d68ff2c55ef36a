#include "menu/SnippetMenu.h"

namespace quillery {

SnippetMenu::Hit SnippetMenu::HitTest(float frameX, float frameY) const {
    using Kind = Hit::Kind;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].visible && lines[i].box.Contains(frameX, frameY)) {
            return {Kind::Line, static_cast<std::int16_t>(i)};
        }
    }
    for (std::size_t i = 1; i < linePads.size(); ++i) {
        if (linePads[i].visible && linePads[i].box.Contains(frameX, frameY)) {
            return {Kind::LinePad, static_cast<std::int16_t>(i)};
        }
    }
    for (std::size_t k = 0; k < links.size(); ++k) {
        if (links[k].visible && links[k].box.Contains(frameX, frameY)) {
            return {Kind::Link, static_cast<std::int16_t>(k)};
        }
        if (linkPads[k].visible && linkPads[k].box.Contains(frameX, frameY)) {
            return {Kind::LinkPad, static_cast<std::int16_t>(k)};
        }
    }
    if (banner.Contains(frameX, frameY)) {
        return {LogoInFrame().Contains(frameX, frameY) ? Kind::Logo : Kind::Banner, 0};
    }
    return {};
}

// Window coordinates become frame coordinates: the frame's top edge lies above the window's.
void SnippetMenu::OnPointerMoved(float x, float y) {
    const Hit hit = HitTest(x - frame.left, y - frame.top);
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

void SnippetMenu::OnButtonPressed(float x, float y, std::int16_t button) {
    if (button == buttons::kLeft) {
        pressed_ = HitTest(x - frame.left, y - frame.top);
    }
}

void SnippetMenu::OnButtonReleased(float x, float y, std::int16_t button) {
    const Hit hit = HitTest(x - frame.left, y - frame.top);
    const bool click =
        button == buttons::kLeft && hit.kind == pressed_.kind && hit.index == pressed_.index;
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
        if (click) {
            OnLogoClicked();
        }
        break;
    case Hit::Kind::Banner:
        if (click) {
            OnBannerClicked();
        }
        break;
    default:
        break;
    }
}

} // namespace quillery
