#include "resident/MenuAnchor.h"

namespace quillery::resident {
namespace {

bool Shown(const std::optional<PixelRect>& caret) {
    return caret && caret->bottom > caret->top && caret->right >= caret->left;
}

} // namespace

MenuAnchor AnchorFor(const CaretPlaces& caret, PixelPoint pointer) {
    if (Shown(caret.system)) {
        return {{caret.system->left, caret.system->bottom}, MenuAnchor::Source::SystemCaret};
    }
    if (Shown(caret.accessible)) {
        return {{caret.accessible->left, caret.accessible->bottom},
                MenuAnchor::Source::AccessibleCaret};
    }
    return {pointer, MenuAnchor::Source::Pointer};
}

} // namespace quillery::resident
