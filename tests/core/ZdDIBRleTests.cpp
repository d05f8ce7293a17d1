// Run-length expansion and compression, directly and through the pixel format.
#include "TestSupport.h"
#include "ZdDIBRle.h"

namespace imvexa::test {
namespace {

TZdDIBInfo RleSource(int bits, int width, int height, Bytes& codes) {
    TZdDIBInfo source;
    source.Header = BitmapInfoHeader{
        40, width, height, 1, static_cast<std::uint16_t>(bits), bits == 8 ? kBiRle8 : kBiRle4, 0, 0, 0, 0, 0};
    source.Bits = codes.data();
    source.BitsSize = static_cast<std::int32_t>(codes.size());
    return source;
}

// The pixel block that the codes expand to.
Bytes Expand(int bits, int width, int height, Bytes codes) {
    const TZdDIBInfo source = RleSource(bits, width, height, codes);
    TZdInternalDIB result(false);
    result.Install(bits == 8 ? Convert8BitRLETo8BitRGB(source, false) : Convert4BitRLETo4BitRGB(source, false));
    EXPECT_EQ(result.Info.Header.biCompression, kBiRgb);
    return Bytes(result.Info.Bits, result.Info.Bits + result.Info.BitsSize);
}

struct ExpandCase {
    const char* name;
    int bits, width, height;
    Bytes codes;
    Bytes expected;  // the memory rows, when the codes are valid
    const char* message;  // the error, when they are not
};

class ExpandTest : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandTest, WritesOnlyInsideThePicture) {
    const ExpandCase& c = GetParam();
    if (c.message == nullptr)
        EXPECT_EQ(Expand(c.bits, c.width, c.height, c.codes), c.expected);
    else
        ExpectError<EZdDIBInvalidDIB>([&] { Expand(c.bits, c.width, c.height, c.codes); }, c.message);
}

constexpr const char* kEnds8 = "Convert8BitRLETo8BitRGB: RLE Data Ends Without End of Bitmap";
const Bytes kZero8(8, 0);

INSTANTIATE_TEST_SUITE_P(
    Rle, ExpandTest,
    testing::Values(
        ExpandCase{"RunThenEndOfLine", 8, 3, 2, {3, 5, 0, 0, 0, 1}, {5, 5, 5, 0, 0, 0, 0, 0}, nullptr},
        ExpandCase{"RunPastRightEdge", 8, 3, 2, {4, 5, 0, 1}, {}, "Convert8BitRLETo8BitRGB: Bad RLE Data 4"},
        ExpandCase{"EndOfLineAfterLastRow", 8, 3, 2, {0, 0, 0, 0, 0, 1}, kZero8, nullptr},
        ExpandCase{"EndOfLineBeyond", 8, 3, 2, {0, 0, 0, 0, 0, 0, 0, 1}, {}, "Convert8BitRLETo8BitRGB: Bad RLE Data 1"},
        ExpandCase{"RunBelowLastRow", 8, 3, 2, {0, 0, 0, 0, 1, 7, 0, 1}, {}, "Convert8BitRLETo8BitRGB: Bad RLE Data 4"},
        ExpandCase{"Delta", 8, 3, 2, {0, 2, 1, 1, 2, 9, 0, 1}, {0, 0, 0, 0, 0, 9, 9, 0}, nullptr},
        ExpandCase{"DeltaToCorner", 8, 3, 2, {0, 2, 3, 2, 0, 1}, kZero8, nullptr},
        ExpandCase{"DeltaPastRight", 8, 3, 2, {0, 2, 4, 0, 0, 1}, {}, "Convert8BitRLETo8BitRGB: Bad RLE Data 2"},
        ExpandCase{"DeltaPastBottom", 8, 3, 2, {0, 2, 0, 3, 0, 1}, {}, "Convert8BitRLETo8BitRGB: Bad RLE Data 2"},
        ExpandCase{"Literal", 8, 3, 2, {0, 3, 1, 2, 3, 0, 0, 1}, {1, 2, 3, 0, 0, 0, 0, 0}, nullptr},
        ExpandCase{
            "LiteralPastRight", 8, 3, 2, {1, 0, 0, 3, 1, 2, 3, 0, 0, 1}, {}, "Convert8BitRLETo8BitRGB: Bad RLE Data 3"},
        ExpandCase{"NoEndOfBitmap", 8, 3, 2, {3, 5}, {}, kEnds8}, ExpandCase{"NoCodes", 8, 3, 2, {}, {}, kEnds8},
        ExpandCase{"TruncatedDelta", 8, 3, 2, {0, 2, 1}, {}, kEnds8},
        ExpandCase{"LiteralWithoutItsPad", 8, 3, 2, {0, 3, 1, 2, 3}, {}, kEnds8},
        ExpandCase{"Run4Alternates", 4, 5, 1, {3, 0x12, 0, 1}, {0x12, 0x10, 0, 0}, nullptr},
        ExpandCase{"Run4IntoPaddingPixel", 4, 3, 1, {4, 0x12, 0, 1}, {0x12, 0x12, 0, 0}, nullptr},
        ExpandCase{"Run4PastEdge", 4, 3, 1, {5, 0x12, 0, 1}, {}, "Convert4BitRLETo4BitRGB: Bad RLE Data 8"},
        ExpandCase{"Delta4OnePixel", 4, 5, 1, {0, 2, 1, 0, 1, 0xF0, 0, 1}, {0x0F, 0, 0, 0}, nullptr},
        ExpandCase{"Literal4", 4, 5, 1, {0, 5, 0xAB, 0xCD, 0xE0, 0, 0, 1}, {0xAB, 0xCD, 0xE0, 0}, nullptr},
        ExpandCase{"EndOfLine4Beyond", 4, 3, 1, {0, 0, 0, 0, 0, 1}, {}, "Convert4BitRLETo4BitRGB: Bad RLE Data 5"},
        ExpandCase{"Delta4PastRight", 4, 3, 1, {0, 2, 5, 0, 0, 1}, {}, "Convert4BitRLETo4BitRGB: Bad RLE Data 6"},
        ExpandCase{
            "Literal4PastRight", 4, 3, 1, {0, 5, 1, 2, 3, 0, 0, 1}, {}, "Convert4BitRLETo4BitRGB: Bad RLE Data 7"},
        ExpandCase{
            "NoEndOfBitmap4", 4, 3, 1, {2, 0x11}, {}, "Convert4BitRLETo4BitRGB: RLE Data Ends Without End of Bitmap"}),
    [](const testing::TestParamInfo<ExpandCase>& param) { return param.param.name; });

// The codes that one uncompressed row compresses to.
Bytes Compress(int bits, int width, const std::vector<std::uint32_t>& row) {
    Bytes pixels = PackRows(width, bits, {row});
    TZdDIBInfo source;
    source.Header = BitmapInfoHeader{40, width, 1, 1, static_cast<std::uint16_t>(bits), kBiRgb, 0, 0, 0, 0, 0};
    source.Bits = pixels.data();
    source.BitsSize = static_cast<std::int32_t>(pixels.size());
    TZdInternalDIB result(false);
    result.Install(bits == 8 ? Convert8BitRGBTo8BitRLE(source, false) : Convert4BitRGBTo4BitRLE(source, false));
    EXPECT_EQ(result.Info.Header.biSizeImage, static_cast<std::uint32_t>(result.Info.BitsSize));
    return Bytes(result.Info.Bits, result.Info.Bits + result.Info.BitsSize);
}

std::vector<std::uint32_t> Concat(std::initializer_list<std::vector<std::uint32_t>> parts) {
    std::vector<std::uint32_t> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(Rle, CompressedCodes) {
    // Runs; literals of one or two bytes become runs of one.
    EXPECT_EQ(Compress(8, 20, Concat({{1, 1, 1, 2, 3, 4, 4}, std::vector<std::uint32_t>(13, 9)})),
              (Bytes{3, 1, 1, 2, 1, 3, 2, 4, 13, 9, 0, 0, 0, 1}));
    // A longer literal, padded to an even length.
    EXPECT_EQ(Compress(8, 20, Concat({{1, 2, 3, 4, 5}, std::vector<std::uint32_t>(15, 7)})),
              (Bytes{0, 5, 1, 2, 3, 4, 5, 0, 15, 7, 0, 0, 0, 1}));
    // A literal gives up its last byte to a run that starts there.
    EXPECT_EQ(Compress(8, 20, Concat({{1, 2, 3, 3, 3}, std::vector<std::uint32_t>(15, 0)})),
              (Bytes{1, 1, 1, 2, 3, 3, 15, 0, 0, 0, 0, 1}));
    // Runs stop at 255.
    EXPECT_EQ(Compress(8, 300, std::vector<std::uint32_t>(300, 7)), (Bytes{255, 7, 45, 7, 0, 0, 0, 1}));
    // 4 bits: counts are pixels, and never more than the row has left.
    EXPECT_EQ(Compress(4, 39, Concat({{1, 2, 3, 4, 5, 0}, std::vector<std::uint32_t>(33, 0)})),
              (Bytes{0, 6, 0x12, 0x34, 0x50, 0, 33, 0x00, 0, 0, 0, 1}));
}

TEST(Rle, WrongFormatsAreRefused) {
    Bytes pixels(8);
    TZdDIBInfo plain8;
    plain8.Header = BitmapInfoHeader{40, 2, 2, 1, 8, kBiRgb, 0, 0, 0, 0, 0};
    plain8.Bits = pixels.data();
    plain8.BitsSize = 8;
    TZdDIBInfo rle4 = RleSource(4, 2, 2, pixels);
    ExpectError<EZdDIBBadDIBType>([&] { Convert8BitRLETo8BitRGB(plain8, false); },
                                  "Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination");
    ExpectError<EZdDIBBadDIBType>([&] { Convert4BitRLETo4BitRGB(plain8, false); },
                                  "Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination");
    ExpectError<EZdDIBBadDIBType>([&] { Convert8BitRGBTo8BitRLE(rle4, false); },
                                  "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination");
    ExpectError<EZdDIBBadDIBType>([&] { Convert4BitRGBTo4BitRLE(plain8, false); },
                                  "Convert4BitRGBTo4BitRLE: Invalid Bitcount & Compression Combination");
}

// Fills an image with runs of pseudo-random length and value, and a few short
// literals, so that it compresses.
void PaintRuns(TZdDIB& image, std::uint32_t seed) {
    const int colors = image.BitCount() == 4 ? 16 : 256;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width();) {
            seed = seed * 1103515245 + 12345;
            const int length = 1 + static_cast<int>(seed >> 27);
            const bool literal = (seed >> 8) % 5 == 0;
            for (int i = 0; i < length && x < image.Width(); ++i, ++x)
                image.SetPixels(x, y, static_cast<std::int32_t>((seed >> 16) + (literal ? i : 0)) % colors);
        }
    }
}

TEST(Rle, CompressionRoundTripsThroughThePixelFormat) {
    for (const int bits : {8, 4}) {
        for (const int width : {33, 64, 301}) {
            for (const int height : {7, -7}) {
                TZdDIB image, copy;
                image.SetWidth(width);
                image.SetHeight(height);
                image.SetBitCount(bits);
                PaintRuns(image, static_cast<std::uint32_t>(width * bits));
                copy.Assign(&image);

                const TZdPixelFormat plain = bits == 8 ? zdPf8Bit : zdPf4Bit;
                copy.SetPixelFormat(bits == 8 ? zdPf8BitRLE : zdPf4BitRLE);
                EXPECT_EQ(image.PixelFormat(), plain);  // the sharer keeps its pixels
                EXPECT_EQ(copy.InternalDIB().Info.Header.biHeight, 7);
                copy.SetPixelFormat(plain);
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < width; ++x)
                        ASSERT_EQ(copy.Pixels(x, y), image.Pixels(x, y)) << bits << " bits, " << width << "x" << height;
            }
        }
    }
}

TEST(Rle, NoiseDoesNotCompressAndTheImageStaysPlain) {
    TZdDIB image;
    image.SetWidth(16);
    image.SetHeight(16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) image.SetPixels(x, y, (x * 7 + y * 3) % 256);
    ExpectError<EZdDIBCompressionFailed>([&] { image.SetPixelFormat(zdPf8BitRLE); },
                                         "Convert8BitRGBTo8BitRLE: Compression Failed");
    EXPECT_EQ(image.PixelFormat(), zdPf8Bit);
    EXPECT_EQ(image.Pixels(5, 5), 50u);
}

TEST(Rle, LoadedRleFilesStayCompressedUntilConverted) {
    TZdDIB image;
    Load(image, BmpBuilder()
                    .Size(3, 2)
                    .Bits(8)
                    .Compression(1)
                    .ColorsUsed(1)
                    .Colors({0})
                    .Pixels({3, 5, 0, 0, 1, 6, 0, 1})
                    .Build());
    EXPECT_EQ(image.PixelFormat(), zdPf8BitRLE);
    ExpectError<EZdDIBBadDIBType>([&] { image.Pixels(0, 0); }, "TZdDIB.GetPixels: Bad DIB Type");
    image.SetPixelFormat(zdPf8Bit);
    EXPECT_EQ(image.Pixels(2, 1), 5u);  // the first row in memory is the bottom row
    EXPECT_EQ(image.Pixels(0, 0), 6u);
    EXPECT_EQ(image.Pixels(1, 0), 0u);
}

}  // namespace
}  // namespace imvexa::test
