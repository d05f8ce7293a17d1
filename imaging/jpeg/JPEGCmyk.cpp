#include "JPEGCmyk.h"

namespace imvexa {

void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
    // The share of paper a sample leaves uncovered, 0..255.
    const auto paper = [inverted](std::uint8_t sample) { return inverted ? int{sample} : 255 - sample; };
    // A colour's paper share under the key's, rounded to the nearest.
    const auto remaining = [](int colour, int key) { return static_cast<std::uint8_t>((2 * colour * key + 255) / 510); };
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        // All four read before writing: in place, a pixel's colours overwrite its own samples.
        const int cyan = paper(cmyk[0]), magenta = paper(cmyk[1]), yellow = paper(cmyk[2]), key = paper(cmyk[3]);
        bgr[0] = remaining(yellow, key);
        bgr[1] = remaining(magenta, key);
        bgr[2] = remaining(cyan, key);
    }
}

}  // namespace imvexa
