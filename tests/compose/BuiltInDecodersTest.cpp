// The decoder choice by extension key, where it differs from a plain decode.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "../common/BmpBuilder.h"
#include "../common/ExpectError.h"
#include "BitmapRows.h"
#include "BuiltInDecoders.h"
#include "RuntimeErrors.h"
#include "Stream.h"
#include "ZdDIBTypes.h"

namespace imvexa::test {
namespace {

// A PNG file whose IEND comes before any image data loads as an empty graphic,
// which cannot become a bitmap: its thumbnail fails as the graphic's copy does.
TEST(BuiltInDecoders, APngWithoutImageDataFailsAsItsEmptyGraphicDoes) {
    const std::vector<std::uint8_t> noImageData = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
        0x52, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x1e, 0x08, 0x02, 0x00, 0x00, 0x00, 0xd1,
        0xbf, 0xcb, 0x8a, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    TBitmap picture;
    TBitmapRows rows(picture);
    ExpectError<EConvertError>([&] { DecodeBuiltInRows(noImageData, "PNG", rows); },
                               "Cannot assign a QXPNGLE to a TBitmap");
}

// Plain rows stream and run-length codes go through the platform bitmap: both
// give the picture the bitmap loads from the file.
TEST(BuiltInDecoders, BmpFilesGiveThePictureTheBitmapLoads) {
    const std::vector<std::uint32_t> grey(256, 0x808080);
    const std::vector<Bytes> files = {
        BmpBuilder().Size(3, 2).Pixels(Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0})
            .Build(),
        BmpBuilder().Size(3, 2).Bits(8).Compression(kBiRle8).Colors(grey).Pixels(Bytes{3, 5, 0, 0, 2, 7, 0, 1})
            .Build(),
    };
    for (const Bytes& file : files) {
        TBitmap expected, decoded;
        TBorrowedMemoryStream stream(file.data(), file.size());
        expected.LoadFromStream(stream);
        TBitmapRows rows(decoded);
        ASSERT_TRUE(DecodeBuiltInRows(file, "BMP", rows));
        ASSERT_EQ(decoded.Width(), expected.Width());
        ASSERT_EQ(decoded.Height(), expected.Height());
        ASSERT_EQ(decoded.PixelFormat(), expected.PixelFormat());
        for (int y = 0; y < expected.Height(); ++y)
            EXPECT_EQ(0, std::memcmp(decoded.ScanLine(y), expected.ScanLine(y), static_cast<std::size_t>(expected.Stride())))
                << "row " << y;
    }
}

TEST(BuiltInDecoders, AKeyWithoutABuiltInDecoderIsLeftAlone) {
    TBitmap picture;
    TBitmapRows rows(picture);
    EXPECT_FALSE(DecodeBuiltInRows(std::vector<std::uint8_t>{1, 2, 3}, "ICO", rows));
    EXPECT_TRUE(picture.Empty());
}

}  // namespace
}  // namespace imvexa::test
