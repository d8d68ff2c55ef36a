#include "menu/FrmSelect.h"

namespace quillery {

FrmSelect::Hit FrmSelect::HitTest(float frameX, float frameY) const {
    using Kind = Hit::Kind;
    for (std::size_t i = 1; i < lblMenu.size(); ++i) {
        if (lblMenu[i].visible && lblMenu[i].box.Contains(frameX, frameY)) {
            return {Kind::Line, static_cast<std::int16_t>(i)};
        }
    }
    for (std::size_t i = 1; i < Lblpad.size(); ++i) {
        if (Lblpad[i].visible && Lblpad[i].box.Contains(frameX, frameY)) {
            return {Kind::Pad, static_cast<std::int16_t>(i)};
        }
    }
    for (std::size_t k = 0; k < lblExtras.size(); ++k) {
        if (lblExtras[k].visible && lblExtras[k].box.Contains(frameX, frameY)) {
            return {Kind::Extras, static_cast<std::int16_t>(k)};
        }
        if (Lblpadextra[k].visible && Lblpadextra[k].box.Contains(frameX, frameY)) {
            return {Kind::ExtrasPad, static_cast<std::int16_t>(k)};
        }
    }
    if (Picture1.Contains(frameX, frameY)) {
        const TwipsBox logo{Picture1.left + Image1.left, Picture1.top + Image1.top, Image1.width,
                            Image1.height};
        return {logo.Contains(frameX, frameY) ? Kind::Logo : Kind::Banner, 0};
    }
    return {};
}

// Window coordinates become frame coordinates: the frame's top edge lies above the window's.
void FrmSelect::MouseMoveAt(float x, float y) {
    const Hit hit = HitTest(x - FraMain.left, y - FraMain.top);
    switch (hit.kind) {
    case Hit::Kind::Line:
        lblMenu_MouseMove(hit.index);
        break;
    case Hit::Kind::Pad:
        Lblpad_MouseMove(hit.index);
        break;
    case Hit::Kind::Extras:
        lblExtras_MouseMove(hit.index);
        break;
    default:
        break; // the banner, the logo, the extras' pads and the background keep the highlight
    }
}

void FrmSelect::MouseDownAt(float x, float y, std::int16_t button) {
    if (button == buttons::kLeft) {
        pressed_ = HitTest(x - FraMain.left, y - FraMain.top);
    }
}

void FrmSelect::MouseUpAt(float x, float y, std::int16_t button) {
    const Hit hit = HitTest(x - FraMain.left, y - FraMain.top);
    const bool click =
        button == buttons::kLeft && hit.kind == pressed_.kind && hit.index == pressed_.index;
    pressed_ = {};
    switch (hit.kind) {
    case Hit::Kind::Line:
        lblMenu_MouseUp(hit.index, button);
        break;
    case Hit::Kind::Pad:
        Lblpad_MouseUp(hit.index, button);
        break;
    case Hit::Kind::Extras:
        if (click) {
            lblExtras_Click(hit.index);
        }
        break;
    case Hit::Kind::Logo:
        if (click) {
            Image1_Click();
        }
        break;
    case Hit::Kind::Banner:
        if (click) {
            Picture1_Click();
        }
        break;
    default:
        break;
    }
}

} // namespace quillery
