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

// Plain rows stream, run-length codes the library accepts are expanded by it
// and codes it refuses go to the platform bitmap: each gives the picture and
// the colours the bitmap loads from the file, or fails as its load fails.
TEST(BuiltInDecoders, BmpFilesGiveThePictureTheBitmapLoads) {
    const std::vector<std::uint32_t> grey(256, 0x808080);
    const std::vector<std::uint32_t> sixteen = {0x000000, 0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0,
                                                0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF,
                                                0x111111, 0x222222, 0x333333, 0x444444};
    const auto rle = [](int bits, std::vector<std::uint32_t> colors, Bytes codes) {
        return BmpBuilder()
            .Size(3, 2)
            .Bits(static_cast<std::uint16_t>(bits))
            .Compression(bits == 8 ? kBiRle8 : kBiRle4)
            .ColorsUsed(static_cast<std::uint32_t>(colors.size()))
            .Colors(std::move(colors))
            .Pixels(std::move(codes))
            .Build();
    };
    const std::vector<Bytes> files = {
        BmpBuilder().Size(3, 2).Pixels(Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0})
            .Build(),
        rle(8, grey, Bytes{3, 5, 0, 0, 2, 7, 0, 1}),
        rle(8, sixteen, Bytes{0, 2, 1, 1, 2, 9, 0, 1}),  // a delta leaves pixels unset
        rle(4, sixteen, Bytes{3, 0x5A, 0, 0, 0, 3, 0x12, 0x30, 0, 1}),
        rle(8, sixteen, Bytes{3, 5, 0, 0, 2, 7}),  // no end-of-bitmap code
        rle(8, sixteen, Bytes{4, 5, 0, 1}),        // a run past the row's end
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const Bytes& file = files[i];
        TBitmap expected, decoded;
        TBitmapRows rows(decoded);
        try {
            TBorrowedMemoryStream stream(file.data(), file.size());
            expected.LoadFromStream(stream);
        } catch (const Exception& error) {
            ExpectError<Exception>([&] { DecodeBuiltInRows(file, "BMP", rows); }, error.what());
            continue;
        }
        ASSERT_TRUE(DecodeBuiltInRows(file, "BMP", rows));
        ASSERT_EQ(decoded.Width(), expected.Width());
        ASSERT_EQ(decoded.Height(), expected.Height());
        ASSERT_EQ(decoded.PixelFormat(), expected.PixelFormat());
        ASSERT_EQ(decoded.ColorTable().size(), expected.ColorTable().size());
        for (std::size_t c = 0; c < expected.ColorTable().size(); ++c) {
            const PaletteEntry a = decoded.ColorTable()[c], b = expected.ColorTable()[c];
            EXPECT_TRUE(a.red == b.red && a.green == b.green && a.blue == b.blue) << "colour " << c;
        }
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
