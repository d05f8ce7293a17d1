// Decoding hand-built MAG files whose pixels are worked out by hand.
#include "MagTestSupport.h"

namespace imvexa::test {
namespace {

struct CopyCase {
    int nibble;
    int dy;  // rows up
    int dx;  // units left
};

// A 256-colour picture of 6 units × 17 rows whose literal unit (y, u) holds
// the bytes y, u; unit 4 of the last row is copied with the nibble.
TEST(MagRead, EveryCopyPositionTakesItsUnit) {
    const CopyCase cases[] = {{1, 0, 1},  {2, 0, 2},  {3, 0, 4},  {4, 1, 0},  {5, 1, 1},
                              {6, 2, 0},  {7, 2, 1},  {8, 2, 2},  {9, 4, 0},  {10, 4, 1},
                              {11, 4, 2}, {12, 8, 0}, {13, 8, 1}, {14, 8, 2}, {15, 16, 0}};
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.nibble);
        std::vector<Bytes> flags(17, Bytes(3, 0));
        flags[16][2] = static_cast<std::uint8_t>(c.nibble << 4);
        Bytes pixels;
        for (int y = 0; y < 17; ++y)
            for (int u = 0; u < 6; ++u)
                if (y != 16 || u != 4) pixels.insert(pixels.end(), {static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(u)});
        TMAGImage image;
        Load(image, MagBuilder().Colors256().Area(0, 0, 11, 16).FlagRows(flags).Pixels(pixels).Build());

        ASSERT_EQ(image.Width(), 12);
        ASSERT_EQ(image.Height(), 17);
        for (int y = 0; y < 17; ++y) {
            Bytes expected;
            for (int u = 0; u < 6; ++u) {
                const bool copied = y == 16 && u == 4;
                expected.push_back(static_cast<std::uint8_t>(copied ? y - c.dy : y));
                expected.push_back(static_cast<std::uint8_t>(copied ? u - c.dx : u));
            }
            EXPECT_EQ(Row(image, y, 12), expected) << "row " << y;
        }
    }
}

TEST(MagRead, SixteenColoursKeepTheUnitBytesWithTheLeftPixelHigh) {
    Bytes palette;
    for (int i = 0; i < 16; ++i) palette.insert(palette.end(), {0x11, 0x22, static_cast<std::uint8_t>(i)});
    TMAGImage image;
    Load(image, MagBuilder().Palette(palette).Pixels({0x01, 0x23, 0x45, 0x67}).Build());

    const TBitmap& bitmap = image.InternalBitmap();
    ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit4);
    EXPECT_EQ(image.ColorMode(), 0);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(GetPackedIndex(bitmap.ScanLine(0), x, 4), static_cast<std::uint32_t>(x));
    // Stored green, red, blue.
    ASSERT_EQ(bitmap.ColorTable().size(), 16u);
    const PaletteEntry& entry = bitmap.ColorTable()[5];
    EXPECT_EQ(entry.red, 0x22);
    EXPECT_EQ(entry.green, 0x11);
    EXPECT_EQ(entry.blue, 5);
    EXPECT_EQ(PaletteHandleSize(image.Palette()), 16);
}

// Flag B bytes XOR into a flag line that lasts from row to row: a row
// without flag A bits repeats the flags of the row above.
TEST(MagRead, FlagBytesChangeTheFlagLineByXor) {
    TMAGImage image;
    Load(image, MagBuilder()
                    .Colors256()
                    .Area(0, 0, 3, 3)
                    .FlagA({0b0101'0000})
                    .FlagB({0x44, 0x44})
                    .Pixels({0xAA, 0xBB, 0xCC, 0xDD, 0x11, 0x22, 0x33, 0x44})
                    .Build());

    const Bytes first = {0xAA, 0xBB, 0xCC, 0xDD};
    EXPECT_EQ(Row(image, 0, 4), first);
    EXPECT_EQ(Row(image, 1, 4), first);  // 0x44: both units copied from above
    EXPECT_EQ(Row(image, 2, 4), first);  // no change: copied again
    EXPECT_EQ(Row(image, 3, 4), (Bytes{0x11, 0x22, 0x33, 0x44}));  // 0x44 again: literals
}

struct GeometryCase {
    const char* name;
    bool colors256;
    bool lines200;
    std::uint16_t leftX, topY, rightX, bottomY;
    int width, height;
    std::uint16_t storedLeftX;
};

TEST(MagRead, PictureSpansWholeFlagBytes) {
    const GeometryCase cases[] = {
        {"16 colours, odd left X", false, false, 3, 0, 636, 0, 640, 1, 0},
        {"256 colours, left X 2", true, false, 2, 0, 9, 1, 12, 2, 0},
        {"inside one flag byte", false, false, 9, 4, 9, 4, 8, 1, 8},
        {"200 lines, not stretched", false, true, 0, 0, 639, 199, 640, 200, 0},
        {"top Y does not move the picture", true, false, 4, 30, 11, 32, 8, 3, 4},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.name);
        MagBuilder builder;
        if (c.colors256) builder.Colors256();
        if (c.lines200) builder.Lines200();
        const std::size_t rowBytes = c.colors256 ? c.width : c.width / 2;
        builder.Area(c.leftX, c.topY, c.rightX, c.bottomY)
            .Literals(static_cast<std::size_t>(c.width / (c.colors256 ? 4 : 8) * c.height), rowBytes * c.height);
        TMAGImage image;
        Load(image, builder.Build());

        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        EXPECT_EQ(image.Properties.LeftX, c.storedLeftX);
        EXPECT_EQ(image.Properties.TopY, c.topY);
        EXPECT_EQ(image.Properties.Is200Line, c.lines200);
        EXPECT_EQ(image.ColorMode(), c.colors256 ? 1 : 0);
        const Bytes last = Row(image, c.height - 1, rowBytes);
        EXPECT_EQ(last.back(), static_cast<std::uint8_t>(rowBytes * c.height));
    }
}

TEST(MagRead, LeadInAndCommentBecomeProperties) {
    const MagBuilder builder = MagBuilder().UserName("maker").Comment("sunset over the bay");
    const Bytes file = builder.Build();
    TMAGImage image;
    Load(image, file);

    EXPECT_EQ(image.Properties.UserName, "maker" + std::string(13, ' '));
    EXPECT_EQ(image.Properties.Comment, "sunset over the bay");
    EXPECT_EQ(image.Data().FileBytes, file);
    EXPECT_TRUE(std::equal(image.Data().LeadIn.begin(), image.Data().LeadIn.end(), file.begin()));
    EXPECT_TRUE(std::equal(image.Data().Header.begin(), image.Data().Header.end(),
                           file.begin() + static_cast<std::ptrdiff_t>(builder.HeaderStart())));
    EXPECT_FALSE(image.Empty());
    EXPECT_TRUE(image.Modified);
}

}  // namespace
}  // namespace imvexa::test
