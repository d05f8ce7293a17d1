#include "ThumbnailLayout.h"

#include <cmath>

namespace imvexa {

namespace {
// Nearest integer, ties to the even one (the processor's default rounding).
int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }
}  // namespace

ThumbnailLayout LayOutThumbnail(int width, int height, int edge) {
    ThumbnailLayout layout;
    if (width <= edge && height <= edge) {
        const int left = (edge - width) / 2, top = (edge - height) / 2;
        layout.target = {left, top, left + width, top + height};
        return layout;
    }
    const auto [scaledWidth, scaledHeight] = ScaleIntoSquare(width, height, edge);
    layout.scaled = true;
    layout.target = {(edge - scaledWidth) / 2, (edge - scaledHeight) / 2, (edge + scaledWidth) / 2,
                     (edge + scaledHeight) / 2};
    return layout;
}

ScaledSize ScaleIntoSquare(int width, int height, int edge) {
    const double ratio = static_cast<double>(width) / height;
    if (ratio > 1.0) return {edge, RoundHalfEven(edge / ratio)};
    return {RoundHalfEven(edge * ratio), edge};
}

}  // namespace imvexa
