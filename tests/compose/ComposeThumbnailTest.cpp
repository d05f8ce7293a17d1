// The portable thumbnail: white surroundings around palette pictures drawn
// unscaled in their own colours.
#include <gtest/gtest.h>

#include "ComposeThumbnail.h"
#include "PaletteWithoutWhite.h"

namespace imvexa::test {
namespace {

std::uint32_t ColorAt(const TBitmap& bitmap, int x, int y) {
    const std::uint8_t* row = bitmap.ScanLine(y);
    PaletteEntry color;
    if (bitmap.BitsPerPixel() > 8)
        color = {row[3 * x + 2], row[3 * x + 1], row[3 * x], 0};
    else
        color = bitmap.ColorTable().at(GetPackedIndex(row, x, bitmap.BitsPerPixel()));
    return std::uint32_t{color.red} << 16 | std::uint32_t{color.green} << 8 | color.blue;
}

std::uint32_t Rgb(const PaletteEntry& color) {
    return std::uint32_t{color.red} << 16 | std::uint32_t{color.green} << 8 | color.blue;
}

class WhiteSurroundingsTest : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(WhiteSurroundingsTest, UnscaledPictureKeepsItsColours) {
    const PaletteCase& c = GetParam();
    TBitmap picture, thumbnail;
    PaintTwoHalves(picture, c, 20, 10);
    ComposeThumbnail(picture, 120, thumbnail);  // the picture lands at (50, 55)
    EXPECT_EQ(thumbnail.PixelFormat(), c.thumbnailFormat);
    for (const auto& [x, y] : {std::pair{0, 0}, {119, 119}, {49, 60}, {70, 60}, {60, 54}, {60, 65}})
        EXPECT_EQ(ColorAt(thumbnail, x, y), 0xFFFFFFu) << x << "," << y;
    EXPECT_EQ(ColorAt(thumbnail, 50, 55), Rgb(c.colors.front()));
    EXPECT_EQ(ColorAt(thumbnail, 69, 64), Rgb(c.colors.back()));
}

INSTANTIATE_TEST_SUITE_P(Tables, WhiteSurroundingsTest, ::testing::ValuesIn(PaletteCases()),
                         [](const ::testing::TestParamInfo<PaletteCase>& c) { return c.param.name; });

}  // namespace
}  // namespace imvexa::test
