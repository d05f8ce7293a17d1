// The BMP reader and writer.
#include <climits>
#include <filesystem>

#include "TestSupport.h"

namespace imvexa::test {
namespace {

struct RejectedFile {
    const char* name;
    BmpBuilder file;
    const char* message;
};

class RejectedFileTest : public testing::TestWithParam<RejectedFile> {};

TEST_P(RejectedFileTest, FailsWithItsMessageAndKeepsTheImage) {
    TZdDIB image;
    image.SetBitCount(24);
    image.SetPixels(0, 0, 0x123456);
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };

    const Bytes file = GetParam().file.Build();
    const std::string message = GetParam().message;
    if (message == "TZdInternalDIB.LoadFromFile: File type is invalid")
        ExpectError<EZdDIBInvalidDIBFile>([&] { Load(image, file); }, message);
    else
        ExpectError<EZdDIBInvalidDIB>([&] { Load(image, file); }, message);

    EXPECT_EQ(image.PixelFormat(), zdPf24Bit);
    EXPECT_EQ(image.Pixels(0, 0), 0x123456u);
    EXPECT_EQ(changes, 0);
}

const Bytes kOneRow24 = PackRows(1, 24, {{0}});

// A 1 x 1 RLE8 file with one colour: pixel data at offset 58.
BmpBuilder Rle8File() {
    return BmpBuilder().Bits(8).Compression(1).ColorsUsed(1).Colors({0}).Pixels({1, 0, 0, 1});
}

INSTANTIATE_TEST_SUITE_P(
    Reader, RejectedFileTest,
    testing::Values(
        RejectedFile{"NotBM", BmpBuilder().Type(0x4D43).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromFile: File type is invalid"},
        RejectedFile{"Header108", BmpBuilder().HeaderSize(108).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Invalid Bitmap Header Size"},
        RejectedFile{"Header124", BmpBuilder().HeaderSize(124).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Invalid Bitmap Header Size"},
        RejectedFile{"Bits2", BmpBuilder().Bits(2).ColorsUsed(1).Colors({0}).Pixels(Bytes(4)),
                     "TZdInternalDIB.LoadFromStream: Invalid BitCout"},
        RejectedFile{"CoreBits16", BmpBuilder().HeaderSize(12).Bits(16).Pixels(Bytes(4)),
                     "TZdInternalDIB.LoadFromStream: Invalid BitCount"},
        RejectedFile{"ZeroWidth", BmpBuilder().Size(0, 1).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Invalid Width or Height"},
        RejectedFile{"NegativeWidth", BmpBuilder().Size(-1, 1).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Invalid Width or Height"},
        RejectedFile{"ZeroHeight", BmpBuilder().Size(1, 0).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Invalid Width or Height"},
        RejectedFile{"CoreZeroWidth", BmpBuilder().HeaderSize(12).Size(0, 1).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Invalid Width or Height"},
        RejectedFile{"OffsetInsideHeader", BmpBuilder().PixelOffset(53).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromFile: bfOffBits is too small"},
        RejectedFile{"OffsetInsideSkippedColors",
                     BmpBuilder()
                         .Bits(8)
                         .ColorsUsed(300)
                         .Colors(std::vector<std::uint32_t>(300))
                         .PixelOffset(1253)
                         .Pixels(Bytes(4)),
                     "TZdInternalDIB.LoadFromFile: bfOffBits is too small"},
        RejectedFile{
            "OffsetInsideMasks",
            BmpBuilder().Bits(16).Compression(3).Masks(0xF800, 0x07E0, 0x1F).PixelOffset(54 + 11).Pixels(Bytes(4)),
            "TZdInternalDIB.LoadFromFile: bfOffBits is too small"},
        RejectedFile{"CoreOffsetInsideTriples",
                     BmpBuilder()
                         .HeaderSize(12)
                         .Bits(8)
                         .Colors(std::vector<std::uint32_t>(256))
                         .PixelOffset(14 + 12 + 767)
                         .Pixels(Bytes(4)),
                     "TZdInternalDIB.LoadFromFile: bfOffBits is too small"},
        RejectedFile{"WiderThanLimit", BmpBuilder().Size(1 << 25, 1).Bits(1).Colors({0, 0}).Pixels(Bytes(4)),
                     "TZdInternalDIB.LoadFromStream: Picture Is Too Large"},
        RejectedFile{"HeightIntMin", BmpBuilder().Size(1, INT_MIN).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Picture Is Too Large"},
        RejectedFile{"BlockOverLimit", BmpBuilder().Size(30000, 30000).Pixels(kOneRow24),
                     "TZdInternalDIB.LoadFromStream: Picture Is Too Large"},
        RejectedFile{"RleOverLimit", Rle8File().Size(1 << 24, 1 << 24),
                     "TZdInternalDIB.LoadFromStream: Picture Is Too Large"},
        RejectedFile{"ZeroBlueMask", BmpBuilder().Bits(16).Compression(3).Masks(0xF800, 0x07E0, 0).Pixels(Bytes(4)),
                     "TZdInternalDIB.LoadFromStream: Invalid Masks"},
        RejectedFile{"Bits16Rle", BmpBuilder().Bits(16).Compression(1).Pixels(Bytes(4)),
                     "TZdInternalDIB.LoadFromStream: Invalid Compression"},
        RejectedFile{"RowsMissing", BmpBuilder().Size(2, 2).Pixels(Bytes(15)),
                     "TZdInternalDIB.LoadFromStream: Pixel Data Is Too Short"},
        RejectedFile{"Bits32RowsMissing", BmpBuilder().Size(1, 2).Bits(32).Pixels(Bytes(7)),
                     "TZdInternalDIB.LoadFromStream: Pixel Data Is Too Short"},
        RejectedFile{"RleSizeBelowOffset", Rle8File().FileSize(10),
                     "TZdInternalDIB.LoadFromStream: Invalid Size of Compressed Data"},
        RejectedFile{"RleSizeZero", Rle8File().FileSize(58),
                     "TZdInternalDIB.LoadFromStream: Invalid Size of Compressed Data"},
        RejectedFile{"RleSizePastStream", Rle8File().FileSize(63),
                     "TZdInternalDIB.LoadFromStream: Invalid Size of Compressed Data"},
        RejectedFile{"RleSizeHuge", Rle8File().FileSize(0xFFFFFFFF),
                     "TZdInternalDIB.LoadFromStream: Invalid Size of Compressed Data"}),
    [](const testing::TestParamInfo<RejectedFile>& param) { return param.param.name; });

TEST(Reader, TruncatedHeaderIsAStreamReadError) {
    Bytes file = BmpBuilder().Pixels(kOneRow24).Build();
    file.resize(30);
    TZdDIB image;
    ExpectError<EReadError>([&] { Load(image, file); }, "Stream read error");
}

TEST(Reader, ColourCountsAndTables) {
    TZdDIB image;
    // biClrUsed 0 means the full table.
    Load(image, BmpBuilder().Bits(4).Colors(std::vector<std::uint32_t>(16, 0x405060)).Pixels(Bytes(4)).Build());
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 16u);
    EXPECT_EQ(image.InternalDIB().Info.Colors[15].rgbRed, 0x40);

    // Entries past the colours in the file are black, not left over from anything.
    Load(image, BmpBuilder().Bits(8).ColorsUsed(2).Colors({0x102030, 0x405060}).Pixels(Bytes(4)).Build());
    const TZdDIBInfo& info = image.InternalDIB().Info;
    EXPECT_EQ(info.Header.biClrUsed, 2u);
    EXPECT_EQ(info.Colors[1].rgbRed, 0x40);
    EXPECT_EQ(info.Colors[1].rgbBlue, 0x60);
    EXPECT_EQ(info.Colors[2].rgbRed | info.Colors[255].rgbGreen, 0);

    // More than 256 colours: 256 are kept, the rest skipped.
    std::vector<std::uint32_t> colors(300, 0x0000FF);
    colors[299] = 0xFF0000;
    Load(image, BmpBuilder().Bits(8).ColorsUsed(300).Colors(colors).Pixels({255, 0, 0, 0}).Build());
    EXPECT_EQ(image.InternalDIB().Info.Header.biClrUsed, 256u);
    EXPECT_EQ(image.Pixels(0, 0), 255u);

    // A 24-bit file's table is kept as its palette hint.
    Load(image, BmpBuilder().ColorsUsed(2).Colors({0xFF0000, 0x00FF00}).Pixels(kOneRow24).Build());
    EXPECT_EQ(PaletteHandleSize(image.Palette()), 2);
}

TEST(Reader, CoreHeaderGivesTheSamePictureAsTheInfoHeader) {
    std::vector<std::uint32_t> colors(256);
    for (std::uint32_t i = 0; i < 256; ++i) colors[i] = i * 0x010203;
    const Bytes pixels = PackRows(3, 8, {{1, 2, 3}, {250, 251, 252}});
    TZdDIB core, info;
    Load(core, BmpBuilder().HeaderSize(12).Size(3, 2).Bits(8).Colors(colors).Pixels(pixels).Build());
    Load(info, BmpBuilder().Size(3, 2).Bits(8).Colors(colors).Pixels(pixels).Build());

    const TZdDIBInfo& a = core.InternalDIB().Info;
    const TZdDIBInfo& b = info.InternalDIB().Info;
    BitmapInfoHeader header = b.Header;
    header.biSizeImage = 0;  // the core header has no such field
    EXPECT_EQ(std::memcmp(&a.Header, &header, sizeof header), 0);
    EXPECT_EQ(std::memcmp(a.Colors, b.Colors, sizeof a.Colors), 0);
    EXPECT_EQ(Bytes(a.Bits, a.Bits + a.BitsSize), Bytes(b.Bits, b.Bits + b.BitsSize));
    EXPECT_EQ(a.Header.biXPelsPerMeter, kDefaultPelsPerMeter);
}

TEST(Reader, TopDownRowsKeepTheirOrder) {
    TZdDIB image;
    Load(image, BmpBuilder().Size(2, -2).Pixels(PackRows(2, 24, {{0x0000FF, 0}, {0x00FF00, 0}})).Build());
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.InternalDIB().Info.Header.biHeight, -2);
    EXPECT_EQ(image.Pixels(0, 0), 0xFF0000u);  // the first row of the file is the top row
    EXPECT_EQ(image.Pixels(0, 1), 0x00FF00u);
}

TEST(Reader, ExtraPixelBytesAreIgnored) {
    Bytes pixels = kOneRow24;
    pixels.resize(100, 0xEE);
    TZdDIB image;
    Load(image, BmpBuilder().Pixels(pixels).Build());
    EXPECT_EQ(image.InternalDIB().Info.BitsSize, 4);
}

TEST(Reader, PositionOfTheFileInTheStreamCounts) {
    Bytes stream(7, 0xAA);
    const Bytes file = BmpBuilder().Pixels(PackRows(1, 24, {{0xABCDEF}})).Build();
    stream.insert(stream.end(), file.begin(), file.end());
    TMemoryStream source(stream);
    source.Seek(7, SeekOrigin::Begin);
    TZdDIB image;
    image.LoadFromStream(source);
    EXPECT_EQ(image.Pixels(0, 0), 0xEFCDABu);
}

struct BitFieldCase {
    const char* name;
    BmpBuilder file;
    std::uint32_t expected;  // 0x00BBGGRR of the bottom-left pixel
};

class BitFieldTest : public testing::TestWithParam<BitFieldCase> {};

TEST_P(BitFieldTest, ChannelsAreScaledToEightBits) {
    TZdDIB image;
    Load(image, GetParam().file.Build());
    EXPECT_EQ(image.PixelFormat(), zdPf24Bit);
    EXPECT_EQ(image.Pixels(0, image.Height() - 1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, BitFieldTest,
    testing::Values(
        BitFieldCase{"White555", BmpBuilder().Bits(16).Pixels(PackRows(1, 16, {{0x7FFF}})), 0xFFFFFF},
        BitFieldCase{"Ones555", BmpBuilder().Bits(16).Pixels(PackRows(1, 16, {{0x0421}})), 0x080808},
        BitFieldCase{"Red555", BmpBuilder().Bits(16).Pixels(PackRows(1, 16, {{0x7C00}})), 0x0000FF},
        BitFieldCase{
            "Green565",
            BmpBuilder().Bits(16).Compression(3).Masks(0xF800, 0x07E0, 0x001F).Pixels(PackRows(1, 16, {{0x07E0}})),
            0x00FF00},
        BitFieldCase{"Bits32TopByteIgnored", BmpBuilder().Bits(32).Pixels(PackRows(1, 32, {{0xFF123456}})), 0x563412},
        BitFieldCase{"Bits32LowMasks",
                     BmpBuilder().Bits(32).Compression(3).Masks(0x3, 0xC, 0x30).Pixels(PackRows(1, 32, {{0x1B}})),
                     0x55AAFF},
        BitFieldCase{"Bits32TopDown",
                     BmpBuilder().Size(1, -2).Bits(32).Pixels(PackRows(1, 32, {{0x0000FF}, {0xFF0000}})), 0x0000FF}),
    [](const testing::TestParamInfo<BitFieldCase>& param) { return param.param.name; });

TEST(Reader, BitFieldColoursFollowTheMasks) {
    TZdDIB image;
    Load(image, BmpBuilder()
                    .Bits(16)
                    .Compression(3)
                    .Masks(0xF800, 0x07E0, 0x001F)
                    .ColorsUsed(1)
                    .Colors({0x112233})
                    .Pixels(Bytes(4))
                    .Build());
    const TZdDIBInfo& info = image.InternalDIB().Info;
    EXPECT_EQ(info.Header.biClrUsed, 1u);
    EXPECT_EQ(info.Colors[0].rgbRed, 0x11);
    EXPECT_EQ(info.Colors[0].rgbBlue, 0x33);
}

TEST(Writer, SavedFilesLoadBackUnchanged) {
    const std::vector<Bytes> files = {
        BmpBuilder().Size(3, -2).Pixels(PackRows(3, 24, {{1, 2, 3}, {4, 5, 6}})).Build(),
        BmpBuilder()
            .Size(5, 1)
            .Bits(4)
            .ColorsUsed(2)
            .Colors({0xFF0000, 0xFF})
            .Pixels(PackRows(5, 4, {{1, 0, 1, 1, 0}}))
            .Build(),
        BmpBuilder().Size(4, 1).Bits(8).Compression(1).ColorsUsed(2).Colors({1, 2}).Pixels({4, 1, 0, 1}).Build(),
        BmpBuilder().ColorsUsed(1).Colors({0xABCDEF}).Pixels(kOneRow24).Build(),
    };
    for (const Bytes& file : files) {
        TZdDIB original, copy;
        Load(original, file);
        TMemoryStream saved;
        original.SaveToStream(saved);
        saved.Seek(0, SeekOrigin::Begin);
        copy.LoadFromStream(saved);

        const TZdDIBInfo& a = original.InternalDIB().Info;
        const TZdDIBInfo& b = copy.InternalDIB().Info;
        EXPECT_EQ(std::memcmp(&a.Header, &b.Header, sizeof a.Header), 0);
        EXPECT_EQ(std::memcmp(a.Colors, b.Colors, a.Header.biClrUsed * 4), 0);
        EXPECT_EQ(Bytes(a.Bits, a.Bits + a.BitsSize), Bytes(b.Bits, b.Bits + b.BitsSize));
        EXPECT_EQ(saved.Size(), std::int64_t{54} + 4 * a.Header.biClrUsed + a.BitsSize);
    }
}

TEST(Writer, FilesRoundTripThroughTheFileSystem) {
    const std::string path = (std::filesystem::temp_directory_path() / "imvexa_zddib_roundtrip.bmp").string();
    TZdDIB image, loaded;
    image.SetBitCount(24);
    image.SetPixels(0, 0, 0x010203);
    image.SaveToFile(path);
    loaded.LoadFromFile(path);
    std::filesystem::remove(path);
    EXPECT_EQ(loaded.Pixels(0, 0), 0x010203u);

    ExpectError<EFOpenError>([&] { loaded.LoadFromFile(path); }, "Cannot open file \"" + path + "\"");
}

}  // namespace
}  // namespace imvexa::test
