// The fitted thumbnail of whole files: a shape on transparent surroundings
// in every PNG form of transparency keeps its surroundings transparent and
// its edges undarkened; other formats are opaque; the files it is written to
// hold its pixels.
#include <gtest/gtest.h>

#include <string>

#include "../common/BmpBuilder.h"
#include "../common/PngBuilder.h"
#include "BgraPictureFile.h"
#include "PngDecode.h"
#include "SizedThumbnail.h"
#include "ZdDIBTypes.h"

namespace imvexa::test {
namespace {

using png::Image;
using png::PngBuilder;
using Samples = std::vector<std::uint16_t>;

// 40 × 30 pixels: inside inside a rectangle whose edges cut the boxes of a
// 16-pixel thumbnail (2.5 source pixels each), outside around it.
Image Shape(int colorType, int depth, const Samples& inside, const Samples& outside) {
    Image image{40, 30, colorType, depth, {}};
    for (int y = 0; y < image.height; ++y) {
        std::vector<std::uint16_t> row;
        for (int x = 0; x < image.width; ++x) {
            const Samples& pixel = x >= 11 && x < 29 && y >= 7 && y < 23 ? inside : outside;
            row.insert(row.end(), pixel.begin(), pixel.end());
        }
        image.rows.push_back(row);
    }
    return image;
}

TEST(ComposeBuiltInAtSize, TransparentSurroundingsStayTransparentAndEdgesKeepTheirColour) {
    const png::Bytes key{0, 0, 0, 0, 0, 0};
    const struct {
        const char* what;
        png::Bytes file;
        std::uint8_t blue, green, red;  // of the shape
    } cases[] = {
        {"RGBA", PngBuilder(Shape(6, 8, {200, 30, 10, 255}, {0, 255, 0, 0})).Build(), 10, 30, 200},
        {"RGBA 16-bit Adam7", PngBuilder(Shape(6, 16, {0xC8FF, 0x1E00, 0x0A00, 0xFFFF}, {0, 0xFFFF, 0, 0})).Interlace().Build(), 10, 30, 200},
        {"grey + alpha", PngBuilder(Shape(4, 8, {90, 255}, {255, 0})).Build(), 90, 90, 90},
        {"palette + tRNS", PngBuilder(Shape(3, 4, {1}, {0})).Palette({0x00FF00, 0xC81E0A}).Before("tRNS", {0}).Build(), 10, 30, 200},
        {"grey key", PngBuilder(Shape(0, 8, {90}, {0})).Before("tRNS", {0, 0}).Build(), 90, 90, 90},
        {"truecolour key Adam7", PngBuilder(Shape(2, 8, {200, 30, 10}, {0, 0, 0})).Before("tRNS", key).Interlace().Build(), 10, 30, 200},
    };
    for (const auto& c : cases) {
        TBgraPicture picture;
        ASSERT_TRUE(ComposeBuiltInAtSize(c.file, "PNG", 16, picture)) << c.what;
        ASSERT_EQ(picture.width, 16) << c.what;
        ASSERT_EQ(picture.height, 12) << c.what;
        EXPECT_TRUE(picture.hasAlpha) << c.what;
        EXPECT_EQ(png::Bytes(picture.pixels.begin(), picture.pixels.begin() + 4), (png::Bytes{0, 0, 0, 0})) << c.what;
        int partial = 0;
        for (std::size_t i = 0; i < picture.pixels.size(); i += 4) {
            const std::uint8_t* pixel = picture.pixels.data() + i;
            if (pixel[3] == 0) continue;
            partial += pixel[3] < 255;
            ASSERT_EQ(png::Bytes(pixel, pixel + 3), (png::Bytes{c.blue, c.green, c.red})) << c.what << " pixel " << i / 4;
        }
        EXPECT_GT(partial, 0) << c.what << ": the edges cut no box";
    }
}

TEST(ComposeBuiltInAtSize, OtherPicturesAreOpaque) {
    const png::Bytes opaquePng = PngBuilder(Shape(2, 8, {1, 2, 3}, {4, 5, 6})).Build();
    const Bytes bmp = BmpBuilder().Size(2, 2).Bits(24).Pixels(PackRows(2, 24, {{0x010203, 0x040506}, {0x070809, 0x0A0B0C}})).Build();
    const struct {
        const char* key;
        const std::vector<std::uint8_t>& file;
    } cases[] = {{"PNG", opaquePng}, {"BMP", bmp}};
    for (const auto& c : cases) {
        TBgraPicture picture;
        ASSERT_TRUE(ComposeBuiltInAtSize(c.file, c.key, 16, picture)) << c.key;
        EXPECT_FALSE(picture.hasAlpha) << c.key;
        for (std::size_t i = 3; i < picture.pixels.size(); i += 4) ASSERT_EQ(picture.pixels[i], 255) << c.key;
    }
    TBgraPicture picture;
    EXPECT_FALSE(ComposeBuiltInAtSize(bmp, "ICO", 16, picture));
}

TEST(BgraPictureFile, HoldsThePixels) {
    const TBgraPicture picture{2, 2, true, {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 1}};
    TMemoryStream pngFile;
    SaveBgraPng(picture, pngFile);
    TBgraPicture read;
    ASSERT_TRUE(ComposeBuiltInAtSize(pngFile.Bytes(), "PNG", 2, read));
    EXPECT_TRUE(read.hasAlpha);
    EXPECT_EQ(read.pixels, picture.pixels);

    TMemoryStream bmpFile;
    SaveBgraBmp(picture, bmpFile);
    const std::vector<std::uint8_t>& bmp = bmpFile.Bytes();
    BitmapInfoHeader info;
    std::memcpy(&info, bmp.data() + sizeof(BitmapFileHeader), sizeof info);
    EXPECT_EQ(info.biBitCount, 32);
    EXPECT_EQ(info.biHeight, 2);  // bottom-up
    const std::size_t pixels = sizeof(BitmapFileHeader) + sizeof(BitmapInfoHeader);
    ASSERT_EQ(bmp.size(), pixels + 16);
    EXPECT_EQ(Bytes(bmp.begin() + pixels, bmp.end()), (Bytes{7, 8, 9, 255, 10, 11, 12, 1, 1, 2, 3, 0, 4, 5, 6, 128}));
}

}  // namespace
}  // namespace imvexa::test
