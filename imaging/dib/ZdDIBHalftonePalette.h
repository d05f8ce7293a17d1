#pragma once
// The fixed palettes of halftoning, shared by the halftone conversions and
// the halftone drawing palettes: a 6 × 7 × 5 colour cube (entry 35 × i +
// 5 × j + k has red kHalftoneReds[i], green kHalftoneGreens[j], blue
// kHalftoneBlues[k]) followed by five extra colours, and black and white.
#include <array>
#include <cstdint>

#include "Palette.h"

namespace imvexa {

inline constexpr std::array<std::uint8_t, 6> kHalftoneReds{0, 51, 102, 153, 204, 255};
inline constexpr std::array<std::uint8_t, 7> kHalftoneGreens{0, 43, 85, 128, 171, 214, 255};
inline constexpr std::array<std::uint8_t, 5> kHalftoneBlues{0, 64, 128, 192, 255};

inline constexpr std::array<PaletteEntry, 215> kHalftoneColors = [] {
    std::array<PaletteEntry, 215> entries{};
    for (std::size_t i = 0; i < kHalftoneReds.size(); ++i)
        for (std::size_t j = 0; j < kHalftoneGreens.size(); ++j)
            for (std::size_t k = 0; k < kHalftoneBlues.size(); ++k)
                entries[35 * i + 5 * j + k] = {kHalftoneReds[i], kHalftoneGreens[j], kHalftoneBlues[k], 0};
    entries[210] = {128, 0, 0, 0};
    entries[211] = {128, 128, 0, 0};
    entries[212] = {128, 0, 128, 0};
    entries[213] = {192, 192, 192, 0};
    entries[214] = {128, 128, 128, 0};
    return entries;
}();

inline constexpr std::array<PaletteEntry, 2> kBlackWhiteColors{{{0, 0, 0, 0}, {255, 255, 255, 0}}};

}  // namespace imvexa
