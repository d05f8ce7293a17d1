// The fitted thumbnail: its size at the boundaries, its opaque pixels against
// the square thumbnail's rectangle, and alpha-weighted averaging against
// hand-computed pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "RowStreams.h"
#include "SizedThumbnail.h"
#include "ThumbnailComposer.h"
#include "ThumbnailLayout.h"

namespace imvexa::test {
namespace {

using Pixels = std::vector<std::uint8_t>;

TEST(FitThumbnailSize, KeepsTheAspectNeverEnlargesAndNeverVanishes) {
    const struct {
        std::int32_t width, height;
        int size;
        TFittedSize fitted;
    } cases[] = {
        {120, 120, 120, {120, 120}},     // exactly the size
        {121, 121, 120, {120, 120}},     // one more
        {121, 120, 120, {120, 119}},     // 119.008
        {240, 5, 120, {120, 2}},         // 2.5 rounds to even
        {1, 100000, 120, {1, 120}},      // rounds to 0: kept at 1
        {100000, 1, 120, {120, 1}},
        {2, 1, 1, {1, 1}},
        {50, 30, 256, {50, 30}},         // smaller: never enlarged
        {1, 1, 1024, {1, 1}},
        {0, 10, 120, {0, 0}},            // no pixels
        {10, 10, 0, {0, 0}},             // no size
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitThumbnailSize(c.width, c.height, c.size), c.fitted)
            << c.width << "x" << c.height << " in " << c.size;
}

// Pixel (x, y) of the square thumbnail at 24 bits.
Pixels SquarePixel(TBitmap& thumbnail, int x, int y) {
    const std::uint8_t* pixel = thumbnail.ScanLine(y) + 3 * x;
    return {pixel[0], pixel[1], pixel[2], 255};
}

Pixels SizedPixel(const TBgraPicture& picture, int x, int y) {
    const std::uint8_t* pixel = picture.pixels.data() + 4 * (static_cast<std::size_t>(y) * picture.width + x);
    return {pixel, pixel + 4};
}

TEST(SizedComposer, OpaquePicturesGetTheSquareThumbnailsRectanglePixels) {
    std::mt19937 random(18);
    const TPixelFormat formats[] = {TPixelFormat::Bit1, TPixelFormat::Bit4, TPixelFormat::Bit8, TPixelFormat::Bit24};
    for (int round = 0; round < 200; ++round) {
        const TPixelFormat format = formats[random() % 4];
        // Full tables: what indexes beyond a table show differs between the square thumbnail's formats.
        const std::size_t colors = BitsPerPixel(format) > 8 ? 0 : std::size_t{1} << BitsPerPixel(format);
        const int edge = 2 + static_cast<int>(random() % 40);
        const int width = 1 + static_cast<int>(random() % (2 * edge)), height = 1 + static_cast<int>(random() % (2 * edge));
        const TRowOrder order = random() % 2 ? TRowOrder::TopDown : TRowOrder::BottomUp;
        const std::string what = std::to_string(width) + "x" + std::to_string(height) + " edge " + std::to_string(edge);
        TBitmap picture, square;
        RandomBitmap(picture, random, width, height, format, colors);
        TSizedComposer sized(edge);
        SendRowsInOrder(picture, order, sized);
        const TBgraPicture fitted = sized.TakePicture();
        const ScaledSize scaled = ScaleIntoSquare(width, height, edge);
        if (scaled.width < 1 || scaled.height < 1) continue;  // the square thumbnail fails there
        TThumbnailComposer composer(square, edge);
        SendRowsInOrder(picture, order, composer);
        square.SetPixelFormat(TPixelFormat::Bit24);
        const Rect target = LayOutThumbnail(width, height, edge).target;
        ASSERT_EQ(fitted.width, target.right - target.left) << what;
        ASSERT_EQ(fitted.height, target.bottom - target.top) << what;
        EXPECT_FALSE(fitted.hasAlpha);
        for (int y = 0; y < fitted.height; ++y)
            for (int x = 0; x < fitted.width; ++x)
                ASSERT_EQ(SizedPixel(fitted, x, y), SquarePixel(square, target.left + x, target.top + y))
                    << what << " at " << x << "," << y;
    }
}

// Composes a picture of BGRA pixels given row by row at the size.
TBgraPicture ComposeBgra(const std::vector<Pixels>& rows, int size) {
    TSizedComposer composer(size);
    PictureHeader header;
    header.width = static_cast<std::int32_t>(rows[0].size() / 4);
    header.height = static_cast<std::int32_t>(rows.size());
    header.bitsPerPixel = 32;
    header.alpha = true;
    composer.Begin(header);
    for (const Pixels& row : rows) composer.Row(row.data());
    return composer.TakePicture();
}

TEST(SizedComposer, WeighsColoursByAlpha) {
    const struct {
        const char* what;
        Pixels left, right;  // two source pixels that make one
        Pixels made;
    } cases[] = {
        {"transparent", {9, 9, 9, 0, 200, 0, 0, 0}, {}, {0, 0, 0, 0}},
        {"edge not darkened", {0, 0, 0, 0, 10, 20, 255, 255}, {}, {10, 20, 255, 128}},
        {"weighted", {0, 0, 255, 255, 0, 0, 0, 85}, {}, {0, 0, 191, 170}},  // 65025 / 340 = 191.25
        {"opaque is the plain mean", {1, 2, 3, 255, 2, 3, 4, 255}, {}, {2, 2, 4, 255}},
    };
    for (const auto& c : cases) {
        const TBgraPicture made = ComposeBgra({c.left}, 1);
        ASSERT_EQ(made.width, 1) << c.what;
        EXPECT_TRUE(made.hasAlpha);
        EXPECT_EQ(made.pixels, c.made) << c.what;
    }
}

TEST(SizedComposer, CopiesAPictureWithAlphaThatFits) {
    const std::vector<Pixels> rows = {{1, 2, 3, 0, 4, 5, 6, 7}, {8, 9, 10, 11, 12, 13, 14, 255}};
    const TBgraPicture made = ComposeBgra(rows, 2);
    ASSERT_EQ(made.width, 2);
    ASSERT_EQ(made.height, 2);
    EXPECT_EQ(made.pixels, (Pixels{1, 2, 3, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255}));
}

}  // namespace
}  // namespace imvexa::test
