#include "AlphaWeighting.h"

#include <algorithm>

#include "RoundedQuotient.h"

namespace imvexa {

namespace {

void MakeStraightAlpha(const std::uint64_t* sums, std::uint64_t count, std::uint8_t* pixel) {
    const std::uint64_t alpha = sums[6];
    if (alpha == 0) {
        std::fill_n(pixel, 4, 0);
        return;
    }
    // Each colour sum is at most 255 times the alpha sum, so the quotient fits a byte.
    for (int i = 0; i < 3; ++i)
        pixel[i] = static_cast<std::uint8_t>(RoundedQuotient(sums[2 * i] + 256 * sums[2 * i + 1], alpha));
    pixel[3] = static_cast<std::uint8_t>(RoundedQuotient(alpha, count));
}

}  // namespace

void WeightByAlpha(const std::uint8_t* bgra, std::uint8_t* weighted, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i, bgra += 4, weighted += kAlphaWeightedBytes) {
        const unsigned alpha = bgra[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned product = bgra[c] * alpha;
            weighted[2 * c] = static_cast<std::uint8_t>(product);
            weighted[2 * c + 1] = static_cast<std::uint8_t>(product >> 8);
        }
        weighted[6] = static_cast<std::uint8_t>(alpha);
    }
}

const TBoxPixels kBoxAlphaWeighted{kAlphaWeightedBytes, 4, MakeStraightAlpha};

}  // namespace imvexa
