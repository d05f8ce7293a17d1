// DecodePNG, the reader as a function from bytes to rows: pictures far
// beyond the bitmap limit stream through it, a hostile header costs
// nothing, and its rows are QXPNGLE's bitmap for every kind of file.
#include <fstream>
#include <iterator>
#include <map>

#include "AllocationProbe.h"
#include "PixelLimits.h"
#include "PngDecode.h"
#include "PngTestSupport.h"

namespace imvexa::test::png {
namespace {

// A zlib stream of a row repeated count times, then the last row, written
// fast: the deflate blocks of the row (ended by a sync flush) refer only to
// bytes of the row, so they decode the same after any number of copies.
// Raw deflate between a zlib header and our own check value.
Bytes RepeatedRows(const Bytes& row, int count, const Bytes& last) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    auto deflateAll = [&z](const Bytes& in, int flush) {
        Bytes out;
        z.next_in = const_cast<std::uint8_t*>(in.data());
        z.avail_in = static_cast<uInt>(in.size());
        std::uint8_t buffer[65536];
        int result;
        do {
            z.next_out = buffer;
            z.avail_out = sizeof buffer;
            result = deflate(&z, flush);
            out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        } while (z.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
        return out;
    };
    Bytes out{0x78, 0x9C};
    const uLong rowAdler = adler32(adler32(0, nullptr, 0), row.data(), static_cast<uInt>(row.size()));
    uLong adler = adler32(0, nullptr, 0);
    const Bytes copy = deflateAll(row, Z_SYNC_FLUSH);
    for (int i = 0; i < count; ++i) {
        out.insert(out.end(), copy.begin(), copy.end());
        adler = adler32_combine(adler, rowAdler, static_cast<z_off_t>(row.size()));
    }
    const Bytes end = deflateAll(last, Z_FINISH);
    out.insert(out.end(), end.begin(), end.end());
    deflateEnd(&z);
    PutUInt32(out, static_cast<std::uint32_t>(adler32(adler, last.data(), static_cast<uInt>(last.size()))));
    return out;
}

// Keeps the header, counts the rows and copies the ones asked for.
class TSpotRows : public TRowSink {
public:
    explicit TSpotRows(std::vector<int> wanted = {}) : wanted_(std::move(wanted)) {}

    void Begin(const PictureHeader& header) override {
        ASSERT_EQ(begins++, 0);
        header_ = header;
        rowBytes_ = static_cast<std::size_t>((std::int64_t{header.width} * header.bitsPerPixel + 7) / 8);
    }
    void Row(const std::uint8_t* pixels) override {
        if (std::find(wanted_.begin(), wanted_.end(), rows) != wanted_.end()) kept[rows] = Bytes(pixels, pixels + rowBytes_);
        ++rows;
    }
    const PictureHeader& Header() const { return header_; }

    int begins = 0;
    int rows = 0;
    std::map<int, Bytes> kept;

private:
    std::vector<int> wanted_;
    PictureHeader header_;
    std::size_t rowBytes_ = 0;
};

// Pictures beyond the bitmap limit (or with pixel bytes far beyond what a
// thumbnail needs) decode into rows: every row but the last repeats a
// pattern of a short period, which deflate compresses within the row.
struct Large {
    const char* name;
    std::int32_t width, height;
    int depth, colorType, bits;
    std::uint8_t (*pattern)(std::size_t);  // byte i of a row
};

class LargePicture : public ::testing::TestWithParam<Large> {};

TEST_P(LargePicture, StreamsItsRows) {
    const Large& c = GetParam();
    const std::size_t rowBytes = (static_cast<std::size_t>(c.width) * SamplesPerPixel(c.colorType) * c.depth + 7) / 8;
    Bytes row(rowBytes + 1, 0), last(rowBytes + 1, 0xA5);
    for (std::size_t i = 0; i < rowBytes; ++i) row[i + 1] = c.pattern(i);
    last[0] = 0;
    const Bytes file = File({Header(c.width, c.height, c.depth, c.colorType), Chunk("PLTE", {1, 2, 3, 4, 5, 6, 7, 8, 9}),
                             Chunk("IDAT", RepeatedRows(row, c.height - 1, last)), Chunk("IEND", {})});
    const int middle = c.height / 2;
    TSpotRows sink({0, middle, c.height - 2, c.height - 1});
    EXPECT_EQ(DecodePNG(file, sink), file.size());
    ASSERT_EQ(sink.rows, c.height);
    EXPECT_EQ(sink.Header().width, c.width);
    EXPECT_EQ(sink.Header().bitsPerPixel, c.bits);
    const Bytes pixels(row.begin() + 1, row.end());
    if (c.bits == 24) {  // red, green, blue become blue, green, red
        const Bytes& decoded = sink.kept[middle];
        for (std::size_t x : {std::size_t{0}, std::size_t{4321}, std::size_t{15999}})
            EXPECT_EQ((Bytes{decoded[3 * x], decoded[3 * x + 1], decoded[3 * x + 2]}),
                      (Bytes{pixels[3 * x + 2], pixels[3 * x + 1], pixels[3 * x]}));
    } else {
        EXPECT_EQ(sink.kept[0], pixels);
        EXPECT_EQ(sink.kept[middle], pixels);
    }
    EXPECT_EQ(sink.kept[0], sink.kept[c.height - 2]);
    EXPECT_EQ(sink.kept[c.height - 1], Bytes(rowBytes, 0xA5));
}

INSTANTIATE_TEST_SUITE_P(PngDecode, LargePicture,
                         ::testing::Values(Large{"Truecolour16000x16000", 16000, 16000, 8, 2, 24,
                                                 [](std::size_t i) { return std::uint8_t(i * 7 % 251); }},
                                           Large{"Palette30000x30000", 30000, 30000, 8, 3, 8,
                                                 [](std::size_t i) { return std::uint8_t(i % 3); }},
                                           Large{"OneBit60000x10000", 60000, 10000, 1, 0, 1,
                                                 [](std::size_t i) { return std::uint8_t(i * 37); }}),
                         [](const ::testing::TestParamInfo<Large>& p) { return std::string(p.param.name); });

TEST(PngDecode, AHostileHeaderFailsBeforeAnyPixelMemory) {
    // 69 bytes that declare 16384 x 16384 truecolour pixels (768 MiB as a
    // bitmap); the image data is a stored block that ends after 5 bytes. A
    // streaming sink hears of the picture, gets no row, and the decoder
    // takes only its working rows and zlib's state.
    const Bytes data{0x78, 0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 1, 2, 3, 4};
    const Bytes file = File({Header(16384, 16384, 8, 2), Chunk("IDAT", data), Chunk("IEND", {})});
    ASSERT_EQ(file.size(), 69u);
    TSpotRows sink;
    const std::size_t largest = LargestAllocation(
        [&] { ExpectError<EQXPNGLE>([&] { DecodePNG(file, sink); }, "not next IDAT Chunk"); });
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.rows, 0);
    EXPECT_GT(largest, 0u);  // the probe sees the working rows
    EXPECT_LT(largest, std::size_t{1} << 20);
}

TEST(PngDecode, SizeLimits) {
    const Bytes idat = Chunk("IDAT", {0x78, 0x9C});
    const struct {
        std::uint32_t width, height;
        int colorType, interlace;
        bool streams;  // passes the size check as rows (then fails on the missing data)
    } cases[] = {
        {1u << 16, 1u << 15, 2, 0, true},    // 6 GiB of bitmap, 2^31 pixels
        {1u << 16, 1u << 16, 0, 0, true},    // exactly kMaxStreamedPixels
        {1u << 16, (1u << 16) + 1, 0, 0, false},
        {1u << 16, 1u << 15, 2, 1, false},   // interlaced pictures are kept whole
        {(1u << 24) + 1, 1, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const Bytes file = File({Header(c.width, c.height, 8, c.colorType, 0, 0, c.interlace), idat});
        TSpotRows sink;
        if (c.streams)
            ExpectError<EReadError>([&] { DecodePNG(file, sink); }, "Stream read error");
        else
            ExpectError<EQXPNGLE>([&] { DecodePNG(file, sink); }, "image size error");
    }
    static_assert(kMaxStreamedPixels == std::int64_t{1} << 32);
}

TEST(PngDecode, APaletteLongerThanTheDepthKeepsTheEntriesThePixelsReach) {
    const Image image{3, 1, 3, 1, {{0, 1, 1}}};
    const Bytes file = PngBuilder(image).Palette({0x102030, 0x405060, 0x708090, 0xA0B0C0}).Build();
    TSpotRows sink;
    DecodePNG(file, sink);
    ASSERT_EQ(sink.Header().colors.size(), 2u);
    EXPECT_EQ(sink.Header().colors[1].green, 0x50);
    QXPNGLE png;
    Load(png, file);
    ExpectPicture(png, image, {0x102030, 0x405060});
    EXPECT_EQ(png.InternalBitmap()->ColorTable().size(), 2u);
}

// The rows of a file are QXPNGLE's bitmap: header, colour table and every
// row, for every kind of picture and the Pillow set.
void ExpectRowsOfTheBitmap(const Bytes& file) {
    struct TAllRows : TSpotRows {
        void Row(const std::uint8_t* pixels) override {
            all.emplace_back(pixels, pixels + (std::int64_t{Header().width} * Header().bitsPerPixel + 7) / 8);
        }
        std::vector<Bytes> all;
    } sink;
    DecodePNG(file, sink);
    QXPNGLE png;
    Load(png, file);
    const TBitmap& bitmap = *png.InternalBitmap();
    ASSERT_EQ(sink.all.size(), static_cast<std::size_t>(bitmap.Height()));
    EXPECT_EQ(sink.Header().width, bitmap.Width());
    EXPECT_EQ(sink.Header().bitsPerPixel, bitmap.BitsPerPixel());
    EXPECT_EQ(sink.Header().order, TRowOrder::TopDown);
    EXPECT_EQ(sink.Header().colors.size(), bitmap.ColorTable().size());
    for (int y = 0; y < bitmap.Height(); ++y)
        ASSERT_EQ(sink.all[y], Bytes(bitmap.ScanLine(y), bitmap.ScanLine(y) + sink.all[y].size())) << "row " << y;
}

TEST(PngDecode, RowsAreTheBitmapOfQxpngle) {
    for (const auto& [colorType, depth] : {std::pair{0, 1}, {0, 2}, {0, 16}, {2, 8}, {2, 16}, {3, 2}, {3, 8}, {4, 8}, {6, 16}}) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::to_string(colorType) + "/" + std::to_string(depth) + (interlaced ? " adam7" : ""));
            const Image image = MakeImage(13, 11, colorType, depth, 7, colorType == 3 ? std::optional<int>(3) : std::nullopt);
            PngBuilder builder(image);
            builder.Interlace(interlaced).IdatSize(9);
            if (colorType == 3) builder.Palette(TestPalette(4));
            ExpectRowsOfTheBitmap(builder.Build());
        }
    }
    std::ifstream manifest(std::string(IMVEXA_PILLOW_CASES_DIR) + "/manifest.txt");
    std::string name, size;
    int count = 0;
    while (manifest >> name >> size >> size >> size) {
        SCOPED_TRACE(name);
        std::ifstream in(std::string(IMVEXA_PILLOW_CASES_DIR) + "/" + name + ".png", std::ios::binary);
        ExpectRowsOfTheBitmap(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        ++count;
    }
    EXPECT_GE(count, 100);
}

}  // namespace
}  // namespace imvexa::test::png
