// QXPNGLE as a graphic: emptiness, sizes, palette, Assign and AssignTo.
#include "PngTestSupport.h"
#include "ZdDIB.h"

namespace imvexa::test::png {
namespace {

QXPNGLE& Loaded(QXPNGLE& png, const Image& image, const std::vector<std::uint32_t>& palette = {}) {
    PngBuilder builder(image);
    if (!palette.empty()) builder.Palette(palette);
    Load(png, builder.Build());
    return png;
}

TEST(PngGraphic, StartsEmpty) {
    QXPNGLE png;
    EXPECT_TRUE(png.Empty());
    EXPECT_EQ(png.Width(), 0);
    EXPECT_EQ(png.Height(), 0);
    EXPECT_EQ(png.Palette(), nullptr);
    EXPECT_STREQ(png.ClassName(), "QXPNGLE");
    png.SetWidth(10);  // nothing without a bitmap
    png.SetHeight(10);
    EXPECT_TRUE(png.Empty());
    png.SetPalette(CreatePaletteHandle(std::vector<PaletteEntry>(2).data(), 2));  // deleted
    EXPECT_TRUE(png.Empty());
    TMemoryStream out;
    png.SaveToStream(out);  // nothing without a bitmap
    EXPECT_TRUE(out.Bytes().empty());
}

TEST(PngGraphic, SizesAndPaletteGoToTheBitmap) {
    QXPNGLE png;
    Loaded(png, MakeImage(6, 4, 3, 8, 1, 2), {0x111111, 0x222222, 0x333333});
    EXPECT_FALSE(png.Empty());
    EXPECT_EQ(png.Width(), 6);
    EXPECT_EQ(png.Height(), 4);
    EXPECT_EQ(PaletteHandleSize(png.Palette()), 3);
    png.SetWidth(9);
    png.SetHeight(2);
    EXPECT_EQ(png.InternalBitmap()->Width(), 9);
    EXPECT_EQ(png.InternalBitmap()->Height(), 2);
    const PaletteEntry entries[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    png.SetPalette(CreatePaletteHandle(entries, 2));
    ASSERT_EQ(png.InternalBitmap()->ColorTable().size(), 2u);
    EXPECT_EQ(png.InternalBitmap()->ColorTable()[1].blue, 6);
}

TEST(PngGraphic, AssignToABitmapMakesItACopy) {
    QXPNGLE png;
    const Image image = MakeImage(7, 5, 3, 4, 2, 15);
    Loaded(png, image, TestPalette(16));
    TBitmap bitmap;
    png.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit4);
    EXPECT_EQ(bitmap.ColorTable().size(), 16u);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(Color(bitmap, x, y), ExpectedColor(image, x, y, TestPalette(16)));
    // The same through the bitmap's Assign.
    TBitmap other;
    other.Assign(&png);
    EXPECT_EQ(other.PixelFormat(), TPixelFormat::Bit4);
    EXPECT_EQ(Color(other, 3, 3), Color(bitmap, 3, 3));
}

TEST(PngGraphic, AssignToWithoutABitmapIsAConversionError) {
    QXPNGLE png;
    TBitmap bitmap;
    ExpectError<EConvertError>([&] { png.AssignTo(bitmap); }, "Cannot assign a QXPNGLE to a TBitmap");
}

TEST(PngGraphic, AssignBetweenPngs) {
    QXPNGLE source;
    const Image image = MakeImage(5, 5, 2, 8, 3);
    Loaded(source, image);
    QXPNGLE copy;
    copy.Assign(&source);
    ExpectPicture(copy, image);
    EXPECT_NE(copy.InternalBitmap(), source.InternalBitmap());
    QXPNGLE other;
    source.AssignTo(other);
    ExpectPicture(other, image);
    copy.Assign(&copy);  // itself: nothing
    ExpectPicture(copy, image);
    // From an empty QXPNGLE: an empty bitmap, yet the graphic is not empty.
    QXPNGLE empty;
    copy.Assign(&empty);
    EXPECT_FALSE(copy.Empty());
    EXPECT_EQ(copy.Width(), 0);
    // Null frees the bitmap.
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(PngGraphic, AssignFromBitmaps) {
    for (TPixelFormat format : {TPixelFormat::Bit1, TPixelFormat::Bit4, TPixelFormat::Bit8, TPixelFormat::Bit24}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(3, 2);
        bitmap.ScanLine(1)[0] = 0x80;
        QXPNGLE png;
        png.Assign(&bitmap);
        ASSERT_FALSE(png.Empty());
        EXPECT_EQ(png.InternalBitmap()->PixelFormat(), format);
        EXPECT_EQ(png.InternalBitmap()->ScanLine(1)[0], 0x80);
    }
    // Another format (the screen's 32 bits) becomes 24 bits.
    TBitmap device;
    device.SetSize(2, 1);
    device.ScanLine(0)[4] = 0x12;
    device.ScanLine(0)[5] = 0x34;
    device.ScanLine(0)[6] = 0x56;
    QXPNGLE png;
    png.Assign(&device);
    EXPECT_EQ(png.InternalBitmap()->PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(Color(*png.InternalBitmap(), 1, 0), 0x563412u);
    EXPECT_EQ(Color(*png.InternalBitmap(), 0, 0), 0xFFFFFFu);
}

TEST(PngGraphic, AssignFromOtherGraphicsIsAConversionError) {
    TZdDIB dib;
    QXPNGLE png;
    EXPECT_THROW(png.Assign(&dib), EConvertError);
    EXPECT_TRUE(png.Empty());
}

}  // namespace
}  // namespace imvexa::test::png
