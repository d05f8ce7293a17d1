#pragma once
// Pieces of the BMP reader that the clipboard reader shares.
#include <cstdint>

#include "Stream.h"
#include "ZdDIBTypes.h"

namespace imvexa {

// Red, green and blue masks of 16- and 32-bit pixels.
struct BitFieldMasks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
};
static_assert(sizeof(BitFieldMasks) == 12);

// The masks of 16-bit (5-5-5) and 32-bit (8-8-8) pixels without bit fields.
BitFieldMasks DefaultBitFieldMasks(int bitCount);

// Reads |biHeight| rows of 16- or 32-bit pixels from the stream and puts
// them, scaled to 8 bits a channel, into a new 24-bit pixel block of info in
// the same row order. info's header must already have passed the size checks
// of the reader. Raises EZdDIBInvalidDIB for a zero mask or missing rows.
void ReadBitFieldPixels(TStream& stream, const BitFieldMasks& masks, TZdDIBInfo& info, bool useMapping);

// Reads the pixels that info's header describes from the stream into a new
// block of info: plain rows, 16- and 32-bit pixels (with masks for bit
// fields) as 24 bits, or encodedSize bytes of compressed data. Checks the
// picture's size first: EZdDIBInvalidDIB for an empty or too large picture
// and for data the stream does not hold.
void ReadPixelData(TStream& stream, BitFieldMasks masks, std::int64_t encodedSize, TZdDIBInfo& info,
                   bool useMapping);

}  // namespace imvexa
