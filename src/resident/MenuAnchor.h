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

// Where the menu opens, and what told that place.
struct MenuAnchor {
    enum class Source { SystemCaret, AccessibleCaret, Pointer };
    PixelPoint point;
    Source source = Source::Pointer;

    bool operator==(const MenuAnchor& other) const {
        return point.x == other.point.x && point.y == other.point.y && source == other.source;
    }
};

// The menu opens below the caret's line, at its left edge, as a context menu opens below the
// pointer: the system caret first, then the accessible one; a caret without height (none is
// shown) does not count. With no caret, at the pointer. The menu keeps itself inside the work
// area of the monitor that holds the place (SnippetMenu, through Desktop::WorkAreaAt).
MenuAnchor AnchorFor(const CaretPlaces& caret, PixelPoint pointer);

} // namespace quillery::resident
