// The decoder choice by extension key, where it differs from a plain decode.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "../common/ExpectError.h"
#include "BitmapRows.h"
#include "BuiltInDecoders.h"
#include "RuntimeErrors.h"

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

TEST(BuiltInDecoders, AKeyWithoutABuiltInDecoderIsLeftAlone) {
    TBitmap picture;
    TBitmapRows rows(picture);
    EXPECT_FALSE(DecodeBuiltInRows(std::vector<std::uint8_t>{1, 2, 3}, "ICO", rows));
    EXPECT_TRUE(picture.Empty());
}

}  // namespace
}  // namespace imvexa::test
