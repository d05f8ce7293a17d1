// The DIB image model: sizes, pixels, palettes, sharing and notifications.
#include <climits>

#include "TestSupport.h"

namespace imvexa::test {
namespace {

TEST(ZdDIB, NewImageIsOneBlackEightBitPixel) {
    TZdDIB image;
    EXPECT_EQ(image.Width(), 1);
    EXPECT_EQ(image.Height(), 1);
    EXPECT_EQ(image.PixelFormat(), zdPf8Bit);
    EXPECT_EQ(image.Pixels(0, 0), 0u);
    EXPECT_TRUE(image.UseFMO());
    EXPECT_NE(image.InternalDIB().Info.MapHandle, nullptr);
    EXPECT_EQ(image.InternalDIB().Info.Header.biXPelsPerMeter, kDefaultPelsPerMeter);

    PaletteEntry entries[256];
    ASSERT_EQ(GetPaletteHandleEntries(image.Palette(), 0, 256, entries), 256);
    for (const PaletteEntry& entry : entries) EXPECT_EQ(entry.red | entry.green | entry.blue, 0);
}

// Writes a distinct value at every pixel through memory, then reads the
// pixels back in picture coordinates.
struct ClampCase {
    int x, y;
    int expectedX, expectedY;
};

TEST(ZdDIB, PixelCoordinatesAreClampedAndCountFromTheTop) {
    const ClampCase cases[] = {
        {-5, 1000, 0, 9}, {3, 0, 3, 0}, {1000, -1, 9, 0}, {INT_MIN, INT_MAX, 0, 9}, {9, 9, 9, 9}};
    for (const int height : {10, -10}) {
        TZdDIB image;
        image.SetWidth(10);
        image.SetHeight(height);
        const TZdDIBInfo& info = image.InternalDIB().Info;
        for (int r = 0; r < 10; ++r)
            for (int x = 0; x < 10; ++x) info.Bits[r * 12 + x] = static_cast<std::uint8_t>(r * 10 + x);
        for (const ClampCase& c : cases) {
            const int memoryRow = height > 0 ? 9 - c.expectedY : c.expectedY;
            EXPECT_EQ(image.Pixels(c.x, c.y), static_cast<std::uint32_t>(memoryRow * 10 + c.expectedX))
                << "height " << height << " at " << c.x << "," << c.y;
        }
    }
}

TEST(ZdDIB, TwentyFourBitPixelsAreBlueGreenRedInMemory) {
    TZdDIB image;
    image.SetBitCount(24);
    image.SetPixels(0, 0, 0x0000FF);
    EXPECT_EQ(image.Pixels(0, 0), 0x0000FFu);
    EXPECT_EQ(MemoryRow(image, 0, 3), (Bytes{0x00, 0x00, 0xFF}));
    image.SetPixels(0, 0, 0x123456);
    EXPECT_EQ(MemoryRow(image, 0, 3), (Bytes{0x12, 0x34, 0x56}));
}

TEST(ZdDIB, OutOfRangeValuesFailAndChangeNothing) {
    const std::pair<int, std::int32_t> rejected[] = {{8, 256}, {8, -1}, {24, -1}, {24, INT_MIN}};
    for (const auto& [bits, value] : rejected) {
        TZdDIB image;
        image.SetBitCount(bits);
        image.SetPixels(0, 0, 7);
        EXPECT_THROW(image.SetPixels(0, 0, value), ERangeError) << bits << " bits, " << value;
        EXPECT_EQ(image.Pixels(0, 0), 7u);
    }
}

TEST(ZdDIB, PackedPixelsKeepTheirNeighbours) {
    TZdDIB image;
    image.SetWidth(9);
    image.SetBitCount(4);
    image.SetPixels(0, 0, 0xA);
    image.SetPixels(1, 0, 0x1F);  // only the low nibble counts
    EXPECT_EQ(MemoryRow(image, 0, 1), Bytes{0xAF});
    EXPECT_EQ(image.Pixels(0, 0), 0xAu);
    EXPECT_EQ(image.Pixels(1, 0), 0xFu);

    image.SetBitCount(1);
    image.SetPixels(0, 0, 5);
    image.SetPixels(8, 0, 1);
    image.SetPixels(3, 0, 1);
    image.SetPixels(3, 0, 0);
    EXPECT_EQ(MemoryRow(image, 0, 2), (Bytes{0x80, 0x80}));
    EXPECT_EQ(image.Pixels(8, 0), 1u);
    EXPECT_EQ(image.Pixels(3, 0), 0u);
}

TEST(ZdDIB, SizeSetters) {
    TZdDIB image;
    image.SetWidth(10);
    image.SetHeight(10);
    image.SetPixels(2, 2, 9);
    image.SetWidth(10);  // unchanged: pixels stay
    EXPECT_EQ(image.Pixels(2, 2), 9u);

    image.InternalDIB().Info.Colors[0].rgbRed = 0x55;
    image.SetWidth(11);  // a new blank picture with the old colour count
    EXPECT_EQ(image.Pixels(2, 2), 0u);
    EXPECT_EQ(image.InternalDIB().Info.Colors[0].rgbRed, 0);
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 256u);

    image.SetHeight(-20);
    EXPECT_EQ(image.Height(), 20);
    EXPECT_EQ(image.InternalDIB().Info.Header.biHeight, -20);
    image.SetHeight(20);  // equals the stored height: nothing happens
    EXPECT_EQ(image.InternalDIB().Info.Header.biHeight, -20);

    image.SetBitCount(4);
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 16u);
    image.SetBitCount(24);
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 0u);
    EXPECT_EQ(image.PixelFormat(), zdPf24Bit);
}

TEST(ZdDIB, InvalidSizesFailAndKeepTheImage) {
    TZdDIB image;
    image.SetPixels(0, 0, 3);
    ExpectError<EZdDIBInvalidDIBPara>([&] { image.SetWidth(0); }, "TZdDIB.SetWidth: Invalid Width");
    ExpectError<EZdDIBInvalidDIBPara>([&] { image.SetWidth(-4); }, "TZdDIB.SetWidth: Invalid Width");
    ExpectError<EZdDIBInvalidDIBPara>([&] { image.SetHeight(0); }, "TZdDIB.SetWidth: Invalid Height");
    ExpectError<EZdDIBInvalidDIBPara>([&] { image.SetBitCount(16); }, "TZdDIB.SetBitCount: Invalid BitCount");
    // Sizes past the pixel limits are refused before any memory is asked for.
    ExpectError<EZdDIBInvalidDIBPara>([&] { image.SetWidth(1 << 30); }, "TZdInternalDIB.CreateDIB: Invalid Parameters");
    ExpectError<EZdDIBInvalidDIBPara>([&] { image.SetHeight(INT_MIN); },
                                      "TZdInternalDIB.CreateDIB: Invalid Parameters");
    EXPECT_EQ(image.Width(), 1);
    EXPECT_EQ(image.Pixels(0, 0), 3u);
}

TEST(ZdDIB, InvalidPixelFormatsAreReportedWhenAskedFor) {
    const struct {
        std::uint16_t bits;
        std::uint32_t compression;
        const char* message;
    } cases[] = {
        {1, 1, "TZdInternalDIB.GetPixelFormat: Invalid DIB(1Bit)"},
        {4, 1, "TZdInternalDIB.GetPixelFormat: Invalid DIB(4Bit)"},
        {8, 2, "TZdInternalDIB.GetPixelFormat: Invalid DIB(8Bit)"},
        {24, 1, "TZdInternalDIB.GetPixelFormat: Invalid DIB(24Bit)"},
        {2, 0, "TZdInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)"},
    };
    for (const auto& c : cases) {
        TZdDIB image;
        image.InternalDIB().Info.Header.biBitCount = c.bits;
        image.InternalDIB().Info.Header.biCompression = c.compression;
        ExpectError<EZdDIBInvalidDIB>([&] { image.PixelFormat(); }, c.message);
    }
}

TEST(ZdDIB, CompressedOrOddStoragesHaveNoPixels) {
    TZdDIB image;
    image.InternalDIB().Info.Header.biCompression = kBiRle8;
    ExpectError<EZdDIBBadDIBType>([&] { image.Pixels(0, 0); }, "TZdDIB.GetPixels: Bad DIB Type");
    ExpectError<EZdDIBBadDIBType>([&] { image.SetPixels(0, 0, 1); }, "TZdDIB.SetPixels: Bad DIB Type");
    image.InternalDIB().Info.Header.biCompression = kBiRgb;
    image.InternalDIB().Info.Header.biBitCount = 16;
    ExpectError<EZdDIBInvalidDIB>([&] { image.Pixels(0, 0); },
                                  "TZdDIB.GetPixels: GetPixel supports only Uncompressed DIB");
    ExpectError<EZdDIBInvalidDIB>([&] { image.SetPixels(0, 0, 1); },
                                  "TZdDIB.SetPixels: GetPixel supports only Uncompressed 8 or 24 bit DIB");
}

TEST(ZdDIB, AssignedImagesShareUntilOneWrites) {
    TZdDIB a;
    a.SetPixels(0, 0, 5);
    a.MonoKeyColor = 0x00FF00;
    a.HalftoneMode = 2;
    auto b = std::make_unique<TZdDIB>();
    b->Assign(&a);
    EXPECT_EQ(&b->InternalDIB(), &a.InternalDIB());
    EXPECT_EQ(a.InternalDIB().RefCount, 2);
    EXPECT_EQ(b->MonoKeyColor, 0x00FF00u);
    EXPECT_EQ(b->HalftoneMode, 2);

    b->SetPixels(0, 0, 6);
    EXPECT_NE(&b->InternalDIB(), &a.InternalDIB());
    EXPECT_EQ(a.InternalDIB().RefCount, 1);
    EXPECT_EQ(a.Pixels(0, 0), 5u);
    EXPECT_EQ(b->Pixels(0, 0), 6u);
    EXPECT_TRUE(b->UseFMO());

    TZdDIB c;
    a.AssignTo(c);
    b.reset();  // a sharer going away leaves the others intact
    EXPECT_EQ(a.InternalDIB().RefCount, 2);
    c.Assign(&c);
    EXPECT_EQ(c.Pixels(0, 0), 5u);
}

TEST(ZdDIB, AssigningNothingGivesTheEmptyImage) {
    TZdDIB image;
    image.SetWidth(5);
    image.SetBitCount(24);
    image.Assign(nullptr);
    EXPECT_EQ(image.Width(), 1);
    EXPECT_EQ(image.PixelFormat(), zdPf8Bit);
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 256u);
}

TEST(ZdDIB, ChangeNotifications) {
    TZdDIB image, other;
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };
    const auto changesOf = [&](auto&& action) {
        changes = 0;
        action();
        return changes;
    };
    EXPECT_EQ(changesOf([&] { image.SetWidth(4); }), 1);
    EXPECT_EQ(changesOf([&] { image.SetWidth(4); }), 0);
    EXPECT_EQ(changesOf([&] { image.SetPixels(1, 0, 3); }), 0);
    EXPECT_EQ(changesOf([&] { image.SetPalette(nullptr); }), 1);
    EXPECT_EQ(changesOf([&] { image.SetPixelFormat(zdPf8Bit); }), 0);
    EXPECT_EQ(changesOf([&] { image.Assign(&other); }), 1);
    EXPECT_TRUE(image.Modified);
}

PaletteHandle MakePalette(std::vector<PaletteEntry> entries) {
    return CreatePaletteHandle(entries.data(), static_cast<int>(entries.size()));
}

TEST(ZdDIB, SetPaletteReplacesTheColourTable) {
    TZdDIB image;
    image.SetPixels(0, 0, 2);
    image.SetPalette(MakePalette({{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}}));
    const TZdDIBInfo& info = image.InternalDIB().Info;
    EXPECT_EQ(info.Header.biClrUsed, 3u);
    EXPECT_EQ(info.Colors[2].rgbRed, 7);
    EXPECT_EQ(info.Colors[2].rgbBlue, 9);
    EXPECT_EQ(image.Pixels(0, 0), 2u);
    EXPECT_TRUE(image.PaletteModified);
    EXPECT_EQ(PaletteHandleSize(image.Palette()), 3);

    image.SetPalette(nullptr);
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 0u);
    EXPECT_EQ(image.Palette(), nullptr);
}

TEST(ZdDIB, GivingAnImageItsOwnPaletteKeepsItValid) {
    TZdDIB a, b;
    b.Assign(&a);
    // Shared and then owned storage: the handle must neither be deleted nor
    // end up owned twice (the sanitizer build catches either).
    for (TZdDIB* image : {&b, &a}) {
        PaletteHandle own = image->Palette();
        image->SetPalette(own);
        EXPECT_EQ(PaletteHandleSize(image->Palette()), 256);
    }
}

TEST(ZdDIB, ProgressReportsFrameTheWork) {
    TZdDIB image;
    image.SetWidth(3);
    std::vector<std::pair<ProgressStage, int>> events;
    image.OnProgress = [&](TGraphic&, ProgressStage stage, int percent, bool redrawNow, const Rect& rect,
                           const std::string& message) {
        events.emplace_back(stage, percent);
        EXPECT_EQ(redrawNow, stage == ProgressStage::Ending);
        EXPECT_EQ(rect.right, 3);
        EXPECT_EQ(message, "PixelFormat 24Bit -> 8Bit");
    };
    image.ReportProgress(4, "PixelFormat 24Bit -> 8Bit", [](const TZdDIB::ProgressStep& step) {
        for (int i = 0; i < 4; ++i) step();
    });
    const std::vector<std::pair<ProgressStage, int>> expected = {{ProgressStage::Starting, 0},
                                                                 {ProgressStage::Running, 25},
                                                                 {ProgressStage::Running, 50},
                                                                 {ProgressStage::Running, 75},
                                                                 {ProgressStage::Ending, 100}};
    EXPECT_EQ(events, expected);

    events.clear();
    EXPECT_THROW(image.ReportProgress(16, "PixelFormat 24Bit -> 8Bit",
                                      [](const TZdDIB::ProgressStep&) { throw EZdDIBInvalidDIB("x"); }),
                 EZdDIBInvalidDIB);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back().first, ProgressStage::Ending);
}

}  // namespace
}  // namespace imvexa::test
