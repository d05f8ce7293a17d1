// The PNG reader over generated files: every accepted colour type and bit
// depth, every filter type, interlaced and not, split image data, and the
// edge cases of the format.
#include <tuple>

#include "PngTestSupport.h"

namespace imvexa::test::png {
namespace {

// (colour type, bit depth) of every accepted combination.
const std::vector<std::pair<int, int>> kKinds = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8},  {2, 16}, {3, 1},
                                                 {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

std::string KindName(const std::pair<int, int>& kind) {
    return "ct" + std::to_string(kind.first) + "_d" + std::to_string(kind.second);
}

using KindCase = std::tuple<std::pair<int, int>, bool, int>;  // kind, interlaced, width

class EveryKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(EveryKind, DecodesEveryPixel) {
    const auto& [kind, interlaced, width] = GetParam();
    const auto [colorType, depth] = kind;
    const int colors = colorType == 3 ? (depth == 8 ? 200 : 1 << depth) : 0;
    const Image image = MakeImage(width, 19, colorType, depth, static_cast<std::uint32_t>(width * 100 + colorType * 17 + depth),
                                  colors ? std::optional<int>(colors - 1) : std::nullopt);
    PngBuilder builder(image);
    builder.Interlace(interlaced);
    if (colors) builder.Palette(TestPalette(colors));
    QXPNGLE png;
    Load(png, builder.Build());
    ExpectPicture(png, image, TestPalette(colors));
}

INSTANTIATE_TEST_SUITE_P(Png, EveryKind,
                         ::testing::Combine(::testing::ValuesIn(kKinds), ::testing::Bool(),
                                            ::testing::Values(1, 2, 3, 5, 8, 9, 17, 33)),
                         [](const ::testing::TestParamInfo<KindCase>& p) {
                             return KindName(std::get<0>(p.param)) + (std::get<1>(p.param) ? "_adam7" : "") + "_w" +
                                    std::to_string(std::get<2>(p.param));
                         });

using FilterCase = std::tuple<std::pair<int, int>, int, bool>;  // kind, filter, interlaced

class EveryFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(EveryFilter, UndoesTheFilterOnEveryRow) {
    const auto& [kind, filter, interlaced] = GetParam();
    const auto [colorType, depth] = kind;
    const int colors = colorType == 3 ? 1 << std::min(depth, 8) : 0;
    const Image image = MakeImage(23, 13, colorType, depth, static_cast<std::uint32_t>(filter * 31 + depth),
                                  colors ? std::optional<int>(colors - 1) : std::nullopt);
    PngBuilder builder(image);
    builder.Interlace(interlaced).Filters([f = filter](int) { return f; });
    if (colors) builder.Palette(TestPalette(colors));
    QXPNGLE png;
    Load(png, builder.Build());
    ExpectPicture(png, image, TestPalette(colors));
}

INSTANTIATE_TEST_SUITE_P(Png, EveryFilter,
                         ::testing::Combine(::testing::ValuesIn(kKinds), ::testing::Range(0, 5), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<FilterCase>& p) {
                             return KindName(std::get<0>(p.param)) + "_f" + std::to_string(std::get<1>(p.param)) +
                                    (std::get<2>(p.param) ? "_adam7" : "");
                         });

TEST(PngRead, ManySmallIdatChunksDecodeLikeOne) {
    const Image image = MakeImage(31, 17, 6, 16, 5);
    for (bool interlaced : {false, true}) {
        for (std::size_t size : {1u, 2u, 3u, 7u, 100u}) {
            QXPNGLE png;
            Load(png, PngBuilder(image).Interlace(interlaced).IdatSize(size).Build());
            ExpectPicture(png, image);
        }
    }
}

TEST(PngRead, IdatChunksLargerThanTheInputBuffer) {
    // Incompressible data in one IDAT of more than 32768 bytes, then in chunks of 40000.
    const Image image = MakeImage(300, 60, 2, 16, 77);
    PngBuilder builder(image);
    builder.Filters([](int) { return 0; });
    ASSERT_GT(builder.ImageData().size(), 65536u);
    for (std::size_t size : {std::size_t{0}, std::size_t{40000}}) {
        QXPNGLE png;
        Load(png, PngBuilder(builder).IdatSize(size).Build());
        ExpectPicture(png, image);
    }
}

TEST(PngRead, WrongCrcsAreIgnored) {
    const Image image = MakeImage(12, 9, 3, 4, 3, 15);
    PngBuilder builder(image);
    builder.Palette(TestPalette(16)).IdatSize(10).Before("tEXt", {'a', 0, 'b'});
    const Bytes good = builder.Build();
    const Bytes bad = PngBuilder(builder).BadCrc().Build();
    ASSERT_NE(good, bad);
    QXPNGLE a, b;
    Load(a, good);
    Load(b, bad);
    ExpectPicture(b, image, TestPalette(16));
    for (int y = 0; y < 9; ++y)
        EXPECT_EQ(Bytes(a.InternalBitmap()->ScanLine(y), a.InternalBitmap()->ScanLine(y) + 8),
                  Bytes(b.InternalBitmap()->ScanLine(y), b.InternalBitmap()->ScanLine(y) + 8));
}

TEST(PngRead, AlphaAndTrnsAreDropped) {
    // A fully transparent pixel keeps the colour stored under it.
    Image image{2, 1, 6, 8, {{10, 20, 30, 0, 40, 50, 60, 255}}};
    QXPNGLE png;
    Load(png, PngBuilder(image).Before("tRNS", {0, 0, 0, 0, 0, 0}).Build());
    EXPECT_EQ(Color(*png.InternalBitmap(), 0, 0), 0x0A141Eu);
    EXPECT_EQ(Color(*png.InternalBitmap(), 1, 0), 0x28323Cu);

    Image indexed{3, 1, 3, 8, {{0, 1, 2}}};
    QXPNGLE withTrns;
    Load(withTrns, PngBuilder(indexed).Palette({0x112233, 0x445566, 0x778899}).Before("tRNS", {0, 0, 0}).Build());
    QXPNGLE withoutTrns;
    Load(withoutTrns, PngBuilder(indexed).Palette({0x112233, 0x445566, 0x778899}).Build());
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Color(*withTrns.InternalBitmap(), x, 0), Color(*withoutTrns.InternalBitmap(), x, 0));
    EXPECT_EQ(withTrns.InternalBitmap()->ColorTable().size(), 3u);
}

TEST(PngRead, SixteenBitSamplesKeepTheHighByte) {
    Image rgb{1, 1, 2, 16, {{0x1234, 0xABCD, 0x00FF}}};
    QXPNGLE png;
    Load(png, PngBuilder(rgb).Build());
    const std::uint8_t* pixel = png.InternalBitmap()->ScanLine(0);
    EXPECT_EQ(pixel[0], 0x00);  // blue
    EXPECT_EQ(pixel[1], 0xAB);  // green
    EXPECT_EQ(pixel[2], 0x12);  // red

    Image grey{1, 1, 0, 16, {{0xA0B0}}};
    QXPNGLE greyPng;
    Load(greyPng, PngBuilder(grey).Build());
    EXPECT_EQ(greyPng.InternalBitmap()->BitsPerPixel(), 8);
    EXPECT_EQ(greyPng.InternalBitmap()->ScanLine(0)[0], 0xA0);

    Image greyAlpha{1, 1, 4, 16, {{0xC0D0, 0x0000}}};
    QXPNGLE gaPng;
    Load(gaPng, PngBuilder(greyAlpha).Build());
    EXPECT_EQ(Color(*gaPng.InternalBitmap(), 0, 0), 0xC0C0C0u);
}

std::vector<std::uint32_t> Greys(const TBitmap& bitmap) {
    std::vector<std::uint32_t> out;
    for (const PaletteEntry& e : bitmap.ColorTable()) {
        EXPECT_TRUE(e.red == e.green && e.green == e.blue);
        out.push_back(e.red);
    }
    return out;
}

TEST(PngRead, GreyscalePalettes) {
    Image two{4, 1, 0, 2, {{0, 1, 2, 3}}};
    QXPNGLE png2;
    Load(png2, PngBuilder(two).Build());
    EXPECT_EQ(png2.InternalBitmap()->BitsPerPixel(), 4);
    EXPECT_EQ(Greys(*png2.InternalBitmap()), (std::vector<std::uint32_t>{0, 85, 170, 255}));
    EXPECT_EQ((Bytes{png2.InternalBitmap()->ScanLine(0), png2.InternalBitmap()->ScanLine(0) + 2}), (Bytes{0x01, 0x23}));

    Image one{2, 1, 0, 1, {{0, 1}}};
    QXPNGLE png1;
    Load(png1, PngBuilder(one).Build());
    EXPECT_EQ(Greys(*png1.InternalBitmap()), (std::vector<std::uint32_t>{0, 255}));

    Image four{1, 1, 0, 4, {{9}}};
    QXPNGLE png4;
    Load(png4, PngBuilder(four).Build());
    std::vector<std::uint32_t> ramp16;
    for (std::uint32_t i = 0; i < 16; ++i) ramp16.push_back(i * 17);
    EXPECT_EQ(Greys(*png4.InternalBitmap()), ramp16);

    // A PLTE in a greyscale file is overwritten by the ramp.
    Image eight{1, 1, 0, 8, {{77}}};
    QXPNGLE png8;
    Load(png8, PngBuilder(eight).Palette({0xFF0000}).Build());
    EXPECT_EQ(png8.InternalBitmap()->ColorTable().size(), 256u);
    EXPECT_EQ(Color(*png8.InternalBitmap(), 0, 0), 0x4D4D4Du);
}

TEST(PngRead, IndexedPaletteHasExactlyThePlteEntries) {
    Image image{3, 2, 3, 8, {{0, 1, 2}, {2, 1, 0}}};
    QXPNGLE png;
    Load(png, PngBuilder(image).Palette({0x102030, 0x405060, 0x708090}).Build());
    ASSERT_EQ(png.InternalBitmap()->ColorTable().size(), 3u);
    EXPECT_EQ(PaletteHandleSize(png.Palette()), 3);
    EXPECT_EQ(Color(*png.InternalBitmap(), 2, 0), 0x708090u);

    // A 2-bit indexed image becomes 4 bits with the PLTE's palette.
    Image twoBit{5, 1, 3, 2, {{3, 2, 1, 0, 3}}};
    QXPNGLE png2;
    Load(png2, PngBuilder(twoBit).Palette({1, 2, 3, 4}).Build());
    EXPECT_EQ(png2.InternalBitmap()->BitsPerPixel(), 4);
    EXPECT_EQ(png2.InternalBitmap()->ColorTable().size(), 4u);
    EXPECT_EQ((Bytes{png2.InternalBitmap()->ScanLine(0), png2.InternalBitmap()->ScanLine(0) + 3}), (Bytes{0x32, 0x10, 0x30}));
}

// The palette of a graphic as 0xRRGGBB values.
std::vector<std::uint32_t> PaletteColors(PaletteHandle palette) {
    PaletteEntry entries[256];
    const int count = GetPaletteHandleEntries(palette, 0, 256, entries);
    std::vector<std::uint32_t> colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(std::uint32_t{entries[i].red} << 16 | std::uint32_t{entries[i].green} << 8 | entries[i].blue);
    return colors;
}

// Files at the edges of what the reader accepts: an empty picture, and
// truecolour pictures that carry a palette, which the 24-bit bitmap keeps
// (through copies, and through a save and a second load).
TEST(PngRead, EmptyPicturesAndTruecolourPalettes) {
    const Image truecolour = MakeImage(5, 4, 2, 8, 1), withAlpha = MakeImage(3, 2, 6, 8, 2);
    const struct {
        const char* name;
        Bytes file;
        const Image* image;  // null: an empty graphic
        std::vector<std::uint32_t> palette;
    } cases[] = {
        {"0 x 0, then IEND", File({Header(0, 0, 8, 2), Chunk("IEND", {})}), nullptr, {}},
        {"0 x 0 indexed", File({Header(0, 0, 1, 3), Chunk("PLTE", {1, 2, 3}), Chunk("IEND", {})}), nullptr, {}},
        {"truecolour with PLTE", PngBuilder(truecolour).Palette({0x010203, 0x040506}).Build(), &truecolour,
         {0x010203, 0x040506}},
        {"truecolour and alpha with PLTE", PngBuilder(withAlpha).Palette({0xA0B0C0}).Build(), &withAlpha, {0xA0B0C0}},
        {"truecolour without PLTE", PngBuilder(truecolour).Build(), &truecolour, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QXPNGLE png;
        Load(png, c.file);
        EXPECT_EQ(png.Empty(), c.image == nullptr);
        if (c.image == nullptr) continue;
        ExpectPicture(png, *c.image);
        EXPECT_EQ(PaletteColors(png.Palette()), c.palette);
        TBitmap copy;
        png.AssignTo(copy);
        EXPECT_EQ(PaletteColors(copy.Palette()), c.palette);

        TMemoryStream saved;
        png.SaveToStream(saved);
        QXPNGLE reloaded;
        Load(reloaded, saved.Bytes());
        ExpectPicture(reloaded, *c.image);
        EXPECT_EQ(PaletteColors(reloaded.Palette()), c.palette);
    }
}

// A second load replaces the picture: a palette of the first does not stay.
TEST(PngRead, ASecondLoadDropsTheFirstPalette) {
    const Image truecolour = MakeImage(5, 4, 2, 8, 1);
    QXPNGLE png;
    Load(png, PngBuilder(truecolour).Palette({0x010203}).Build());
    Load(png, PngBuilder(truecolour).Build());
    EXPECT_EQ(png.Palette(), nullptr);
}

TEST(PngRead, InterlacedOneByOne) {
    Image image{1, 1, 2, 8, {{1, 2, 3}}};
    PngBuilder builder(image);
    builder.Interlace();
    EXPECT_EQ(builder.FilteredData().size(), 4u);  // only pass 0 has a row
    QXPNGLE png;
    Load(png, builder.Build());
    EXPECT_EQ(Color(*png.InternalBitmap(), 0, 0), 0x010203u);
}

TEST(PngRead, InterlacedThreeByThreePlacesEveryPass) {
    // Pixel values name their pass: pass 0 → 10, 3 → 40, 4 → 50, 5 → 60, 6 → 70.
    Image image{3, 3, 0, 8, {{10, 60, 40}, {70, 70, 70}, {50, 60, 50}}};
    PngBuilder builder(image);
    builder.Interlace();
    // Rows: pass 0 (1 px), pass 3 (1 px), pass 4 (2 px), pass 5 (2 rows of 1 px), pass 6 (1 row of 3 px).
    EXPECT_EQ(builder.FilteredData().size(), 2u + 2u + 3u + 2u * 2u + 4u);
    QXPNGLE png;
    Load(png, builder.Build());
    ExpectPicture(png, image);
}

TEST(PngRead, ColourTypeUsesOnlyItsLowThreeBits) {
    Image rgb{1, 1, 2, 8, {{9, 8, 7}}};
    QXPNGLE png;
    Load(png, PngBuilder(rgb).Header(IhdrData(1, 1, 8, 10)).Build());  // 10 reads as 2
    EXPECT_EQ(Color(*png.InternalBitmap(), 0, 0), 0x090807u);

    Image grey{1, 1, 0, 8, {{99}}};
    QXPNGLE greyPng;
    Load(greyPng, PngBuilder(grey).Header(IhdrData(1, 1, 8, 8)).Build());  // 8 reads as 0
    EXPECT_EQ(greyPng.InternalBitmap()->ScanLine(0)[0], 99);
}

TEST(PngRead, CompressionAndFilterMethodOneAreAccepted) {
    Image image{2, 1, 0, 8, {{1, 2}}};
    QXPNGLE png;
    Load(png, PngBuilder(image).Header(IhdrData(2, 1, 8, 0, 1, 1, 0)).Build());
    ExpectPicture(png, image);
}

TEST(PngRead, UnknownChunksAreSkipped) {
    const Image image = MakeImage(6, 6, 2, 8, 8);
    QXPNGLE png;
    Load(png, PngBuilder(image)
                  .Before("gAMA", {0, 0, 0xB1, 0x8F})
                  .Before("prVt", Bytes(1000, 0x55))
                  .Before("zzzz", {})
                  .After("tEXt", {'k', 0, 'v'})
                  .After("IDAX", Bytes(5, 1))
                  .Build());
    ExpectPicture(png, image);
}

TEST(PngRead, ChunksAfterIendAreNotRead) {
    const Image image = MakeImage(4, 4, 0, 8, 2);
    Bytes file = PngBuilder(image).Build();
    const Bytes junk = Chunk("IHDR", IhdrData(1, 1, 3, 0));
    file.insert(file.end(), junk.begin(), junk.end());
    file.push_back(0x42);
    QXPNGLE png;
    Load(png, file);
    ExpectPicture(png, image);
}

TEST(PngRead, StreamCutAfterTheLastRowStillDecodes) {
    // Neither the Adler-32 check value nor the end of the deflate stream is needed.
    const Image image = MakeImage(10, 10, 2, 8, 4);
    PngBuilder builder(image);
    builder.Filters([](int) { return 0; });
    Bytes data = Compress(builder.FilteredData(), 0);  // stored blocks: the rows are the last bytes
    data.resize(data.size() - 4);
    QXPNGLE png;
    Load(png, PngBuilder(builder).ZlibData(data).Build());
    ExpectPicture(png, image);
}

TEST(PngRead, IendBeforeIdatLeavesTheGraphicEmpty) {
    Bytes file = Signature();
    for (const Bytes& chunk : {Chunk("IHDR", IhdrData(2, 2, 8, 2)), Chunk("IEND", {})})
        file.insert(file.end(), chunk.begin(), chunk.end());
    QXPNGLE png;
    Load(png, file);
    EXPECT_TRUE(png.Empty());
}

TEST(PngRead, ReadsFromTheStreamPosition) {
    const Image image = MakeImage(3, 3, 2, 8, 6);
    Bytes file = {1, 2, 3};
    const Bytes png = PngBuilder(image).Build();
    file.insert(file.end(), png.begin(), png.end());
    TMemoryStream stream(file);
    stream.Seek(3, SeekOrigin::Begin);
    QXPNGLE graphic;
    graphic.LoadFromStream(stream);
    ExpectPicture(graphic, image);
    EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(file.size()));
}

TEST(PngRead, SecondLoadReusesTheBitmap) {
    QXPNGLE png;
    const Image first = MakeImage(8, 6, 2, 8, 1);
    Load(png, PngBuilder(first).Build());
    const TBitmap* bitmap = png.InternalBitmap();
    const Image second = MakeImage(5, 9, 3, 4, 2, 15);
    Load(png, PngBuilder(second).Palette(TestPalette(16)).Build());
    EXPECT_EQ(png.InternalBitmap(), bitmap);
    ExpectPicture(png, second, TestPalette(16));
    const Image third = MakeImage(5, 9, 3, 4, 3, 15);
    Load(png, PngBuilder(third).Palette(TestPalette(16)).Interlace().Build());
    ExpectPicture(png, third, TestPalette(16));
}

TEST(PngRead, LoadFromFile) {
    const Image image = MakeImage(7, 5, 6, 8, 9);
    const Bytes file = PngBuilder(image).Build();
    const std::string path = ::testing::TempDir() + "qxpngle_load.png";
    {
        TFileStream out(path, FileMode::Create);
        out.WriteBuffer(file.data(), file.size());
    }
    QXPNGLE png;
    png.LoadFromFile(path);
    ExpectPicture(png, image);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace imvexa::test::png
