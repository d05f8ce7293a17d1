// The streamed composition against the thumbnail made from the whole
// picture: converted to the thumbnail's format and copied when it fits,
// reduced with ReduceImage when it does not. Random pictures, sizes and
// tables, palette and 24-bit sources, rows in either order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PackedPixels.h"
#include "Reduce.h"
#include "RowStreams.h"
#include "ThumbnailComposer.h"
#include "ThumbnailFormat.h"
#include "ThumbnailLayout.h"

namespace imvexa::test {
namespace {

void WholePictureThumbnail(const TBitmap& source, int edge, TBitmap& thumbnail) {
    thumbnail.SetPixelFormat(TPixelFormat::Bit24);
    thumbnail.SetSize(edge, edge);
    const ThumbnailLayout layout = LayOutThumbnail(source.Width(), source.Height(), edge);
    const Rect& target = layout.target;
    if (!layout.scaled) {
        TakePictureFormat(thumbnail, source);
        TBitmap picture;
        picture.Assign(&source);
        picture.SetPixelFormat(thumbnail.PixelFormat(), thumbnail.ColorTable());
        const int bits = picture.BitsPerPixel();
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x) {
                if (bits < 8) {
                    SetPackedIndex(thumbnail.ScanLine(target.top + y), target.left + x, bits,
                                   GetPackedIndex(picture.ScanLine(y), x, bits));
                } else {
                    std::memcpy(thumbnail.ScanLine(target.top + y) + (target.left + x) * (bits / 8),
                                picture.ScanLine(y) + x * (bits / 8), bits / 8);
                }
            }
        return;
    }
    TZdDIB picture, reduced;
    picture.Assign(&source);
    ReduceImage(picture, reduced, target.right - target.left, target.bottom - target.top);
    for (int y = 0; y < reduced.Height(); ++y)
        for (int x = 0; x < reduced.Width(); ++x) {
            const std::uint32_t color = reduced.Pixels(x, y);
            std::uint8_t* pixel = thumbnail.ScanLine(target.top + y) + 3 * (target.left + x);
            pixel[0] = static_cast<std::uint8_t>(color >> 16);
            pixel[1] = static_cast<std::uint8_t>(color >> 8);
            pixel[2] = static_cast<std::uint8_t>(color);
        }
}

template <typename Work>
std::string ErrorText(Work work) {
    try {
        work();
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

void ExpectSameBitmaps(const TBitmap& actual, const TBitmap& expected, const std::string& what) {
    ASSERT_EQ(actual.PixelFormat(), expected.PixelFormat()) << what;
    ASSERT_EQ(actual.Width(), expected.Width()) << what;
    ASSERT_EQ(actual.Height(), expected.Height()) << what;
    ASSERT_EQ(actual.ColorTable().size(), expected.ColorTable().size()) << what;
    const auto bytes = static_cast<std::size_t>((std::int64_t{actual.Width()} * actual.BitsPerPixel() + 7) / 8);
    for (int y = 0; y < actual.Height(); ++y)
        ASSERT_EQ(std::memcmp(actual.ScanLine(y), expected.ScanLine(y), bytes), 0) << what << " row " << y;
}

TEST(ThumbnailComposer, MatchesTheWholePictureOnRandomPicturesSizesAndOrders) {
    std::mt19937 random(15);
    const TPixelFormat formats[] = {TPixelFormat::Bit1, TPixelFormat::Bit4, TPixelFormat::Bit8, TPixelFormat::Bit24};
    for (int round = 0; round < 300; ++round) {
        const TPixelFormat format = formats[random() % 4];
        const int bits = BitsPerPixel(format);
        // Short tables leave indexes beyond them; full ones leave no room for white.
        const std::size_t colors = bits > 8 ? 0 : 1 + random() % (std::size_t{1} << bits);
        const int edge = 4 + static_cast<int>(random() % 40);
        const int width = 1 + static_cast<int>(random() % (2 * edge));
        const int height = 1 + static_cast<int>(random() % (2 * edge));
        const TRowOrder order = random() % 2 ? TRowOrder::TopDown : TRowOrder::BottomUp;
        TBitmap picture, streamed, whole;
        RandomBitmap(picture, random, width, height, format, colors);
        const std::string what = std::to_string(width) + "x" + std::to_string(height) + "@" + std::to_string(bits) +
                                 "/" + std::to_string(colors) + " edge " + std::to_string(edge) +
                                 (order == TRowOrder::TopDown ? " top-down" : " bottom-up");
        TThumbnailComposer composer(streamed, edge);
        // A side that rounds to no pixel fails in both.
        const std::string failure = ErrorText([&] { SendRowsInOrder(picture, order, composer); });
        EXPECT_EQ(failure, ErrorText([&] { WholePictureThumbnail(picture, edge, whole); })) << what;
        if (failure.empty()) ExpectSameBitmaps(streamed, whole, what);
    }
}

}  // namespace
}  // namespace imvexa::test
