// Every failure of the PNG reader: its fixed messages, the
// messages of this implementation's own decisions, and the stream's read
// error for files that end early.
#include "PngTestSupport.h"

namespace imvexa::test::png {
namespace {

// A valid 2 × 2 truecolour file, for variations.
const Image kSmall{2, 2, 2, 8, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}};

TEST(PngErrors, NotPngImage) {
    Bytes file = PngBuilder(kSmall).Build();
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes bad = file;
        bad[i] ^= 0x01;
        ExpectLoadError(bad, "Not PNG Image");
    }
    ExpectLoadError(Bytes{0x89, 'P', 'N', 'G', 0, 0, 0, 0}, "Not PNG Image");
}

TEST(PngErrors, AppearTwoIhdr) {
    ExpectLoadError(File({Header(1, 1, 8, 0), Header(1, 1, 8, 0)}), "appear two IHDR");
}

TEST(PngErrors, ColourTypes) {
    for (int type : {1, 5, 7, 9, 13, 15}) ExpectLoadError(File({Header(1, 1, 8, type)}), "Error ColorType");
}

TEST(PngErrors, BitDepths) {
    for (int depth : {0, 3, 5, 7, 9, 32}) ExpectLoadError(File({Header(1, 1, depth, 0)}), "Error Bitdepth");
    for (int depth : {1, 2, 4}) ExpectLoadError(File({Header(1, 1, depth, 4)}), "not Use AlphaChannel");
    for (int depth : {1, 2, 4, 3}) {
        ExpectLoadError(File({Header(1, 1, depth, 2)}), "Error BitDepth");
        ExpectLoadError(File({Header(1, 1, depth, 6)}), "Error BitDepth");
    }
    for (int depth : {16, 3, 0}) ExpectLoadError(File({Header(1, 1, depth, 3)}), "Error BitDepth");
}

TEST(PngErrors, MethodBytes) {
    ExpectLoadError(File({Header(1, 1, 8, 0, 2, 0, 0)}), "not support Compression");
    ExpectLoadError(File({Header(1, 1, 8, 0, 0, 2, 0)}), "not supprt Filter");
    ExpectLoadError(File({Header(1, 1, 8, 0, 0, 0, 2)}), "not interlace type");
    ExpectLoadError(File({Header(1, 1, 8, 0, 255, 255, 255)}), "not support Compression");
}

TEST(PngErrors, PlteChunks) {
    ExpectLoadError(File({Chunk("PLTE", {1, 2, 3}), Header(1, 1, 8, 3)}), "Error PLTE");
    ExpectLoadError(File({Header(1, 1, 8, 3), Chunk("PLTE", {1, 2, 3}), Chunk("PLTE", {1, 2, 3})}), "Error PLTE");
    ExpectLoadError(File({Header(1, 1, 8, 3), Chunk("PLTE", {}), Chunk("PLTE", {1, 2, 3})}), "Error PLTE");
    ExpectLoadError(File({Header(1, 1, 8, 3), Chunk("PLTE", {1, 2, 3, 4})}), "palettesize error");
    ExpectLoadError(File({Header(1, 1, 8, 3), Chunk("PLTE", Bytes(257 * 3, 7))}), "palette length over");
}

TEST(PngErrors, IendWithData) {
    ExpectLoadError(File({Header(1, 1, 8, 0), Chunk("IEND", {0})}), "error IEND size");
}

TEST(PngErrors, PaletteNone) {
    const Image image{2, 1, 3, 8, {{0, 1}}};
    ExpectLoadError(PngBuilder(image).Build(), "Palette None");
    ExpectLoadError(PngBuilder(image).Palette({}).Build(), "Palette None");
    // A PLTE after the first IDAT comes too late.
    ExpectLoadError(PngBuilder(image).After("PLTE", {1, 2, 3, 4, 5, 6}).Build(), "Palette None");
}

TEST(PngErrors, AppearTwoIdat) {
    // The last IDAT holds only the Adler-32 check value: the rows are complete before it.
    PngBuilder builder(kSmall);
    const Bytes data = builder.ImageData();
    Bytes file = File({Header(2, 2, 8, 2), Chunk("IDAT", Bytes(data.begin(), data.end() - 4)),
                       Chunk("IDAT", Bytes(data.end() - 4, data.end())), Chunk("IEND", {})});
    ExpectLoadError(file, "appear two IDAT");
    // Even an empty IDAT after the image data.
    ExpectLoadError(PngBuilder(kSmall).After("IDAT", {}).Build(), "appear two IDAT");
}

TEST(PngErrors, NotNextIdatChunk) {
    PngBuilder builder(kSmall);
    const Bytes data = builder.ImageData();
    Bytes file = File({Header(2, 2, 8, 2), Chunk("IDAT", Bytes(data.begin(), data.begin() + 5)),
                       Chunk("tEXt", {'a', 0}), Chunk("IDAT", Bytes(data.begin() + 5, data.end())), Chunk("IEND", {})});
    ExpectLoadError(file, "not next IDAT Chunk");
    // The image data stops in the middle of the zlib stream, then IEND.
    ExpectLoadError(File({Header(2, 2, 8, 2), Chunk("IDAT", Bytes(data.begin(), data.begin() + 5)), Chunk("IEND", {})}),
                    "not next IDAT Chunk");
}

TEST(PngErrors, ZlibError) {
    PngBuilder builder(kSmall);
    Bytes data = builder.ImageData();
    data[0] = 0x79;  // not deflate
    ExpectLoadError(PngBuilder(kSmall).ZlibData(data).Build(), "zlib error");
    // A stored block whose length and its complement disagree.
    ExpectLoadError(PngBuilder(kSmall).ZlibData({0x78, 0x01, 0x01, 0x0E, 0x00, 0x00, 0x00}).Build(), "zlib error");
    // A wrong Adler-32 reached while the last row is produced is reported by inflate.
    data = builder.ImageData();
    data.back() ^= 0xFF;
    ExpectLoadError(PngBuilder(kSmall).ZlibData(data).Build(), "zlib error");
    // An empty IDAT in the middle: inflate is called without input and has nothing pending.
    Bytes rows = builder.ImageData();
    ExpectLoadError(File({Header(2, 2, 8, 2), Chunk("IDAT", Bytes(rows.begin(), rows.begin() + 2)), Chunk("IDAT", {}),
                          Chunk("IDAT", Bytes(rows.begin() + 2, rows.end())), Chunk("IEND", {})}),
                    "zlib error");
}

TEST(PngErrors, PresetDictionaryIsAZlibError) {
    // FDICT set: inflate asks for a dictionary, which a PNG never has.
    Bytes data{0x78, 0xBB, 0, 0, 0, 1};
    const Bytes rest = PngBuilder(kSmall).ImageData();
    data.insert(data.end(), rest.begin() + 2, rest.end());
    ExpectLoadError(PngBuilder(kSmall).ZlibData(data).Build(), "zlib error");
}

TEST(PngErrors, FilterTypeAboveFour) {
    for (int type : {5, 6, 255}) {
        ExpectLoadError(PngBuilder(kSmall).Filters([type](int n) { return n == 1 ? type : 0; }).Build(),
                        "not support Filter");
    }
}

TEST(PngErrors, ChunkLengthAboveTwoToThe31) {
    // In the chunk loop (here an unknown chunk, which would otherwise be skipped backwards) ...
    Bytes file = File({Header(1, 1, 8, 0)});
    for (std::uint8_t b : Bytes{0xFF, 0xFF, 0xFF, 0xF0, 't', 'E', 'X', 't', 0, 0, 0, 0}) file.push_back(b);
    ExpectLoadError(file, "chunk length over");
    for (std::uint32_t length : {0x80000000u, 0xFFFFFFFFu}) {
        Bytes idat = File({Header(1, 1, 8, 0)});
        PutUInt32(idat, length);
        for (char c : std::string("IDAT")) idat.push_back(static_cast<std::uint8_t>(c));
        idat.resize(idat.size() + 20, 0);
        ExpectLoadError(idat, "chunk length over");
    }
    // ... and between the IDAT chunks of the image data.
    const Bytes data = PngBuilder(kSmall).ImageData();
    Bytes split = File({Header(2, 2, 8, 2), Chunk("IDAT", Bytes(data.begin(), data.begin() + 4))});
    PutUInt32(split, 0x80000001u);
    for (char c : std::string("IDAT")) split.push_back(static_cast<std::uint8_t>(c));
    split.insert(split.end(), data.begin() + 4, data.end());
    ExpectLoadError(split, "chunk length over");
}

TEST(PngErrors, ZlibStreamEndingBeforeTheLastRow) {
    // The stream ends in the middle of a row, with more data in the chunk.
    PngBuilder builder(kSmall);
    const Bytes rows = builder.FilteredData();
    Bytes data = Compress(Bytes(rows.begin(), rows.end() - 3));
    data.insert(data.end(), 10, 0);
    ExpectLoadError(PngBuilder(kSmall).ZlibData(data).Build(), "zlib data end");
    // It ends at a row boundary, and garbage follows in the same chunk.
    data = Compress(Bytes(rows.begin(), rows.begin() + 7));
    data.insert(data.end(), 10, 0);
    ExpectLoadError(PngBuilder(kSmall).ZlibData(data).Build(), "zlib data end");
}

TEST(PngErrors, ImageSizeOutOfBounds) {
    // The size is checked where the image data needs it.
    const Bytes idat = Chunk("IDAT", PngBuilder(kSmall).ImageData());
    const Bytes tooLarge[] = {Header(0, 0, 8, 2), Header(0, 1, 8, 0), Header(1, 0, 8, 0),
                              Header(0x80000000u, 1, 8, 0), Header(1, 0xFFFFFFFFu, 8, 0),
                              Header((1u << 24) + 1, 1, 1, 0),
                              // Within the dimension limit, but too many pixel bytes.
                              Header(1u << 24, 1u << 24, 1, 0), Header(1u << 16, 1u << 15, 8, 2)};
    for (const Bytes& header : tooLarge) ExpectLoadError(File({header, idat}), "image size error");
    // The largest sizes pass the header (and then fail on the missing data).
    QXPNGLE png;
    ExpectError<EReadError>([&] { Load(png, File({Header(1u << 24, 1, 8, 2)})); }, "Stream read error");
    EXPECT_TRUE(png.Empty());
}

TEST(PngErrors, IdatBeforeIhdr) {
    ExpectLoadError(File({Chunk("IDAT", PngBuilder(kSmall).ImageData()), Header(2, 2, 8, 2), Chunk("IEND", {})}),
                    "IHDR None");
}

TEST(PngErrors, TruncatedStreamsFailWithTheReadError) {
    const Bytes file = PngBuilder(MakeImage(9, 7, 6, 8, 1)).IdatSize(20).Build();
    for (std::size_t size = 1; size < file.size(); ++size) {
        QXPNGLE png;
        ExpectError<EReadError>([&] { Load(png, Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size))); },
                                "Stream read error");
    }
    // Ends right after the last row's data: the CRC of the chunk cannot be read.
    PngBuilder builder(kSmall);
    const Bytes data = builder.ImageData();
    Bytes cut = File({Header(2, 2, 8, 2)});
    PutUInt32(cut, static_cast<std::uint32_t>(data.size()));
    for (char c : std::string("IDAT")) cut.push_back(static_cast<std::uint8_t>(c));
    cut.insert(cut.end(), data.begin(), data.end());
    QXPNGLE png;
    ExpectError<EReadError>([&] { Load(png, cut); }, "Stream read error");
    // No IEND at all.
    ExpectError<EReadError>([&] { Load(png, PngBuilder(kSmall).NoIend().Build()); }, "Stream read error");
}

TEST(PngErrors, FailureBeforeTheImageDataKeepsThePicture) {
    QXPNGLE png;
    Load(png, PngBuilder(kSmall).Build());
    ExpectError<EQXPNGLE>([&] { Load(png, File({Header(1, 1, 3, 0)})); }, "Error Bitdepth");
    ExpectPicture(png, kSmall);

    QXPNGLE fresh;
    ExpectError<EQXPNGLE>([&] { Load(fresh, File({Header(1, 1, 8, 3), Chunk("IDAT", {})})); }, "Palette None");
    EXPECT_TRUE(fresh.Empty());
}

TEST(PngErrors, FailureInTheImageDataLeavesAPartlyWrittenBitmap) {
    const Image image = MakeImage(4, 4, 0, 8, 1);
    QXPNGLE png;
    ExpectError<EQXPNGLE>([&] { Load(png, PngBuilder(image).Filters([](int n) { return n == 2 ? 7 : 0; }).Build()); },
                          "not support Filter");
    ASSERT_FALSE(png.Empty());
    EXPECT_EQ(png.Width(), 4);
    EXPECT_EQ(Bytes(png.InternalBitmap()->ScanLine(1), png.InternalBitmap()->ScanLine(1) + 4),
              Bytes(image.rows[1].begin(), image.rows[1].end()));
}

// The bitmap is made at the first IDAT chunk, before any row: a failure in
// the first row leaves it white, at the declared size and format.
TEST(PngErrors, FailureInTheFirstRowLeavesAWhiteBitmapOfTheDeclaredFormat) {
    const struct {
        int colorType, depth, bits;
    } cases[] = {{0, 1, 1}, {0, 4, 4}, {0, 8, 8}, {2, 8, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        QXPNGLE png;
        const Bytes file = PngBuilder(MakeImage(13, 5, c.colorType, c.depth, 3)).Filters([](int) { return 7; }).Build();
        ExpectError<EQXPNGLE>([&] { Load(png, file); }, "not support Filter");
        ASSERT_FALSE(png.Empty());
        const TBitmap& bitmap = *png.InternalBitmap();
        EXPECT_EQ(bitmap.Width(), 13);
        EXPECT_EQ(bitmap.Height(), 5);
        EXPECT_EQ(bitmap.BitsPerPixel(), c.bits);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(Color(bitmap, x, y), 0xFFFFFFu) << x << ", " << y;
    }
}

// An interlaced image goes into the bitmap pass by pass: cut inside the
// second pass, the first pass's pixels are there and the rest is white.
TEST(PngErrors, ATruncatedInterlacedImageKeepsThePassesDecoded) {
    const struct {
        int colorType, depth;
    } cases[] = {{0, 4}, {2, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colorType);
        const Image image = MakeImage(19, 17, c.colorType, c.depth, 5);
        const PngBuilder builder = PngBuilder(image).Interlace();
        QXPNGLE whole;
        Load(whole, builder.Build());
        // Pass 1: 3 rows of 3 pixels, each row after its filter byte.
        const std::size_t pass1 = 3 * (1 + (3 * SamplesPerPixel(c.colorType) * c.depth + 7) / 8);
        const Bytes filtered = builder.FilteredData();
        const Bytes cut(filtered.begin(), filtered.begin() + static_cast<std::ptrdiff_t>(pass1 + 1));
        QXPNGLE png;
        ExpectError<EQXPNGLE>([&] { Load(png, PngBuilder(image).Interlace().ZlibData(Compress(cut)).Build()); },
                              "zlib data end");
        ASSERT_FALSE(png.Empty());
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const bool inPass1 = x % 8 == 0 && y % 8 == 0;
                ASSERT_EQ(Color(*png.InternalBitmap(), x, y), inPass1 ? Color(*whole.InternalBitmap(), x, y) : 0xFFFFFFu)
                    << x << ", " << y;
            }
    }
}

// A failed load leaves the stream where reading stopped: after the bytes
// read so far, or at the end when the file runs out.
TEST(PngErrors, AFailedLoadLeavesTheStreamWhereReadingStopped) {
    const Bytes whole = PngBuilder(kSmall).Build();
    const struct {
        Bytes file;
        std::int64_t stop;  // from the file's start
    } cases[] = {
        {File({Header(1, 1, 3, 0), Chunk("IEND", {})}), 8 + 8 + 10},  // IHDR up to its colour type
        {Bytes(whole.begin(), whole.end() - 20), static_cast<std::int64_t>(whole.size()) - 20},
    };
    for (const auto& c : cases) {
        Bytes bytes{1, 2, 3};
        bytes.insert(bytes.end(), c.file.begin(), c.file.end());
        TMemoryStream stream(bytes);
        stream.Seek(3, SeekOrigin::Begin);
        QXPNGLE png;
        EXPECT_ANY_THROW(png.LoadFromStream(stream));
        EXPECT_EQ(stream.Position(), 3 + c.stop);
    }
}

}  // namespace
}  // namespace imvexa::test::png
