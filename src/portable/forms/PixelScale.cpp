#include "forms/PixelScale.h"

#include <cmath>

namespace quillery {

// The first pixel whose centre (pixel + 0.5) is not before the edge.
int PixelScale::Edge(double pixels) {
    return static_cast<int>(std::ceil(pixels - 0.5));
}

int FontPixelHeight(double points, int dpi) {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

} // namespace quillery
