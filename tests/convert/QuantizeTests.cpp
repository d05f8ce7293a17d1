// Reduction to computed palettes: the split rule, the rounding of palette
// colours, and small pictures whose palettes can be worked out by hand.
#include <map>

#include "ConvertTestSupport.h"
#include "ZdDIBVarianceSplit.h"

namespace imvexa::test {
namespace {

// Sums whose weight² × variance per channel is exactly v (weight 1, sum 0).
ColorSums WithScaledVariances(std::uint64_t red, std::uint64_t green, std::uint64_t blue) {
    ColorSums sums;
    sums.weight = 1;
    sums.squares = {red, green, blue};
    return sums;
}

struct SplitCase {
    std::uint64_t red, green, blue;
    int low, high;  // 0 red, 1 green, 2 blue
};

TEST(VarianceSplit, TheChannelOfLargestWeightedVarianceWinsAndTiesGoToRedThenGreen) {
    constexpr std::uint64_t k = std::uint64_t{1} << 60;
    const SplitCase cases[] = {
        {0, 0, 0, 0, 0},  // a single colour
        {4, 3, 6, 0, 0},  // 3·4 = 4·3 = 2·6
        {5, 3, 7, 0, 0},
        {4, 3, 7, 2, 2},
        {6, 3, 10, 2, 2},  // red beats green but not blue
        {4, 4, 6, 1, 1},
        {4, 4, 7, 2, 1},  // 2·7 > 3·4 but not > 4·4
        {0, 1, 0, 1, 1},
        // Beyond 64 bits, where a double would see a tie.
        {4 * k, 3 * k, 6 * k, 0, 0},
        {4 * k, 3 * k + 1, 6 * k, 2, 1},
        {4 * k, 3 * k, 6 * k + 1, 2, 2},
    };
    for (const SplitCase& c : cases) {
        const ColorSums sums = WithScaledVariances(c.red, c.green, c.blue);
        EXPECT_EQ(SplitChannel(sums, SplitRule::Low), c.low) << c.red << " " << c.green << " " << c.blue;
        EXPECT_EQ(SplitChannel(sums, SplitRule::High), c.high) << c.red << " " << c.green << " " << c.blue;
    }
}

struct MeanCase {
    std::vector<std::uint8_t> values;
    std::uint8_t rounded;
    std::uint8_t floor;
};

TEST(VarianceSplit, PaletteColoursAreMeansRoundedHalfToEven) {
    const MeanCase cases[] = {{{1, 2}, 2, 1},     {{2, 3}, 2, 2},       {{1, 2, 2}, 2, 1},
                              {{0, 0, 1}, 0, 0},  {{254, 255}, 254, 254}, {{7}, 7, 7}};
    for (const MeanCase& c : cases) {
        ColorSums sums;
        for (const std::uint8_t v : c.values) sums.Add(RgbTriple{0, 0, v});
        EXPECT_EQ(sums.MeanColor().rgbRed, c.rounded);
        EXPECT_EQ(sums.MeanFloor(0), c.floor);
    }
}

// Converts a 24-bit picture of colours 0xRRGGBB (memory rows bottom-up) and
// returns its indexes in picture order.
std::vector<std::uint32_t> Reduce(TZdDIB& image, const std::vector<std::vector<std::uint32_t>>& rows,
                                  TZdConvertMode mode, TZdPixelFormat format) {
    const int width = static_cast<int>(rows[0].size());
    Paint(image, width, static_cast<int>(rows.size()), 24, [&](int x, int y) { return rows[y][x]; });
    image.ConvertMode = mode;
    image.SetPixelFormat(format);
    std::vector<std::uint32_t> indexes;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < width; ++x) indexes.push_back(image.Pixels(x, y));
    return indexes;
}

std::vector<std::uint32_t> Palette(const TZdDIB& image) {
    std::vector<std::uint32_t> colors;
    for (int i = 0; i < static_cast<int>(ColorCount(image)); ++i) colors.push_back(TableColor(image, i));
    return colors;
}

struct HandCase {
    const char* what;
    TZdConvertMode mode;
    TZdPixelFormat format;
    std::vector<std::vector<std::uint32_t>> rows;
    std::vector<std::uint32_t> palette;
    std::vector<std::uint32_t> indexes;
};

TEST(Quantize, SmallPicturesGetThePalettesWorkedOutByHand) {
    constexpr auto kLow = TZdConvertMode::Low;
    constexpr auto kHigh = TZdConvertMode::High;
    const HandCase cases[] = {
        {"one colour", kLow, zdPf8Bit, {{0x123456, 0x123456}, {0x123456, 0x123456}}, {0x123456}, {0, 0, 0, 0}},
        {"one colour", kHigh, zdPf8Bit, {{0x123456, 0x123456}, {0x123456, 0x123456}}, {0x123456}, {0, 0, 0, 0}},
        // Split on red at the mean 100: the part above it comes first.
        {"two colours", kLow, zdPf4Bit, {{0xC80000, 0}, {0, 0}}, {0xC80000, 0}, {0, 1, 1, 1}},
        {"two colours", kHigh, zdPf4Bit, {{0xC80000, 0}, {0, 0}}, {0xC80000, 0}, {0, 1, 1, 1}},
        // One 5-6-5 cell: Low keeps base + integer mean of the dropped bits.
        {"one cell", kLow, zdPf4Bit, {{0x080408, 0x0F070F}}, {0x0B050B}, {0, 0}},
        {"one cell", kHigh, zdPf4Bit, {{0x080408, 0x0F070F}}, {0x0F070F, 0x080408}, {1, 0}},
        // The mean 10 itself goes with the lower part: {20} | {0, 10}, then {10} | {0}.
        {"value on the mean", kHigh, zdPf4Bit, {{0x000000, 0x0A0000, 0x140000}}, {0x140000, 0x0A0000, 0}, {2, 1, 0}},
    };
    for (const HandCase& c : cases) {
        TZdDIB image;
        EXPECT_EQ(Reduce(image, c.rows, c.mode, c.format), c.indexes) << c.what;
        EXPECT_EQ(Palette(image), c.palette) << c.what;
    }
}

TEST(Quantize, EightBitPicturesReduceTheirUsedColoursByWeight) {
    TZdDIB image;
    Paint(image, 4, 1, 8, [](int x, int) { return std::vector<std::uint32_t>{3, 3, 200, 5}[x]; });
    std::vector<std::uint32_t> colors(256, 0x777777);
    colors[3] = colors[5] = 0x0000FF;
    colors[200] = 0x000000;
    SetColors(image, colors);
    image.SetPixelFormat(zdPf4Bit);
    // Blue alone varies; its mean 191.25 puts black in the first part, which
    // is split after the second, so blue takes entry 0.
    EXPECT_EQ(Palette(image), (std::vector<std::uint32_t>{0x0000FF, 0x000000}));
    EXPECT_EQ((std::vector<std::uint32_t>{image.Pixels(0, 0), image.Pixels(1, 0), image.Pixels(2, 0), image.Pixels(3, 0)}),
              (std::vector<std::uint32_t>{0, 0, 1, 0}));
}

// A photograph-like picture: smooth gradients with noise.
std::uint32_t Photo(int x, int y) {
    const std::uint32_t noise = static_cast<std::uint32_t>(x * 7919 + y * 104729) * 2654435761u >> 27;
    return ((x * 9 + noise) & 0xFF) << 16 | ((y * 5 + x + noise) & 0xFF) << 8 | ((x * y + noise * 3) & 0xFF);
}

TEST(Quantize, HighPaletteColoursAreTheRoundedMeansOfTheirPixels) {
    for (const TZdPixelFormat format : {zdPf8Bit, zdPf4Bit}) {
        TZdDIB original, image;
        Paint(original, 61, 37, 24, Photo);
        image.Assign(&original);
        image.ConvertMode = TZdConvertMode::High;
        image.SetPixelFormat(format);

        std::map<std::uint32_t, ColorSums> leaves;
        for (int y = 0; y < 37; ++y) {
            for (int x = 0; x < 61; ++x) {
                const std::uint32_t rgb = Photo(x, y);
                leaves[image.Pixels(x, y)].Add(RgbTriple{static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                                                         static_cast<std::uint8_t>(rgb >> 16)});
            }
        }
        ASSERT_EQ(leaves.size(), ColorCount(image));  // every entry is used
        EXPECT_EQ(ColorCount(image), format == zdPf8Bit ? 256u : 16u);
        for (const auto& [index, sums] : leaves) {
            const RgbQuad mean = sums.MeanColor();
            EXPECT_EQ(TableColor(image, static_cast<int>(index)),
                      static_cast<std::uint32_t>(mean.rgbRed << 16 | mean.rgbGreen << 8 | mean.rgbBlue));
        }
    }
}

TEST(Quantize, LowGivesPixelsOfOneCellOneIndex) {
    for (const TZdPixelFormat format : {zdPf8Bit, zdPf4Bit}) {
        TZdDIB image;
        Paint(image, 61, -37, 24, Photo);
        image.SetPixelFormat(format);
        EXPECT_LE(ColorCount(image), format == zdPf8Bit ? 256u : 16u);
        std::map<std::uint32_t, std::uint32_t> cellIndexes;
        for (int y = 0; y < 37; ++y) {
            for (int x = 0; x < 61; ++x) {
                const std::uint32_t rgb = Photo(x, y);
                const std::uint32_t cell = (rgb >> 19) << 11 | (rgb >> 10 & 63) << 5 | (rgb >> 3 & 31);
                const std::uint32_t index = image.Pixels(x, y);
                ASSERT_LT(index, ColorCount(image));
                EXPECT_EQ(cellIndexes.emplace(cell, index).first->second, index);
            }
        }
    }
}

}  // namespace
}  // namespace imvexa::test
