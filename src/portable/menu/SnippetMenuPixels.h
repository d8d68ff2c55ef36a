#pragma once

#include "forms/PixelScale.h"
#include "menu/SnippetMenu.h"

namespace quillery {

// Where the menu's parts lie in its window's client area, in pixels at one scale: where its
// view draws them, puts their tooltips and tells screen readers they are. A part's box is in
// the frame's coordinates, and the frame's corner lies at (frame.left, frame.top) in the window.
inline PixelRect ClientPixels(const SnippetMenu& menu, const TwipsBox& box,
                              const PixelScale& scale) {
    const TwipsBox& frame = menu.Layout().frame;
    return scale.Box(TwipsBox{box.left + frame.left, box.top + frame.top, box.width, box.height});
}

inline PixelPoint ClientPixels(const SnippetMenu& menu, float frameX, float frameY,
                               const PixelScale& scale) {
    const TwipsBox& frame = menu.Layout().frame;
    return PixelPoint{scale.X(frameX + frame.left), scale.Y(frameY + frame.top)};
}

} // namespace quillery
