#pragma once
// The box reduction of pictures with straight alpha: each colour counts in
// proportion to its alpha, so transparent pixels (whatever colour they hold)
// do not bleed into the opaque ones at the edges of a shape.
#include <cstdint>

#include "BoxReduction.h"

namespace imvexa {

// The reduction's source pixel for a blue, green, red, alpha pixel: blue·alpha,
// green·alpha and red·alpha as 16-bit numbers (low byte first), then alpha.
inline constexpr int kAlphaWeightedBytes = 7;

// Writes the weighted pixels of count BGRA pixels.
void WeightByAlpha(const std::uint8_t* bgra, std::uint8_t* weighted, std::int64_t count);

// Weighted pixels in, BGRA out: each colour the alpha-weighted mean of the
// box, rounded, and alpha the box's plain mean; a box without any alpha
// gives 0, 0, 0, 0.
extern const TBoxPixels kBoxAlphaWeighted;

}  // namespace imvexa
