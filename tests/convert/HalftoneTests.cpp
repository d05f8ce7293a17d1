// Halftoning onto the fixed palettes: the exact diffusion arithmetic on
// pictures worked out by hand, and what every source format gives.
#include "ConvertTestSupport.h"
#include "ZdDIBHalftonePalette.h"

namespace imvexa::test {
namespace {

// Bottom-up rows, so memory row 0 is the bottom picture row.
void PaintRows(TZdDIB& image, const std::vector<std::vector<std::uint32_t>>& memoryRows) {
    const int height = static_cast<int>(memoryRows.size());
    Paint(image, static_cast<int>(memoryRows[0].size()), height, 24,
          [&](int x, int y) { return memoryRows[static_cast<std::size_t>(height - 1 - y)][x]; });
}

TEST(Halftone, DiffusesErrorsForwardThenBackwardRowByRow) {
    // Red 70, no green or blue. Memory row 0, left to right: 70 → level 51
    // (index 35), error -19; 70 - (12·-19)/32 = 70 + 7 = 77 → level 102 (70),
    // error 25. Row 1, right to left: x = 1 sees above 25 and a zero guard
    // behind: 70 - 300/32 = 61 → 51, error -10; x = 0 sees above -19,
    // preceding -10, behind (x + 1) 25: E = -228 - 120 + 125 = -223, truncated
    // -223/32 = -6 → 76 → 51 (floor division would give 77 and index 70).
    TZdDIB image;
    PaintRows(image, {{0x460000, 0x460000}, {0x460000, 0x460000}});
    image.SetPixelFormat(zdPfHalftone);
    EXPECT_EQ(image.PixelFormat(), zdPf8Bit);
    EXPECT_EQ(MemoryRow(image, 0, 2), (Bytes{35, 70}));
    EXPECT_EQ(MemoryRow(image, 1, 2), (Bytes{35, 35}));
}

TEST(Halftone, BlackAndWhiteThresholdsTheSumOfTheAdjustedChannels) {
    // Grey 128: sum 384 → white, error 127 each; 128 - 1524/32 = 81 → black,
    // error -81; 128 + 30 = 158 → white, error 97; 128 - 36 = 92 → black.
    TZdDIB image;
    PaintRows(image, {{0x808080, 0x808080, 0x808080, 0x808080}});
    image.SetPixelFormat(zdPfHalftoneBW);
    EXPECT_EQ(image.PixelFormat(), zdPf1Bit);
    EXPECT_EQ(MemoryRow(image, 0, 1), Bytes{0xA0});
    EXPECT_EQ(ColorCount(image), 2u);
    EXPECT_EQ(TableColor(image, 0), 0x000000u);
    EXPECT_EQ(TableColor(image, 1), 0xFFFFFFu);
}

// A picture of one colour, halftoned in the given format; its pixels.
std::vector<std::uint32_t> HalftonePixels(std::uint32_t color, int height, TZdPixelFormat format) {
    TZdDIB image;
    Paint(image, 5, height, 24, [&](int, int) { return color; });
    image.SetPixelFormat(format);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < 5; ++x) pixels.push_back(image.Pixels(x, y));
    return pixels;
}

TEST(Halftone, ColoursOnThePaletteStayExact) {
    const std::pair<std::uint32_t, std::uint32_t> cubeColors[] = {
        {0xFF0000, 175}, {0x000000, 0}, {0xFFFFFF, 209}, {0x3380C0, 35 * 1 + 5 * 3 + 3}};
    for (const int height : {3, -3}) {
        for (const auto& [color, index] : cubeColors)
            EXPECT_EQ(HalftonePixels(color, height, zdPfHalftone), std::vector<std::uint32_t>(15, index)) << color;
        EXPECT_EQ(HalftonePixels(0xFFFFFF, height, zdPfHalftoneBW), std::vector<std::uint32_t>(15, 1));
        EXPECT_EQ(HalftonePixels(0x000000, height, zdPfHalftoneBW), std::vector<std::uint32_t>(15, 0));
    }
}

TEST(Halftone, TheColourResultCarriesTheHalftonePalette) {
    TZdDIB image;
    image.SetPixelFormat(zdPfHalftone);
    ASSERT_EQ(ColorCount(image), 215u);
    for (int i = 0; i < 215; ++i) {
        const PaletteEntry& e = kHalftoneColors[static_cast<std::size_t>(i)];
        EXPECT_EQ(TableColor(image, i), static_cast<std::uint32_t>(e.red << 16 | e.green << 8 | e.blue));
    }
    EXPECT_EQ(TableColor(image, 35 * 3 + 5 * 2 + 1), 0x995540u);
    EXPECT_EQ(TableColor(image, 213), 0xC0C0C0u);
}

TEST(Halftone, MidGreyAveragesToGrey) {
    TZdDIB image;
    Paint(image, 64, 64, 24, [](int, int) { return 0x808080u; });
    image.SetPixelFormat(zdPfHalftone);
    std::uint64_t red = 0, green = 0, blue = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t color = ColorAt(image, x, y);
            red += color >> 16;
            green += color >> 8 & 0xFF;
            blue += color & 0xFF;
        }
    }
    for (const std::uint64_t sum : {red, green, blue}) EXPECT_NEAR(static_cast<double>(sum) / 4096, 128, 2);
}

TEST(Halftone, PaletteAndRleSourcesGiveWhatTheirColoursGive) {
    for (const int bits : {1, 4, 8}) {
        TZdDIB palette, trueColor;
        Paint(palette, 40, 6, bits, [&](int x, int y) { return static_cast<std::uint32_t>(x / 6 + y) % (1u << bits); });
        std::vector<std::uint32_t> colors;
        for (std::uint32_t i = 0; i < 1u << bits; ++i) colors.push_back(i * 0x3B1F07 % 0x1000000);
        SetColors(palette, colors);
        trueColor.Assign(&palette);
        trueColor.SetPixelFormat(zdPf24Bit);
        const std::vector<TZdPixelFormat> sources =
            bits == 1 ? std::vector{zdPf1Bit} : std::vector{bits == 4 ? zdPf4Bit : zdPf8Bit, bits == 4 ? zdPf4BitRLE : zdPf8BitRLE};
        for (const TZdPixelFormat source : sources) {
            for (const TZdPixelFormat target : {zdPfHalftone, zdPfHalftoneBW}) {
                TZdDIB converted, expected;
                converted.Assign(&palette);
                converted.SetPixelFormat(source);
                converted.SetPixelFormat(target);
                expected.Assign(&trueColor);
                expected.SetPixelFormat(target);
                const TZdDIBInfo& a = converted.InternalDIB().Info;
                const TZdDIBInfo& b = expected.InternalDIB().Info;
                ASSERT_EQ(a.BitsSize, b.BitsSize);
                EXPECT_EQ(Bytes(a.Bits, a.Bits + a.BitsSize), Bytes(b.Bits, b.Bits + b.BitsSize))
                    << bits << " bits as format " << source << " to " << target;
            }
        }
    }
}

}  // namespace
}  // namespace imvexa::test
