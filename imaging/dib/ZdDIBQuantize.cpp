// Reductions to a computed palette of 256 or 16 colours: 24-bit pictures by
// the Low method (the means of a 5-6-5 colour histogram) or the High method
// (every pixel), 8-bit pictures from their used colours.
#include "PixelLimits.h"
#include "ZdDIBConvert.h"
#include "ZdDIBConvertRows.h"
#include "ZdDIBVarianceSplit.h"

namespace imvexa {

namespace {

constexpr const char* kWrongTrueColor = "Invalid Bitcount";

// The tree depth and bit count of a result with 256 or 16 colours.
struct PaletteSize {
    int depth;
    int bitCount;
};
constexpr PaletteSize k256Colors{8, 8};
constexpr PaletteSize k16Colors{4, 4};

// Writes every pixel as the palette index that indexRow(sourceRow, indexes)
// gives it.
template <class IndexRow>
TZdDIBInfo WriteIndexes(const TZdDIBInfo& source, const PictureRows& rows, const PaletteSize& size,
                        const PaletteTree& tree, bool useMapping, const char* step, IndexRow&& indexRow) {
    auto indexes = WorkBuffer<std::uint8_t>(static_cast<std::size_t>(rows.width));
    TZdDIBInfo result = ConvertRows(source, rows, size.bitCount, useMapping, step,
                                    [&](const std::uint8_t* in, std::uint8_t* out, std::int64_t) {
                                        indexRow(in, indexes.data());
                                        for (std::int64_t x = 0; x < rows.width; ++x)
                                            SetPackedIndex(out, x, size.bitCount, indexes[static_cast<std::size_t>(x)]);
                                    });
    tree.CopyColorsTo(result);
    return result;
}

// ---------------------------------------------------------------- Low

// A cell of the 5-6-5 colour cube: its pixel count and the sums of the low
// bits that the cell drops. Seven times the largest pixel count stays below 2^32.
struct Cell {
    std::uint32_t count;
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
};
static_assert(kMaxPixelBytes / 3 * 7 < (std::int64_t{1} << 32));

constexpr int kCells = 65536;

std::uint16_t CellOf(const std::uint8_t* bgr) {
    return static_cast<std::uint16_t>((bgr[2] >> 3) << 11 | (bgr[1] >> 2) << 5 | bgr[0] >> 3);
}

// The integer mean colour of the pixels of a non-empty cell.
RgbTriple CellColor(std::uint16_t cell, const Cell& sums) {
    return RgbTriple{static_cast<std::uint8_t>((cell & 31) * 8 + sums.blue / sums.count),
                     static_cast<std::uint8_t>((cell >> 5 & 63) * 4 + sums.green / sums.count),
                     static_cast<std::uint8_t>((cell >> 11) * 8 + sums.red / sums.count)};
}

TZdDIBInfo ReduceLow(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress,
                     const PaletteSize& size, const char* step) {
    RequireFormat(source, 24, step, kWrongTrueColor);
    const PictureRows rows = CheckedRows(source, step);

    auto cells = WorkBuffer<Cell>(kCells);
    for (std::int64_t r = 0; r < rows.height; ++r) {
        const std::uint8_t* row = source.Bits + r * rows.stride;
        for (std::int64_t x = 0; x < rows.width; ++x) {
            const std::uint8_t* pixel = row + 3 * x;
            Cell& cell = cells[CellOf(pixel)];
            ++cell.count;
            cell.blue += pixel[0] & 7;
            cell.green += pixel[1] & 3;
            cell.red += pixel[2] & 7;
        }
    }

    std::vector<WeightedColor> items;
    for (int cell = 0; cell < kCells; ++cell) {
        if (cells[cell].count == 0) continue;
        const auto key = static_cast<std::uint16_t>(cell);
        items.push_back(WeightedColor{CellColor(key, cells[cell]), key, cells[cell].count});
    }
    const PaletteTree tree =
        VarianceSplitter<WeightedColor>(size.depth, SplitRule::Low, progress).Split(items.data(), items.data() + items.size());

    // Pixels that share a cell share the index of the cell's item.
    auto cellIndexes = WorkBuffer<std::uint8_t>(kCells);
    for (const WeightedColor& item : items) cellIndexes[item.key] = tree.IndexOf(item.color);
    return WriteIndexes(source, rows, size, tree, useMapping, step, [&](const std::uint8_t* in, std::uint8_t* indexes) {
        for (std::int64_t x = 0; x < rows.width; ++x) indexes[x] = cellIndexes[CellOf(in + 3 * x)];
    });
}

// ---------------------------------------------------------------- High

TZdDIBInfo ReduceHigh(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress,
                      const PaletteSize& size, const char* step) {
    RequireFormat(source, 24, step, kWrongTrueColor);
    const PictureRows rows = CheckedRows(source, step);

    PaletteTree tree(size.depth);
    {
        auto pixels = WorkBuffer<RgbTriple>(static_cast<std::size_t>(rows.width * rows.height));
        for (std::int64_t r = 0; r < rows.height; ++r)
            for (std::int64_t x = 0; x < rows.width; ++x)
                pixels[static_cast<std::size_t>(r * rows.width + x)] =
                    PixelColor<24>(source.Bits + r * rows.stride, x, nullptr);
        tree = VarianceSplitter<RgbTriple>(size.depth, SplitRule::High, progress)
                   .Split(pixels.data(), pixels.data() + pixels.size());
    }
    return WriteIndexes(source, rows, size, tree, useMapping, step, [&](const std::uint8_t* in, std::uint8_t* indexes) {
        tree.IndexesOf(in, static_cast<std::size_t>(rows.width), indexes);
    });
}

}  // namespace

TZdDIBInfo ConvertTrueColorTo8BitRGBLow(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress) {
    return ReduceLow(source, useMapping, progress, k256Colors, "ConvertTrueColorTo8BitRGBLow");
}

TZdDIBInfo ConvertTrueColorTo4BitRGBLow(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress) {
    return ReduceLow(source, useMapping, progress, k16Colors, "ConvertTrueColorTo4BitRGBLow");
}

TZdDIBInfo ConvertTrueColorTo8BitRGBHigh(const TZdDIBInfo& source, bool useMapping,
                                         const ConversionProgress& progress) {
    return ReduceHigh(source, useMapping, progress, k256Colors, "ConvertTrueColorTo8BitRGBHigh");
}

TZdDIBInfo ConvertTrueColorTo4BitRGBHigh(const TZdDIBInfo& source, bool useMapping,
                                         const ConversionProgress& progress) {
    return ReduceHigh(source, useMapping, progress, k16Colors, "ConvertTrueColorTo4BitRGBHigh");
}

TZdDIBInfo Convert8BitRGBTo4BitRGB(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress) {
    constexpr const char* step = "Convert8BitRGBTo4BitRGB";
    RequireFormat(source, 8, step, "Invalid Bitcount or Compression");
    const PictureRows rows = CheckedRows(source, step);

    std::array<std::uint32_t, kMaxColors> counts{};
    for (std::int64_t r = 0; r < rows.height; ++r) {
        const std::uint8_t* row = source.Bits + r * rows.stride;
        for (std::int64_t x = 0; x < rows.width; ++x) ++counts[row[x]];
    }
    std::vector<WeightedColor> items;
    for (int index = 0; index < kMaxColors; ++index)
        if (counts[index] != 0)
            items.push_back(WeightedColor{ToTriple(source.Colors[index]), static_cast<std::uint16_t>(index), counts[index]});
    const PaletteTree tree =
        VarianceSplitter<WeightedColor>(k16Colors.depth, SplitRule::Low, progress).Split(items.data(), items.data() + items.size());

    std::array<std::uint8_t, kMaxColors> newIndexes{};
    for (const WeightedColor& item : items) newIndexes[item.key] = tree.IndexOf(item.color);
    return WriteIndexes(source, rows, k16Colors, tree, useMapping, step, [&](const std::uint8_t* in, std::uint8_t* indexes) {
        for (std::int64_t x = 0; x < rows.width; ++x) indexes[x] = newIndexes[in[x]];
    });
}

}  // namespace imvexa
