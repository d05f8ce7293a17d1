#pragma once
// What the conversion steps share: checking a source's rows against its
// pixel block, building the result row by row, reading pixels as colours and
// setting colour tables.
#include <array>
#include <cstdint>
#include <type_traits>

#include "PackedPixels.h"
#include "Palette.h"
#include "PixelMemory.h"
#include "WorkBuffer.h"
#include "ZdDIBTypes.h"

namespace imvexa {

// Raises EZdDIBBadDIBType "<step>: <problem>" unless the source is
// uncompressed at bitCount bits.
void RequireFormat(const TZdDIBInfo& source, int bitCount, const char* step, const char* problem);

// The geometry of an uncompressed picture whose rows all lie inside its block.
struct PictureRows {
    std::int64_t width;
    std::int64_t height;  // rows in memory
    std::int64_t stride;
};

// Raises EZdDIBInvalidDIB "<step>: Invalid Width or Height" when the header's
// rows do not fit the pixel limits or the block.
PictureRows CheckedRows(const TZdDIBInfo& source, const char* step);

// The result of a step: the source's record with a new zero-filled block of
// the same size at another bit count, uncompressed.
class ConvertedPicture {
public:
    // Raises EOutOfMemory "<step>: Picture Too Large" beyond the pixel limits.
    ConvertedPicture(const TZdDIBInfo& source, const PictureRows& rows, int bitCount, bool useMapping,
                     const char* step);

    std::uint8_t* Row(std::int64_t memoryRow) const { return block_.Bits() + memoryRow * stride_; }
    // The header and colour table, for steps that compute a palette.
    TZdDIBInfo& Info() { return info_; }
    // The complete record; its block belongs to the caller from now on.
    TZdDIBInfo Finish();

private:
    TZdDIBInfo info_;
    std::int64_t stride_;
    PixelBlock block_;
};

// Builds a result at bitCount bits by calling convertRow(sourceRow,
// resultRow, memoryRow) for every memory row.
template <class ConvertRow>
TZdDIBInfo ConvertRows(const TZdDIBInfo& source, const PictureRows& rows, int bitCount, bool useMapping,
                       const char* step, ConvertRow&& convertRow) {
    ConvertedPicture result(source, rows, bitCount, useMapping, step);
    for (std::int64_t r = 0; r < rows.height; ++r) convertRow(source.Bits + r * rows.stride, result.Row(r), r);
    return result.Finish();
}

// Calls body(std::integral_constant<int, bits>{}) for a bit count of 1, 4, 8
// or 24, so that per-pixel code is compiled for each layout.
template <class Body>
void ForBitCount(int bitCount, Body&& body) {
    switch (bitCount) {
        case 1: body(std::integral_constant<int, 1>{}); break;
        case 4: body(std::integral_constant<int, 4>{}); break;
        case 8: body(std::integral_constant<int, 8>{}); break;
        default: body(std::integral_constant<int, 24>{}); break;
    }
}

inline RgbTriple ToTriple(const RgbQuad& color) {
    return RgbTriple{color.rgbBlue, color.rgbGreen, color.rgbRed};
}

// Pixel x of a row as a colour: its own bytes at 24 bits, its colour-table
// entry otherwise.
template <int Bits>
RgbTriple PixelColor(const std::uint8_t* row, std::int64_t x, const RgbQuad* colors) {
    if constexpr (Bits == 24)
        return RgbTriple{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    else
        return ToTriple(colors[GetPackedIndex(row, x, Bits)]);
}

// Makes colors the colour table of info (biClrUsed and the first entries).
template <std::size_t Count>
void SetColorTable(TZdDIBInfo& info, const std::array<PaletteEntry, Count>& colors) {
    info.Header.biClrUsed = static_cast<std::uint32_t>(Count);
    for (std::size_t i = 0; i < Count; ++i) info.Colors[i] = RgbQuad{colors[i].blue, colors[i].green, colors[i].red, 0};
}

}  // namespace imvexa
