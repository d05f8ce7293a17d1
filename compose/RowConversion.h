#pragma once
// One picture row written in another pixel format: the conversion the
// thumbnail's rows go through on their way from a decoder into the thumbnail
// (or into the reduction, which takes 24 bits).
#include <cstdint>
#include <vector>

#include "Palette.h"

namespace imvexa {

class TRowConversion {
public:
    // From rows of fromBits (1, 4, 8 or 24) with the colour table fromColors
    // to rows of toBits with toColors, as the platform bitmap converts them:
    // rows of the same encoding are copied as they are; a palette index gives
    // its table colour (black beyond the table), and a palette target the
    // first of its nearest colours.
    TRowConversion(int fromBits, const std::vector<PaletteEntry>& fromColors, int toBits,
                   const std::vector<PaletteEntry>& toColors);

    // Writes the width pixels of from into to, starting at pixel left of to.
    void Convert(const std::uint8_t* from, std::uint8_t* to, std::int32_t left, std::int32_t width) const;

private:
    int fromBits_, toBits_;
    bool copy_;
    // Per source index: the target index, or for 24 bits 0x00RRGGBB.
    std::vector<std::uint32_t> lookup_;
};

}  // namespace imvexa
