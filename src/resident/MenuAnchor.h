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

// Where the menu opens: below the caret's line, or at the pointer when there is no caret.
struct MenuAnchor {
    enum class Source { SystemCaret, AccessibleCaret, Pointer };
    Source source = Source::Pointer;
    std::optional<PixelRect> caretLine; // the caret's rectangle; none at the pointer
};

// The system caret first, then the accessible one; a caret without height (none is shown) does
// not count. The menu opens below that caret's line, or above it where its monitor's work area
// has no room below (SnippetMenu, MenuOpening); with no caret, at the pointer.
MenuAnchor AnchorFor(const CaretPlaces& caret);

} // namespace quillery::resident
