#include "resident/CaretLine.h"

namespace quillery::resident {
namespace {

bool Shown(const std::optional<PixelRect>& caret) {
    return caret && caret->bottom > caret->top && caret->right >= caret->left;
}

} // namespace

std::optional<PixelRect> CaretLine(const CaretPlaces& caret) {
    if (Shown(caret.system)) {
        return caret.system;
    }
    if (Shown(caret.accessible)) {
        return caret.accessible;
    }
    return std::nullopt;
}

} // namespace quillery::resident
