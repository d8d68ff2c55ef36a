#pragma once

#include "platform/Desktop.h"

#include <optional>

namespace quillery::resident {

// What the system tells of the focused program's text caret, in screen pixels: the system
// caret of its focused control, and the caret that its accessible object reports (programs
// that draw their own caret report only that one). Either may be missing.
struct CaretPlaces {
    std::optional<PixelRect> system;
    std::optional<PixelRect> accessible;
};

// The caret line the menu opens below (SnippetMenu, MenuOpening): the system caret first, then
// the accessible one; a caret without height (none is shown) does not count. None when neither
// is shown: the menu then opens at the pointer.
std::optional<PixelRect> CaretLine(const CaretPlaces& caret);

} // namespace quillery::resident
