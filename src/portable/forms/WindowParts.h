#pragma once

#include <cstdint>
#include <string>

namespace quillery {

// Colour references: 0x00BBGGRR for fixed colours, 0x800000nn for system colour nn.
using ColorRef = std::uint32_t;
inline constexpr ColorRef SystemColor(unsigned index) {
    return 0x80000000u | index;
}

namespace colors {
inline constexpr ColorRef kNormalBack = SystemColor(15);    // button face
inline constexpr ColorRef kNormalText = SystemColor(18);    // button text
inline constexpr ColorRef kHighlightBack = SystemColor(13); // selection background
inline constexpr ColorRef kHighlightText = SystemColor(14); // selection text
inline constexpr ColorRef kWhite = 0x00FFFFFFu;
} // namespace colors

// A point in twips.
struct TwipsPoint {
    float x = 0;
    float y = 0;
};

// A rectangle in twips, relative to its container. Positions are single precision, as the
// window toolkit keeps them.
struct TwipsBox {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool Contains(float x, float y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

// A label: a windowless text element that its window draws and hit-tests. Its colours are its
// window's to choose (the normal ones, or the highlight's).
struct Label {
    TwipsBox box;
    std::wstring caption; // '&' marks the access key, as in any label
    std::wstring tooltip;
    bool visible = false;
};

// A straight line drawn by its window.
struct LineShape {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;
    bool visible = false;
    ColorRef color = 0;
};

// Mouse buttons as the events report them.
enum class MouseButton { Left, Right, Middle };

} // namespace quillery
