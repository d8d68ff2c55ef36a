#pragma once

#include "forms/WindowParts.h"
#include "platform/Desktop.h"

namespace quillery {

// Twips to pixels and back for one screen resolution, separately in x and y (a screen may have
// more dots per inch one way than the other). A pixel belongs to the part that holds its
// centre: an edge in twips becomes the first pixel whose centre lies on or past it. So what a
// window draws at a pixel is exactly what hit-testing that pixel's centre finds, at every
// scale, and parts that touch in twips touch in pixels, with neither gap nor overlap.
class PixelScale {
public:
    constexpr PixelScale(double twipsPerPixelX, double twipsPerPixelY)
        : twipsPerPixelX_(twipsPerPixelX), twipsPerPixelY_(twipsPerPixelY) {}
    // 1440 twips make an inch.
    static constexpr PixelScale ForDpi(int dpiX, int dpiY) {
        return PixelScale(1440.0 / dpiX, 1440.0 / dpiY);
    }

    double TwipsPerPixelX() const { return twipsPerPixelX_; }
    double TwipsPerPixelY() const { return twipsPerPixelY_; }

    // An edge (or a length measured from 0) in pixels.
    int X(double twips) const { return Edge(twips / twipsPerPixelX_); }
    int Y(double twips) const { return Edge(twips / twipsPerPixelY_); }
    PixelRect Box(const TwipsBox& box) const {
        return PixelRect{X(box.left), Y(box.top), X(box.left + box.width), Y(box.top + box.height)};
    }
    // A window's outer rectangle: its corner is placed and its size converted on their own,
    // so that the window keeps its size in pixels wherever it is put.
    PixelRect Window(double left, double top, double width, double height) const {
        const int x = X(left);
        const int y = Y(top);
        return PixelRect{x, y, x + X(width), y + Y(height)};
    }

    // The centre of a pixel, in twips: the point that the pointer over that pixel stands for.
    float TwipsX(int pixel) const { return static_cast<float>((pixel + 0.5) * twipsPerPixelX_); }
    float TwipsY(int pixel) const { return static_cast<float>((pixel + 0.5) * twipsPerPixelY_); }

private:
    static int Edge(double pixels);

    double twipsPerPixelX_;
    double twipsPerPixelY_;
};

// The character height, in pixels, of a font of `points` at `dpi` dots per inch (72 points make
// an inch): 8.25 points are 11 pixels at 96 dpi and 17 at 144.
int FontPixelHeight(double points, int dpi);

} // namespace quillery
