// The PNG writer: round trips at 1, 4, 8 and 24 bits per pixel, the file's
// structure, and its failures.
#include <zlib.h>

#include "PngTestSupport.h"

namespace imvexa::test::png {
namespace {

struct ChunkView {
    std::string type;
    Bytes data;
    bool crcOk;
};

std::vector<ChunkView> Chunks(const Bytes& file) {
    std::vector<ChunkView> out;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::size_t length = std::size_t{file[at]} << 24 | std::size_t{file[at + 1]} << 16 |
                                   std::size_t{file[at + 2]} << 8 | file[at + 3];
        ChunkView chunk{std::string(file.begin() + at + 4, file.begin() + at + 8),
                        Bytes(file.begin() + at + 8, file.begin() + at + 8 + length), false};
        const uLong crc = crc32(0L, file.data() + at + 4, static_cast<uInt>(4 + length));
        const std::size_t end = at + 8 + length;
        chunk.crcOk = crc == (uLong{file[end]} << 24 | uLong{file[end + 1]} << 16 | uLong{file[end + 2]} << 8 | file[end + 3]);
        out.push_back(chunk);
        at = end + 4;
    }
    EXPECT_EQ(at, file.size());
    return out;
}

// A bitmap of the format filled with a pattern, its colour table of count colours.
void Fill(TBitmap& bitmap, TPixelFormat format, int width, int height, int colors) {
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    if (colors > 0) {
        std::vector<PaletteEntry> table;
        for (int i = 0; i < colors; ++i)
            table.push_back(PaletteEntry{static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i),
                                         static_cast<std::uint8_t>(i * 29), 0});
        bitmap.SetColorTable(table);
    }
    std::uint32_t state = static_cast<std::uint32_t>(width * 31 + height);
    const auto rowBytes = static_cast<std::size_t>((std::int64_t{width} * bitmap.BitsPerPixel() + 7) / 8);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 24);
        if (bitmap.BitsPerPixel() == 8)
            for (std::size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<std::uint8_t>(row[i] % colors);
    }
}

class RoundTrip : public ::testing::TestWithParam<std::tuple<TPixelFormat, int>> {};

TEST_P(RoundTrip, WriteThenReadGivesTheSamePixels) {
    const auto [format, width] = GetParam();
    const int bits = BitsPerPixel(format);
    TBitmap bitmap;
    Fill(bitmap, format, width, 23, bits <= 8 ? (bits == 8 ? 200 : 1 << bits) : 0);
    QXPNGLE png;
    png.Assign(&bitmap);
    TMemoryStream stream;
    png.SaveToStream(stream);
    stream.Seek(0, SeekOrigin::Begin);
    QXPNGLE back;
    back.LoadFromStream(stream);
    const TBitmap& read = *back.InternalBitmap();
    ASSERT_EQ(read.PixelFormat(), format);
    ASSERT_EQ(read.Width(), width);
    ASSERT_EQ(read.Height(), 23);
    ASSERT_EQ(read.ColorTable().size(), bitmap.ColorTable().size());
    for (std::size_t i = 0; i < read.ColorTable().size(); ++i) {
        EXPECT_EQ(read.ColorTable()[i].red, bitmap.ColorTable()[i].red);
        EXPECT_EQ(read.ColorTable()[i].green, bitmap.ColorTable()[i].green);
        EXPECT_EQ(read.ColorTable()[i].blue, bitmap.ColorTable()[i].blue);
    }
    // Whole rows, the bits after the last pixel of 1- and 4-bit rows included.
    const auto rowBytes = static_cast<std::size_t>((std::int64_t{width} * bits + 7) / 8);
    for (int y = 0; y < 23; ++y) {
        ASSERT_EQ(Bytes(read.ScanLine(y), read.ScanLine(y) + rowBytes), Bytes(bitmap.ScanLine(y), bitmap.ScanLine(y) + rowBytes))
            << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Png, RoundTrip,
                         ::testing::Combine(::testing::Values(TPixelFormat::Bit1, TPixelFormat::Bit4, TPixelFormat::Bit8,
                                                              TPixelFormat::Bit24),
                                            ::testing::Values(1, 3, 8, 13, 64, 301)));

TEST(PngWrite, FileStructure) {
    TBitmap bitmap;
    Fill(bitmap, TPixelFormat::Bit24, 400, 100, 0);  // noise: more than 32768 compressed bytes
    QXPNGLE png;
    png.Assign(&bitmap);
    TMemoryStream stream;
    png.SaveToStream(stream);
    const Bytes& file = stream.Bytes();
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), Signature());
    const auto chunks = Chunks(file);
    ASSERT_GE(chunks.size(), 4u);
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.front().data, IhdrData(400, 100, 8, 2));
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_TRUE(chunks.back().data.empty());
    std::size_t idats = 0;
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].type, "IDAT");
        if (i + 2 < chunks.size()) {
            EXPECT_EQ(chunks[i].data.size(), 32768u);  // every IDAT but the last is full
        }
        ++idats;
    }
    EXPECT_GE(idats, 3u);
    for (const auto& chunk : chunks) EXPECT_TRUE(chunk.crcOk) << chunk.type;
}

TEST(PngWrite, IndexedHeaderAndPalette) {
    TBitmap bitmap;
    Fill(bitmap, TPixelFormat::Bit4, 5, 2, 3);
    QXPNGLE png;
    png.Assign(&bitmap);
    TMemoryStream stream;
    png.SaveToStream(stream);
    const auto chunks = Chunks(stream.Bytes());
    ASSERT_GE(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].data, IhdrData(5, 2, 4, 3));
    EXPECT_EQ(chunks[1].type, "PLTE");
    EXPECT_EQ(chunks[1].data, (Bytes{0, 255, 0, 7, 254, 29, 14, 253, 58}));
}

TEST(PngWrite, NoColourTable) {
    TBitmap bitmap;
    Fill(bitmap, TPixelFormat::Bit8, 3, 3, 4);
    QXPNGLE png;
    png.Assign(&bitmap);
    png.SetPalette(nullptr);  // an 8-bit bitmap without colours
    ASSERT_TRUE(png.InternalBitmap()->ColorTable().empty());
    TMemoryStream stream;
    ExpectError<EQXPNGLE>([&] { png.SaveToStream(stream); }, "no colortable");
}

// A graphic whose bitmap has no pixels saves a file that loads as an empty graphic.
TEST(PngWrite, EmptyPicturesLoadBackEmpty) {
    QXPNGLE nothing;
    TBitmap none, palette, wide;
    palette.SetPixelFormat(TPixelFormat::Bit8);
    wide.SetPixelFormat(TPixelFormat::Bit24);
    wide.SetSize(5, 0);
    const TGraphic* sources[] = {&nothing, &none, &palette, &wide};
    for (const TGraphic* source : sources) {
        QXPNGLE png;
        png.Assign(source);
        ASSERT_FALSE(png.Empty());  // a bitmap without pixels
        TMemoryStream saved;
        png.SaveToStream(saved);
        EXPECT_EQ(Chunks(saved.Bytes()).back().type, "IEND");
        QXPNGLE reloaded;
        Load(reloaded, saved.Bytes());
        EXPECT_TRUE(reloaded.Empty());
    }
}

TEST(PngWrite, SaveToFileAndLoadFromFile) {
    TBitmap bitmap;
    Fill(bitmap, TPixelFormat::Bit24, 17, 9, 0);
    QXPNGLE png;
    png.Assign(&bitmap);
    const std::string path = ::testing::TempDir() + "qxpngle_save.png";
    png.SaveToFile(path);
    QXPNGLE back;
    back.LoadFromFile(path);
    for (int y = 0; y < 9; ++y)
        EXPECT_EQ(Bytes(back.InternalBitmap()->ScanLine(y), back.InternalBitmap()->ScanLine(y) + 51),
                  Bytes(bitmap.ScanLine(y), bitmap.ScanLine(y) + 51));
    std::remove(path.c_str());
}

}  // namespace
}  // namespace imvexa::test::png
