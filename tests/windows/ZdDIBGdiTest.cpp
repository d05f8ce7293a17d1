// The DIB image against real GDI: pixels in from and out to platform
// bitmaps, and palette handles.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <vector>

#include "Bitmap.h"
#include "ZdDIB.h"
#include "ZdDIBCanvas_win32.h"

namespace imvexa {
namespace {

std::vector<PaletteEntry> Grey(int count) {
    std::vector<PaletteEntry> colors(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto level = static_cast<std::uint8_t>(i * 255 / (count - 1));
        colors[static_cast<std::size_t>(i)] = {level, level, static_cast<std::uint8_t>(255 - level), 0};
    }
    return colors;
}

struct DepthCase {
    TPixelFormat bitmapFormat;
    TZdPixelFormat imageFormat;
    std::uint32_t colorCount;
};

class AssignFromBitmapTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(AssignFromBitmapTest, KeepsTheBitmapsDepthAndPixels) {
    const DepthCase& c = GetParam();
    TBitmap bitmap;
    bitmap.SetPixelFormat(c.bitmapFormat);
    if (c.colorCount) bitmap.SetColorTable(Grey(static_cast<int>(c.colorCount)));
    bitmap.SetSize(9, 5);
    // The top-left pixel gets the last colour (index or white), the rest stays 0.
    HDC dc = bitmap.Canvas();
    PatBlt(dc, 0, 0, 9, 5, BLACKNESS);
    if (c.colorCount) {
        const auto& last = bitmap.ColorTable().back();
        SetPixel(dc, 0, 0, RGB(last.red, last.green, last.blue));
    } else {
        SetPixel(dc, 0, 0, RGB(10, 20, 30));
    }
    GdiFlush();

    TZdDIB image;
    image.Assign(&bitmap);
    EXPECT_EQ(image.PixelFormat(), c.imageFormat);
    EXPECT_EQ(image.Width(), 9);
    EXPECT_EQ(image.Height(), 5);
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, c.colorCount);
    EXPECT_EQ(image.Pixels(0, 0), c.colorCount ? c.colorCount - 1 : 0x1E140Au);
    EXPECT_EQ(image.Pixels(8, 4), 0u);
    if (c.colorCount) {
        const RgbQuad& last = image.InternalDIB().Info.Colors[c.colorCount - 1];
        EXPECT_EQ(last.rgbRed, bitmap.ColorTable().back().red);
        EXPECT_EQ(last.rgbBlue, bitmap.ColorTable().back().blue);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, AssignFromBitmapTest,
                         ::testing::Values(DepthCase{TPixelFormat::Device, zdPf24Bit, 0},
                                           DepthCase{TPixelFormat::Bit24, zdPf24Bit, 0},
                                           DepthCase{TPixelFormat::Bit8, zdPf8Bit, 256},
                                           DepthCase{TPixelFormat::Bit4, zdPf4Bit, 16},
                                           DepthCase{TPixelFormat::Bit1, zdPf1Bit, 2}));

// A 4 × 3 BMP file of RLE8 codes: the bottom row is 5 5 5 0, the middle row
// 1 2 3 0, the top row 9 9 0 0.
std::vector<std::uint8_t> Rle8File() {
    const std::uint8_t codes[] = {3, 5, 0, 0, 0, 3, 1, 2, 3, 0, 0, 0, 2, 9, 0, 1};
    std::vector<std::uint8_t> file(14 + 40 + 4 * 16);
    const std::uint32_t offset = static_cast<std::uint32_t>(file.size());
    file.insert(file.end(), std::begin(codes), std::end(codes));
    BitmapFileHeader head{kBmpFileType, static_cast<std::uint32_t>(file.size()), 0, 0, offset};
    BitmapInfoHeader info{40, 4, 3, 1, 8, kBiRle8, sizeof codes, 0, 0, 16, 0};
    std::memcpy(file.data(), &head, sizeof head);
    std::memcpy(file.data() + 14, &info, sizeof info);
    for (int i = 0; i < 16; ++i) file[54 + 4 * static_cast<std::size_t>(i) + 2] = static_cast<std::uint8_t>(i * 16);
    return file;
}

TEST(AssignToBitmapTest, DecodesRleStorageOnTheWay) {
    const auto file = Rle8File();
    TBorrowedMemoryStream stream(file.data(), file.size());
    TZdDIB image;
    image.LoadFromStream(stream);
    ASSERT_EQ(image.PixelFormat(), zdPf8BitRLE);

    TBitmap bitmap;
    image.AssignTo(bitmap);
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit8);
    ASSERT_EQ(bitmap.Width(), 4);
    ASSERT_EQ(bitmap.Height(), 3);
    const std::uint8_t expected[3][4] = {{9, 9, 0, 0}, {1, 2, 3, 0}, {5, 5, 5, 0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(bitmap.ScanLine(y)[x], expected[y][x]) << x << "," << y;
    EXPECT_EQ(bitmap.ColorTable().at(9).red, 144);
}

TEST(PaletteTest, GdiPalettesFollowTheColourTable) {
    TZdDIB image;
    image.SetBitCount(4);
    const PaletteEntry entries[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {250, 251, 252, 0}};
    image.SetPalette(CreatePaletteHandle(entries, 3));
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 3u);
    EXPECT_EQ(image.InternalDIB().Info.Colors[2].rgbBlue, 252);

    PALETTEENTRY read[4]{};
    const HPALETTE gdi = reinterpret_cast<HPALETTE>(image.Palette());
    ASSERT_NE(gdi, nullptr);
    ASSERT_EQ(GetPaletteEntries(gdi, 0, 4, read), 3u);
    EXPECT_EQ(read[1].peRed, 4);
    EXPECT_EQ(read[1].peBlue, 6);
}

TEST(PaletteTest, HalftonePalettesAreTheFixedOnes) {
    TZdDIB image;
    image.HalftoneMode = 1;
    PALETTEENTRY entries[256]{};
    ASSERT_EQ(GetPaletteEntries(reinterpret_cast<HPALETTE>(image.Palette()), 0, 256, entries), 215u);
    const PALETTEENTRY& mixed = entries[35 * 1 + 5 * 2 + 3];  // red 51, green 85, blue 192
    EXPECT_EQ(mixed.peRed, 51);
    EXPECT_EQ(mixed.peGreen, 85);
    EXPECT_EQ(mixed.peBlue, 192);
    EXPECT_EQ(entries[213].peRed, 192);
    EXPECT_EQ(entries[214].peGreen, 128);

    image.HalftoneMode = 2;
    ASSERT_EQ(GetPaletteEntries(reinterpret_cast<HPALETTE>(image.Palette()), 0, 256, entries), 2u);
    EXPECT_EQ(entries[0].peRed, 0);
    EXPECT_EQ(entries[1].peRed, 255);
}

TEST(PixelMemoryTest, ImagesUseFileMappingsByDefault) {
    TZdDIB image;
    EXPECT_TRUE(image.UseFMO());
    EXPECT_NE(image.InternalDIB().Info.MapHandle, nullptr);
}

// Makes image a 24-bit picture whose pixel (x, y) has a colour of its own.
void FillGradient(TZdDIB& image, int width, int height) {
    image.SetBitCount(24);
    image.SetWidth(width);
    image.SetHeight(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.SetPixels(x, y, static_cast<std::int32_t>(RGB(x * 9, y * 13, 200)));
}

TEST(DrawTest, AnImageDrawnAtItsOwnSizeIsCopiedPixelForPixel) {
    TZdDIB image;
    FillGradient(image, 13, 7);
    TBitmap target;
    target.SetPixelFormat(TPixelFormat::Bit24);
    target.SetSize(20, 10);
    image.Draw(target.Canvas(), Rect{3, 2, 16, 9});
    GdiFlush();
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(GetPixel(target.Canvas(), x + 3, y + 2), image.Pixels(x, y)) << x << "," << y;
    EXPECT_EQ(GetPixel(target.Canvas(), 2, 2), RGB(255, 255, 255));
}

TEST(DrawTest, HalftonesDrawOnTheirPalettes) {
    TZdDIB image;
    FillGradient(image, 16, 16);
    TBitmap target;
    target.SetPixelFormat(TPixelFormat::Bit24);
    target.SetSize(16, 16);
    image.HalftoneMode = 2;
    image.Draw(target.Canvas(), Rect{0, 0, 0, 16});  // an empty rectangle draws nothing
    GdiFlush();
    EXPECT_EQ(GetPixel(target.Canvas(), 0, 0), RGB(255, 255, 255));
    image.Draw(target.Canvas(), Rect{0, 0, 16, 16});
    GdiFlush();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const COLORREF c = GetPixel(target.Canvas(), x, y);
            ASSERT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 255, 255)) << x << "," << y;
        }
    EXPECT_EQ(image.HalftoneMode, 2);  // restored after drawing
}

TEST(CanvasTest, DrawsIntoTheImagesOwnPixels) {
    TZdDIB image;
    image.SetBitCount(24);
    image.SetWidth(4);
    image.SetHeight(4);
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };
    {
        TZdDIBCanvas canvas(&image);
        PatBlt(canvas.Handle(), 0, 0, 4, 4, WHITENESS);
    }
    EXPECT_EQ(image.Pixels(3, 3), 0xFFFFFFu);
    EXPECT_EQ(changes, 1);

    TZdDIB heapImage;
    auto storage = std::make_unique<TZdInternalDIB>(false);
    storage->CreateDIB(4, 4, 0, 24);
    heapImage.ReplaceInternalDIB(std::move(storage));
    try {
        TZdDIBCanvas canvas(&heapImage);
        FAIL() << "a canvas needs file-mapping memory";
    } catch (const EZdDIBCanvasFailed& error) {
        EXPECT_STREQ(error.what(), "TZdDIBCanvas.Create: Cannot Create Canvas");
    }
}

// Closing a canvas throws nothing, whatever its change notice meets: the
// pixels drawn stay, and the process goes on.
TEST(CanvasTest, ClosingNeverThrows) {
    const std::function<void(TZdDIB&, TZdDIB&)> during[] = {
        [](TZdDIB& image, TZdDIB&) { image.OnChange = [](TGraphic&) { throw EConvertError("listener"); }; },
        [](TZdDIB& image, TZdDIB& sharer) { sharer.Assign(&image); },  // shared while the canvas draws
    };
    for (const auto& happen : during) {
        TZdDIB image, sharer;
        image.SetBitCount(24);
        {
            TZdDIBCanvas canvas(&image);
            happen(image, sharer);
            PatBlt(canvas.Handle(), 0, 0, 1, 1, WHITENESS);
        }
        EXPECT_EQ(image.Pixels(0, 0), 0xFFFFFFu);
    }
}

TEST(ClipboardTest, PackedDibsTravelThroughGlobalMemoryAndTheClipboard) {
    TZdDIB image;
    FillGradient(image, 5, 3);
    std::uint16_t format = 0;
    HANDLE data = nullptr;
    PaletteHandle palette = reinterpret_cast<PaletteHandle>(1);
    image.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, CF_DIB);
    EXPECT_EQ(palette, nullptr);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(GlobalSize(data), 40u + 16u * 3u);

    TZdDIB copy;
    copy.LoadFromClipboardFormat(format, data, nullptr);
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.Pixels(4, 2), image.Pixels(4, 2));
    EXPECT_THROW(copy.LoadFromClipboardFormat(CF_BITMAP, data, nullptr), EInvalidGraphic);
    EXPECT_THROW(copy.LoadFromClipboardFormat(CF_DIB, nullptr, nullptr), EInvalidGraphic);

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CF_DIB, data), nullptr);  // the clipboard owns the block now
    CloseClipboard();
    TZdDIB pasted;
    pasted.LoadFromClipboard();
    EXPECT_EQ(pasted.Height(), 3);
    EXPECT_EQ(pasted.Pixels(1, 1), image.Pixels(1, 1));
}

TEST(ClipboardTest, MalformedPackedDibsAreRefused) {
    const std::uint32_t badHeader[4] = {99, 1, 1, 0};
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof badHeader);
    std::memcpy(GlobalLock(block), badHeader, sizeof badHeader);
    GlobalUnlock(block);
    TZdDIB image;
    try {
        image.LoadFromClipboardFormat(CF_DIB, block, nullptr);
        FAIL() << "a header size of 99 is no DIB";
    } catch (const EZdDIBInvalidDIB& error) {
        EXPECT_STREQ(error.what(), "TZdDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    }
    EXPECT_EQ(image.Width(), 1);  // unchanged
    GlobalFree(block);
}

}  // namespace
}  // namespace imvexa
