// DecodeBMP: the rows of a BMP file are the picture the DIB image loads from
// it, and a file fails with the error loading it raises.
#include <memory>
#include <typeinfo>

#include "../common/SamePicture.h"
#include "BitmapRows.h"
#include "BmpRows.h"
#include "TestSupport.h"

namespace imvexa::test {
namespace {

// The file in a DIB image, its RLE data expanded by the library's own routine
// (a bitmap loading it on Windows would let GDI expand it), in a bitmap.
std::unique_ptr<TBitmap> Loaded(const Bytes& file) {
    TZdDIB image;
    Load(image, file);
    const TZdPixelFormat format = image.PixelFormat();
    if (format == zdPf8BitRLE) image.SetPixelFormat(zdPf8Bit);
    if (format == zdPf4BitRLE) image.SetPixelFormat(zdPf4Bit);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(&image);
    return bitmap;
}

std::unique_ptr<TBitmap> Decoded(const Bytes& file) {
    auto bitmap = std::make_unique<TBitmap>();
    TBitmapRows rows(*bitmap);
    DecodeBMP(file, rows);
    return bitmap;
}

// Rows of random pixel values of the given bit count.
std::vector<std::vector<std::uint32_t>> NoiseRows(int width, int height, int bits) {
    std::vector<std::vector<std::uint32_t>> rows(static_cast<std::size_t>(height));
    std::uint32_t state = 77;
    for (auto& row : rows) {
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245 + 12345;
            row.push_back(bits == 32 ? state : state >> 8 & ((1u << bits) - 1));
        }
    }
    return rows;
}

BmpBuilder Noise(int width, int height, int bits) {
    return BmpBuilder().Size(width, height).Bits(static_cast<std::uint16_t>(bits)).Pixels(
        PackRows(width, bits, NoiseRows(width, std::abs(height), bits)));
}

std::vector<std::uint32_t> Grey(std::size_t count) {
    std::vector<std::uint32_t> colors(count);
    for (std::size_t i = 0; i < count; ++i) colors[i] = static_cast<std::uint32_t>(i % 256 * 0x010101);
    return colors;
}

struct RowsCase {
    const char* name;
    BmpBuilder file;
};

class BmpRowsTest : public testing::TestWithParam<RowsCase> {};

TEST_P(BmpRowsTest, RowsAreThePictureOfTheImage) {
    const Bytes file = GetParam().file.Build();
    ExpectSamePicture(*Loaded(file), *Decoded(file));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BmpRowsTest,
    testing::Values(
        RowsCase{"Bits1", Noise(13, 3, 1).Colors({0x102030, 0xF0E0D0})},
        RowsCase{"Bits1MoreColorsThanPixelsTake", Noise(9, 2, 1).ColorsUsed(16).Colors(Grey(16))},
        RowsCase{"Bits4OddWidth", Noise(5, 4, 4).ColorsUsed(3).Colors({1, 2, 3})},
        RowsCase{"Bits8FullTable", Noise(7, 3, 8).Colors(Grey(256))},
        RowsCase{"Bits8SkippedColors", Noise(3, 2, 8).ColorsUsed(300).Colors(Grey(300))},
        RowsCase{"Bits24BottomUp", Noise(5, 3, 24)},
        RowsCase{"Bits24TopDownWithPaletteHint", Noise(4, -3, 24).ColorsUsed(2).Colors({0xFF0000, 0xFF})},
        RowsCase{"Core8", Noise(6, 2, 8).HeaderSize(12).Colors(Grey(256))},
        RowsCase{"Core24", Noise(3, 3, 24).HeaderSize(12)},
        RowsCase{"Bits16Plain", Noise(5, 2, 16)},
        RowsCase{"Bits16Masks565WithColors",
                 Noise(3, 2, 16).Compression(3).Masks(0xF800, 0x07E0, 0x1F).ColorsUsed(1).Colors({0x123456})},
        RowsCase{"Bits32TopDown", Noise(3, -4, 32)},
        RowsCase{"Bits32LowMasks", Noise(2, 2, 32).Compression(3).Masks(0x3, 0xC, 0x30)},
        // A run, a delta over a pixel and a row, a run to the edge, a literal, end of bitmap.
        RowsCase{"Rle8", BmpBuilder().Size(5, 3).Bits(8).Compression(1).Colors(Grey(256)).Pixels(
                             {2, 9, 0, 2, 1, 1, 2, 8, 0, 0, 0, 3, 4, 5, 6, 0, 0, 1})},
        RowsCase{"Rle8TopDown",
                 BmpBuilder().Size(3, -2).Bits(8).Compression(1).Colors(Grey(256)).Pixels({3, 5, 0, 0, 1, 7, 0, 1})},
        RowsCase{"Rle4OddWidth", BmpBuilder().Size(3, 2).Bits(4).Compression(2).Colors(Grey(16)).Pixels(
                                     {3, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1})}),
    [](const testing::TestParamInfo<RowsCase>& param) { return param.param.name; });

// The class and message of what action raises.
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return std::string(typeid(error).name()) + ": " + error.what();
    }
    return "no error";
}

TEST(BmpRows, FilesFailAsTheImageFailsToLoadThem) {
    const Bytes oneRow = PackRows(1, 24, {{0}});
    Bytes cutHeader = BmpBuilder().Pixels(oneRow).Build();
    cutHeader.resize(30);
    const Bytes files[] = {
        BmpBuilder().Type(0x4D43).Pixels(oneRow).Build(),
        BmpBuilder().HeaderSize(108).Pixels(oneRow).Build(),
        BmpBuilder().Bits(2).ColorsUsed(1).Colors({0}).Pixels(Bytes(4)).Build(),
        BmpBuilder().HeaderSize(12).Bits(16).Pixels(Bytes(4)).Build(),
        BmpBuilder().Size(0, 1).Pixels(oneRow).Build(),
        BmpBuilder().PixelOffset(53).Pixels(oneRow).Build(),
        cutHeader,
        BmpBuilder().Bits(16).Compression(3).Masks(0xF800, 0x07E0, 0).Pixels(Bytes(4)).Build(),
        BmpBuilder().Bits(16).Compression(1).Pixels(Bytes(4)).Build(),
        BmpBuilder().Size(2, 2).Pixels(Bytes(15)).Build(),
        BmpBuilder().Size(1, 2).Bits(32).Pixels(Bytes(7)).Build(),
        BmpBuilder().Bits(8).Compression(1).ColorsUsed(1).Colors({0}).FileSize(0xFFFFFFFF).Pixels({1, 0, 0, 1}).Build(),
        BmpBuilder().Size(1 << 24, 1 << 24).Bits(8).Compression(1).ColorsUsed(1).Colors({0}).Pixels({0, 1}).Build(),
        // Pixel formats that no bitmap has, refused once the data is read.
        BmpBuilder().Compression(1).Pixels({0, 1}).Build(),
        BmpBuilder().Bits(1).Compression(2).Colors({0, 1}).Pixels({0, 1}).Build(),
        BmpBuilder().Bits(4).Compression(1).Colors(Grey(16)).Pixels({0, 1}).Build(),
        // RLE codes outside the picture, and codes without their end.
        BmpBuilder().Size(2, 1).Bits(8).Compression(1).Colors(Grey(256)).Pixels({3, 1, 0, 1}).Build(),
        BmpBuilder().Size(2, 1).Bits(4).Compression(2).Colors(Grey(16)).Pixels({0, 2, 3, 0, 0, 1}).Build(),
        BmpBuilder().Size(2, 1).Bits(8).Compression(1).Colors(Grey(256)).Pixels({2, 1}).Build(),
    };
    for (const Bytes& file : files) {
        const std::string expected = ErrorOf([&] { Loaded(file); });
        SCOPED_TRACE(expected);
        EXPECT_NE(expected, "no error");
        EXPECT_EQ(ErrorOf([&] { Decoded(file); }), expected);
    }
}

// Counts what arrives and keeps the first and the last row.
class RowCounter : public TRowSink {
public:
    void Begin(const PictureHeader& header) override {
        picture = header;
        ++begun;
    }
    void Row(const std::uint8_t* pixels) override {
        const std::size_t bytes = static_cast<std::size_t>((std::int64_t{picture.width} * picture.bitsPerPixel + 7) / 8);
        if (rows++ == 0) first.assign(pixels, pixels + bytes);
        last.assign(pixels, pixels + bytes);
    }

    PictureHeader picture;
    int begun = 0;
    int rows = 0;
    Bytes first, last;
};

TEST(BmpRows, PicturesBeyondAWholeBlockStreamInTheFilesOrder) {
    // 60000 × 10000 at 1 bit: the bottom row black, every other row white.
    constexpr int kWidth = 60000, kHeight = 10000, kStride = 7500;
    Bytes pixels(std::size_t{kStride} * kHeight, 0xFF);
    std::fill_n(pixels.begin(), kStride, 0);
    const Bytes file = BmpBuilder().Size(kWidth, kHeight).Bits(1).Colors({0, 0xFFFFFF}).Pixels(std::move(pixels)).Build();
    RowCounter sink;
    DecodeBMP(file, sink);
    EXPECT_EQ(sink.picture.width, kWidth);
    EXPECT_EQ(sink.picture.bitsPerPixel, 1);
    EXPECT_EQ(sink.picture.order, TRowOrder::BottomUp);
    EXPECT_EQ(sink.rows, kHeight);
    EXPECT_EQ(sink.first, Bytes(kStride, 0));
    EXPECT_EQ(sink.last, Bytes(kStride, 0xFF));
}

TEST(BmpRows, HostileSizesFailBeforeThePictureBegins) {
    const struct {
        BmpBuilder file;
        const char* message;
    } cases[] = {
        // Ten gigabytes of rows declared, eight bytes present.
        {BmpBuilder().Size(60000, 60000).Pixels(Bytes(8)), "TZdInternalDIB.LoadFromStream: Pixel Data Is Too Short"},
        {BmpBuilder().Size(60000, -60000).Bits(32).Pixels(Bytes(8)),
         "TZdInternalDIB.LoadFromStream: Pixel Data Is Too Short"},
        // More pixels than a streamed picture may take.
        {BmpBuilder().Size(1 << 24, 1 << 24).Bits(1).Colors({0, 0}).Pixels(Bytes(8)),
         "TZdInternalDIB.LoadFromStream: Picture Is Too Large"},
    };
    for (const auto& c : cases) {
        RowCounter sink;
        ExpectError<EZdDIBInvalidDIB>([&] { DecodeBMP(c.file.Build(), sink); }, c.message);
        EXPECT_EQ(sink.begun, 0);
    }
}

}  // namespace
}  // namespace imvexa::test
