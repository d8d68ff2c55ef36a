#include "resident/MenuAnchor.h"

namespace quillery::resident {
namespace {

bool Shown(const std::optional<PixelRect>& caret) {
    return caret && caret->bottom > caret->top && caret->right >= caret->left;
}

} // namespace

MenuAnchor AnchorFor(const CaretPlaces& caret) {
    if (Shown(caret.system)) {
        return {MenuAnchor::Source::SystemCaret, caret.system};
    }
    if (Shown(caret.accessible)) {
        return {MenuAnchor::Source::AccessibleCaret, caret.accessible};
    }
    return {};
}

} // namespace quillery::resident
