#pragma once
// Taking MAG files apart: the lead-in, comment, header and palette, and where
// the three streams lie. The bytes stay where they are.
#include <cstdint>
#include <span>
#include <vector>

#include "MagTypes.h"
#include "Palette.h"
#include "PixelLimits.h"

namespace imvexa {

// What a MAG file says besides its streams.
struct MagLayout {
    MagBlock leadIn{};
    MagBlock headerBytes{};
    MagHeader header;
    MagProperties properties;
    int colorMode = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    // The first 0x00 byte of the file: the palette and the three stream
    // offsets count from here. In a well-formed file it is the header's start.
    std::size_t base = 0;
};

// Takes the file apart; EMagError when it is not a MAG file, its lead-in,
// comment or header is cut short, its picture is empty or beyond the limits
// of the holding, or its palette or flag A stream runs past the end.
MagLayout ReadMagLayout(std::span<const std::uint8_t> bytes, TPictureHolding holding);

// The file's palette: 16 or 256 entries.
std::vector<PaletteEntry> ReadMagPalette(std::span<const std::uint8_t> bytes, const MagLayout& layout);

}  // namespace imvexa
