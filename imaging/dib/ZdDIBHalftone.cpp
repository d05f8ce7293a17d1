// Error diffusion onto the fixed halftone palettes. Rows run in memory order,
// even rows left to right and odd rows right to left; each pixel is adjusted
// by the errors of its neighbours already placed (12/32 of the one above,
// 12/32 of the preceding one, 5/32 of the one above and behind) before it is
// placed on the palette.
#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "ZdDIBConvert.h"
#include "ZdDIBConvertRows.h"
#include "ZdDIBErrors.h"
#include "ZdDIBHalftonePalette.h"

namespace imvexa {

namespace {

// Per channel: red, green, blue. The error rows keep 16 bits per channel;
// the errors stay far inside them, as each pixel passes on only 29/32 of what
// it received.
using ChannelValues = std::array<int, 3>;
using ChannelErrors = std::array<std::int16_t, 3>;

// Runs the diffusion over the rows of a Bits-bit source. place(resultRow, x,
// adjusted) writes pixel x and returns the errors it leaves.
template <int Bits, class Place>
TZdDIBInfo Diffuse(const TZdDIBInfo& source, const PictureRows& rows, int bitCount, bool useMapping,
                   const char* step, Place&& place) {
    // One guard entry on each side reads as zero error.
    auto previous = WorkBuffer<ChannelErrors>(static_cast<std::size_t>(rows.width) + 2);
    auto current = WorkBuffer<ChannelErrors>(static_cast<std::size_t>(rows.width) + 2);
    return ConvertRows(source, rows, bitCount, useMapping, step,
                       [&](const std::uint8_t* in, std::uint8_t* out, std::int64_t memoryRow) {
                           // Every entry of the current row is written before the next row reads it.
                           std::swap(previous, current);
                           const bool leftToRight = memoryRow % 2 == 0;
                           const std::int64_t direction = leftToRight ? 1 : -1;
                           ChannelValues preceding{};
                           for (std::int64_t i = 0; i < rows.width; ++i) {
                               const std::int64_t x = leftToRight ? i : rows.width - 1 - i;
                               const ChannelErrors& above = previous[static_cast<std::size_t>(x + 1)];
                               const ChannelErrors& behind = previous[static_cast<std::size_t>(x + 1 - direction)];
                               const RgbTriple color = PixelColor<Bits>(in, x, source.Colors);
                               const ChannelValues values{color.rgbtRed, color.rgbtGreen, color.rgbtBlue};
                               ChannelValues adjusted;
                               for (int c = 0; c < 3; ++c)
                                   adjusted[c] = values[c] - (12 * above[c] + 12 * preceding[c] + 5 * behind[c]) / 32;
                               preceding = place(out, x, adjusted);
                               ChannelErrors& stored = current[static_cast<std::size_t>(x + 1)];
                               for (int c = 0; c < 3; ++c) stored[c] = static_cast<std::int16_t>(preceding[c]);
                           }
                       });
}

// The level index of each value of one channel, from the upper bounds of the
// value ranges of the levels below the top one.
template <std::size_t Levels>
constexpr std::array<std::uint8_t, 256> LevelIndexes(const std::array<int, Levels - 1>& upperBounds) {
    std::array<std::uint8_t, 256> indexes{};
    for (int value = 0, level = 0; value < 256; ++value) {
        while (level < static_cast<int>(Levels) - 1 && value > upperBounds[static_cast<std::size_t>(level)]) ++level;
        indexes[static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(level);
    }
    return indexes;
}

constexpr auto kRedLevels = LevelIndexes<kHalftoneReds.size()>({25, 76, 127, 178, 230});
constexpr auto kGreenLevels = LevelIndexes<kHalftoneGreens.size()>({21, 63, 106, 149, 192, 233});
constexpr auto kBlueLevels = LevelIndexes<kHalftoneBlues.size()>({31, 95, 159, 223});

// Values below 0 and above 255 fall into the lowest and the highest range.
std::uint8_t LevelIndex(const std::array<std::uint8_t, 256>& indexes, int value) {
    return indexes[static_cast<std::size_t>(std::clamp(value, 0, 255))];
}

// Places a pixel on the colour cube (a function object, so that it is inlined).
struct PlaceOnCube {
    ChannelValues operator()(std::uint8_t* out, std::int64_t x, const ChannelValues& adjusted) const;
};

ChannelValues PlaceOnCube::operator()(std::uint8_t* out, std::int64_t x, const ChannelValues& adjusted) const {
    const std::uint8_t i = LevelIndex(kRedLevels, adjusted[0]);
    const std::uint8_t j = LevelIndex(kGreenLevels, adjusted[1]);
    const std::uint8_t k = LevelIndex(kBlueLevels, adjusted[2]);
    out[x] = static_cast<std::uint8_t>(35 * i + 5 * j + k);
    return ChannelValues{kHalftoneReds[i] - adjusted[0], kHalftoneGreens[j] - adjusted[1],
                         kHalftoneBlues[k] - adjusted[2]};
}

struct PlaceBlackOrWhite {
    ChannelValues operator()(std::uint8_t* out, std::int64_t x, const ChannelValues& adjusted) const;
};

ChannelValues PlaceBlackOrWhite::operator()(std::uint8_t* out, std::int64_t x, const ChannelValues& adjusted) const {
    const bool white = adjusted[0] + adjusted[1] + adjusted[2] >= 384;
    if (white) out[x / 8] |= static_cast<std::uint8_t>(0x80 >> x % 8);
    const int level = white ? 255 : 0;
    return ChannelValues{level - adjusted[0], level - adjusted[1], level - adjusted[2]};
}

// Halftones an uncompressed 1-, 4-, 8- or 24-bit source into a bitCount-bit
// result with the given colour table.
template <class Place, std::size_t Colors>
TZdDIBInfo Halftone(const TZdDIBInfo& source, bool useMapping, const char* step, int bitCount, Place&& place,
                    const std::array<PaletteEntry, Colors>& colors) {
    const int bits = source.Header.biBitCount;
    ZDDIB_ASSERT(source.Header.biCompression == kBiRgb, std::string(step) + ": Invalid DIB Format");
    ZDDIB_ASSERT(bits == 1 || bits == 4 || bits == 8 || bits == 24, std::string(step) + ": Invalid Bit Count");
    const PictureRows rows = CheckedRows(source, step);
    TZdDIBInfo result;
    ForBitCount(bits, [&](auto from) {
        result = Diffuse<decltype(from)::value>(source, rows, bitCount, useMapping, step, place);
    });
    SetColorTable(result, colors);
    return result;
}

}  // namespace

TZdDIBInfo ConvertToHalfTone(const TZdDIBInfo& source, bool useMapping) {
    return Halftone(source, useMapping, "ConvertToHalfTone", 8, PlaceOnCube{}, kHalftoneColors);
}

TZdDIBInfo ConvertToHalfToneBW(const TZdDIBInfo& source, bool useMapping) {
    return Halftone(source, useMapping, "ConvertToHalfToneBW", 1, PlaceBlackOrWhite{}, kBlackWhiteColors);
}

}  // namespace imvexa
