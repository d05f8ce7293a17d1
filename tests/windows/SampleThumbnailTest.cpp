// Sample files of each built-in format through the extractor.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Thumbnail.h"
#include "WindowsTestSupport.h"

namespace imvexa {
namespace {

struct Thumbnail {
    explicit Thumbnail(const std::string& name)
        : bitmap(ExtractThumbnail(WidePath(IMVEXA_SAMPLES_DIR "\\" + name), name.substr(name.rfind('.') + 1))) {}
    ~Thumbnail() {
        if (bitmap) DeleteObject(bitmap);
    }
    int BitsPerPixel() const {
        BITMAP object{};
        GetObjectW(bitmap, sizeof object, &object);
        return object.bmBitsPixel;
    }
    COLORREF At(int x, int y) const { return PixelOf(bitmap, x, y); }
    HBITMAP bitmap;
};

const COLORREF kWhite = RGB(255, 255, 255);

TEST(SampleThumbnailTest, IconsAreDrawnAtTheLargeIconSizeOverTheWindowColour) {
    const Thumbnail thumbnail("ICON.ICO");
    ASSERT_NE(thumbnail.bitmap, nullptr);
    // The 32 × 32 image sits centred at (44, 44); its 2-pixel transparent
    // border shows the window colour, its inside the picture.
    EXPECT_EQ(thumbnail.At(43, 60), kWhite);
    EXPECT_EQ(thumbnail.At(44, 60), GetSysColor(COLOR_WINDOW));
    EXPECT_NE(thumbnail.At(47, 50), kWhite);
    EXPECT_EQ(thumbnail.At(76, 60), kWhite);
}

TEST(SampleThumbnailTest, EnhancedMetafilesTakeTheirFrameSize) {
    // A 200 × 120 picture scaled into (0, 24, 120, 96), filled with a rectangle.
    const Thumbnail thumbnail("METAFILE.EMF");
    ASSERT_NE(thumbnail.bitmap, nullptr);
    EXPECT_EQ(thumbnail.At(60, 20), kWhite);
    EXPECT_NE(thumbnail.At(100, 80), kWhite);
    EXPECT_EQ(thumbnail.At(60, 100), kWhite);
}

TEST(SampleThumbnailTest, PlaceableMetafilesTakeTheirBoxSize) {
    // 900 × 600 units at 1440 per inch: 60 × 40 pixels, centred at (30, 40).
    const Thumbnail thumbnail("PLACEABLE.WMF");
    ASSERT_NE(thumbnail.bitmap, nullptr);
    EXPECT_EQ(thumbnail.At(29, 60), kWhite);
    EXPECT_NE(thumbnail.At(50, 60), kWhite);
    EXPECT_EQ(thumbnail.At(60, 81), kWhite);
}

TEST(SampleThumbnailTest, PngAndJpegFilesAreDecoded) {
    for (const char* name : {"TRUECOLOUR.PNG", "PALETTE_INTERLACED.PNG", "PHOTO.JPG", "PROGRESSIVE.JPEG"}) {
        const Thumbnail thumbnail(name);
        ASSERT_NE(thumbnail.bitmap, nullptr) << name;
        int inked = 0;
        for (int x = 0; x < 120; ++x) inked += thumbnail.At(x, 60) != kWhite;
        EXPECT_GT(inked, 30) << name;
    }
}

TEST(SampleThumbnailTest, PaletteThumbnailsTakeTheColourTableOfTheirPicture) {
    for (const char* name : {"GREY.PNG", "GREY.JFIF"}) {
        const Thumbnail thumbnail(name);
        ASSERT_NE(thumbnail.bitmap, nullptr) << name;
        EXPECT_EQ(thumbnail.BitsPerPixel(), 8) << name;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, thumbnail.bitmap);
        RGBQUAD colors[256];
        const UINT count = GetDIBColorTable(dc, 0, 256, colors);
        SelectObject(dc, old);
        DeleteDC(dc);
        EXPECT_GT(count, 200u) << name;
        for (UINT i = 0; i < count; ++i)
            EXPECT_TRUE(colors[i].rgbRed == colors[i].rgbGreen && colors[i].rgbGreen == colors[i].rgbBlue) << name << i;
    }
}

TEST(SampleThumbnailTest, MagPicturesKeepTheirColourMode) {
    const Thumbnail colours256("TILES_256.MAG");
    ASSERT_NE(colours256.bitmap, nullptr);
    EXPECT_EQ(colours256.BitsPerPixel(), 8);
    const Thumbnail colours16("STRIPES_16.MAG");
    ASSERT_NE(colours16.bitmap, nullptr);
    EXPECT_EQ(colours16.BitsPerPixel(), 4);
    EXPECT_NE(colours16.At(60, 60), kWhite);
}

}  // namespace
}  // namespace imvexa
