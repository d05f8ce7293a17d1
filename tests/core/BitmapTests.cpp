// The platform bitmap's portable behaviour and its transfers with TZdDIB.
#include "Bitmap.h"
#include "TestSupport.h"

namespace imvexa::test {
namespace {

// Pixel (x, y) of a Device or 24-bit bitmap as 0xRRGGBB.
std::uint32_t Rgb(const TBitmap& bitmap, int x, int y) {
    const std::uint8_t* pixel = bitmap.ScanLine(y) + x * (bitmap.BitsPerPixel() / 8);
    return std::uint32_t{pixel[2]} << 16 | pixel[1] << 8 | pixel[0];
}

void SetRgb(TBitmap& bitmap, int x, int y, std::uint32_t rgb) {
    std::uint8_t* pixel = bitmap.ScanLine(y) + x * (bitmap.BitsPerPixel() / 8);
    pixel[0] = static_cast<std::uint8_t>(rgb);
    pixel[1] = static_cast<std::uint8_t>(rgb >> 8);
    pixel[2] = static_cast<std::uint8_t>(rgb >> 16);
}

TEST(Bitmap, ResizingKeepsWhatFitsAndPaintsTheRestWhite) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetSize(2, 2);
    SetRgb(bitmap, 1, 1, 0x123456);
    bitmap.SetSize(3, 3);
    EXPECT_EQ(Rgb(bitmap, 1, 1), 0x123456u);
    EXPECT_EQ(Rgb(bitmap, 2, 2), 0xFFFFFFu);
    bitmap.SetWidth(-5);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Height(), 3);
    EXPECT_THROW(bitmap.ScanLine(3), EAssertionFailed);
    EXPECT_THROW(bitmap.SetSize(1 << 20, 1 << 20), EOutOfResources);
}

TEST(Bitmap, FormatChangesKeepThePicture) {
    TBitmap bitmap;
    bitmap.SetSize(3, 1);
    SetRgb(bitmap, 0, 0, 0x000000);
    SetRgb(bitmap, 1, 0, 0xF0F0F0);  // nearest to white
    SetRgb(bitmap, 2, 0, 0x101010);  // nearest to black
    bitmap.SetPixelFormat(TPixelFormat::Bit1);
    EXPECT_EQ(bitmap.ColorTable().size(), 2u);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x40);
    bitmap.SetPixelFormat(TPixelFormat::Bit8);  // widening keeps the two-colour table
    EXPECT_EQ(bitmap.ColorTable().size(), 2u);
    EXPECT_EQ((Bytes{bitmap.ScanLine(0), bitmap.ScanLine(0) + 3}), (Bytes{0, 1, 0}));
    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    EXPECT_EQ(Rgb(bitmap, 1, 0), 0xFFFFFFu);
    EXPECT_TRUE(bitmap.ColorTable().empty());
}

TEST(Bitmap, ColourTableAndPalette) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit4);
    EXPECT_EQ(bitmap.ColorTable().size(), 16u);
    bitmap.SetColorTable(std::vector<PaletteEntry>(20, PaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(bitmap.ColorTable().size(), 16u);
    EXPECT_EQ(PaletteHandleSize(bitmap.Palette()), 16);

    const PaletteEntry two[] = {{9, 9, 9, 0}, {8, 8, 8, 0}};
    bitmap.SetPalette(CreatePaletteHandle(two, 2));
    EXPECT_EQ(bitmap.ColorTable().size(), 2u);
    EXPECT_EQ(bitmap.ColorTable()[1].red, 8);
    EXPECT_EQ(PaletteHandleSize(bitmap.Palette()), 2);
}

TEST(Bitmap, AssignCopiesIndependently) {
    TBitmap a, b;
    a.SetSize(2, 1);
    a.SetPixelFormat(TPixelFormat::Bit24);
    SetRgb(a, 0, 0, 0xABCDEF);
    b.Assign(&a);
    SetRgb(a, 0, 0, 0);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(Rgb(b, 0, 0), 0xABCDEFu);

    TZdDIB dib;
    a.AssignTo(b);
    EXPECT_EQ(Rgb(b, 0, 0), 0u);
    ExpectError<EConvertError>([&] { b.Assign(nullptr); }, "Cannot assign a nil to a TBitmap");
}

TEST(Bitmap, DeviceBitmapsBecomeTwentyFourBitImages) {
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    SetRgb(bitmap, 1, 0, 0x0000FF);
    TZdDIB image;
    image.Assign(&bitmap);
    EXPECT_EQ(image.PixelFormat(), zdPf24Bit);
    EXPECT_EQ(image.InternalDIB().Info.Header.biHeight, 2);
    EXPECT_EQ(image.Pixels(1, 0), 0xFF0000u);
    EXPECT_EQ(image.Pixels(0, 1), 0xFFFFFFu);
}

TEST(Bitmap, PaletteBitmapsKeepTheirColoursBothWays) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit8);
    bitmap.SetSize(3, 2);
    bitmap.SetColorTable({{10, 20, 30, 0}, {40, 50, 60, 0}});
    bitmap.ScanLine(1)[2] = 1;
    TZdDIB image;
    image.Assign(&bitmap);
    EXPECT_EQ(image.PixelFormat(), zdPf8Bit);
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 256u);
    EXPECT_EQ(image.InternalDIB().Info.Colors[1].rgbRed, 40);
    EXPECT_EQ(image.Pixels(2, 1), 1u);

    image.SetPixels(0, 0, 1);
    TBitmap copy;
    image.AssignTo(copy);
    EXPECT_EQ(copy.PixelFormat(), TPixelFormat::Bit8);
    EXPECT_EQ(copy.ColorTable()[1].blue, 60);
    // Indexes pass unchanged: 255 is the white that sizing painted with the default table.
    EXPECT_EQ((Bytes{copy.ScanLine(0), copy.ScanLine(0) + 3}), (Bytes{1, 255, 255}));
}

TEST(Bitmap, LoadsRleFilesExpanded) {
    const Bytes file = BmpBuilder()
                           .Size(4, 2)
                           .Bits(4)
                           .Compression(2)
                           .ColorsUsed(2)
                           .Colors({0x000000, 0xFF0000})
                           .Pixels({4, 0x01, 0, 0, 3, 0x10, 0, 1})
                           .Build();
    TMemoryStream stream(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit4);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x10);  // the top row is the second row of codes
    EXPECT_EQ(bitmap.ScanLine(1)[1], 0x01);
    EXPECT_EQ(bitmap.ColorTable()[1].red, 255);

    TMemoryStream saved;
    bitmap.SaveToStream(saved);
    saved.Seek(0, SeekOrigin::Begin);
    TZdDIB image;
    image.LoadFromStream(saved);
    EXPECT_EQ(image.PixelFormat(), zdPf4Bit);
    EXPECT_EQ(image.Pixels(0, 0), 1u);
    EXPECT_EQ(image.Pixels(3, 1), 1u);
}

}  // namespace
}  // namespace imvexa::test
