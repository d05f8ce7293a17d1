// Rows with alpha: every colour type and depth that can carry transparency,
// plain and interlaced, against the samples the file was built from; a tRNS
// that does not fit, and the option off.
#include <string>

#include "PngDecode.h"
#include "PngTestSupport.h"

namespace imvexa::test::png {
namespace {

struct TKeptRows : TRowSink {
    PictureHeader header;
    std::vector<Bytes> rows;
    void Begin(const PictureHeader& h) override { header = h; }
    void Row(const std::uint8_t* pixels) override {
        rows.emplace_back(pixels, pixels + (std::int64_t{header.width} * header.bitsPerPixel + 7) / 8);
    }
};

TKeptRows Decode(const Bytes& file, bool alpha) {
    TKeptRows rows;
    PngDecodeOptions options;
    options.alpha = alpha;
    DecodePNG(file, rows, options);
    return rows;
}

std::uint8_t HighByte(const Image& image, std::uint16_t sample) {
    return static_cast<std::uint8_t>(image.depth == 16 ? sample >> 8 : sample);
}

// The alpha of pixel (x, y): its alpha sample, its palette entry's tRNS byte
// (opaque beyond them), or transparent where its samples equal the tRNS key
// at full depth.
std::uint8_t ExpectedAlpha(const Image& image, int x, int y, const Bytes& trns) {
    const std::uint16_t* s = image.Pixel(x, y);
    if (image.colorType >= 4) return HighByte(image, s[SamplesPerPixel(image.colorType) - 1]);
    if (image.colorType == 3) return s[0] < trns.size() ? trns[s[0]] : 255;
    for (int i = 0; i < SamplesPerPixel(image.colorType); ++i)
        if (s[i] != (trns[2 * i] << 8 | trns[2 * i + 1])) return 255;
    return 0;
}

// A tRNS for the image: half the palette, or the key of pixel (1, 0).
Bytes Transparency(const Image& image, std::size_t paletteSize) {
    Bytes trns;
    if (image.colorType == 3) {
        for (std::size_t i = 0; i < paletteSize / 2 + 1; ++i) trns.push_back(static_cast<std::uint8_t>(i * 97));
        return trns;
    }
    if (image.colorType >= 4) return trns;
    for (int i = 0; i < SamplesPerPixel(image.colorType); ++i) {
        const std::uint16_t sample = image.Pixel(1, 0)[i];
        trns.push_back(static_cast<std::uint8_t>(sample >> 8));
        trns.push_back(static_cast<std::uint8_t>(sample));
    }
    return trns;
}

TEST(PngAlpha, EveryTransparentFormatGivesStraightBgraRows) {
    const struct {
        int colorType, depth;
    } formats[] = {{6, 8}, {6, 16}, {4, 8}, {4, 16}, {3, 1}, {3, 2}, {3, 4}, {3, 8},
                   {0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}};
    for (const auto& f : formats)
        for (const bool interlace : {false, true}) {
            const std::string what = "type " + std::to_string(f.colorType) + " depth " + std::to_string(f.depth) +
                                     (interlace ? " Adam7" : "");
            const std::size_t paletteSize = f.colorType == 3 ? std::size_t{1} << f.depth : 0;
            const Image image = MakeImage(13, 11, f.colorType, f.depth, 18, f.colorType == 3 ? std::optional<int>(static_cast<int>(paletteSize) - 1) : std::nullopt);
            std::vector<std::uint32_t> palette;
            for (std::size_t i = 0; i < paletteSize; ++i) palette.push_back(static_cast<std::uint32_t>(i * 0x050B13 + 0x102030));
            const Bytes trns = Transparency(image, paletteSize);
            PngBuilder builder(image);
            builder.Interlace(interlace);
            if (!palette.empty()) builder.Palette(palette);
            if (!trns.empty()) builder.Before("tRNS", trns);
            const Bytes file = builder.Build();

            const TKeptRows opaque = Decode(file, false);
            EXPECT_FALSE(opaque.header.alpha) << what;
            EXPECT_EQ(opaque.header.bitsPerPixel, ExpectedBits(f.colorType, f.depth)) << what;

            const TKeptRows rows = Decode(file, true);
            ASSERT_TRUE(rows.header.alpha) << what;
            ASSERT_EQ(rows.header.bitsPerPixel, 32) << what;
            ASSERT_EQ(rows.rows.size(), 11u) << what;
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x) {
                    const std::uint32_t color = ExpectedColor(image, x, y, palette);
                    const Bytes expected{static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
                                         static_cast<std::uint8_t>(color >> 16), ExpectedAlpha(image, x, y, trns)};
                    ASSERT_EQ(Bytes(rows.rows[y].begin() + 4 * x, rows.rows[y].begin() + 4 * x + 4), expected)
                        << what << " at " << x << "," << y;
                }
        }
}

TEST(PngAlpha, OpaqueOrUnfittingTransparencyKeepsTodaysRows) {
    const Image grey = MakeImage(5, 3, 0, 8, 1), indexed = MakeImage(5, 3, 3, 2, 2, 3), rgb = MakeImage(5, 3, 2, 8, 3);
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"no tRNS", PngBuilder(rgb).Build()},
        {"grey key of 3 bytes", PngBuilder(grey).Before("tRNS", {0, 1, 2}).Build()},
        {"truecolour key of 2 bytes", PngBuilder(rgb).Before("tRNS", {0, 1}).Build()},
        {"more entries than the palette", PngBuilder(indexed).Palette({1, 2, 3, 4}).Before("tRNS", {0, 0, 0, 0, 0}).Build()},
        {"empty", PngBuilder(indexed).Palette({1, 2, 3, 4}).Before("tRNS", {}).Build()},
    };
    for (const auto& c : cases) {
        const TKeptRows rows = Decode(c.file, true), today = Decode(c.file, false);
        EXPECT_FALSE(rows.header.alpha) << c.what;
        EXPECT_EQ(rows.header.bitsPerPixel, today.header.bitsPerPixel) << c.what;
        EXPECT_EQ(rows.rows, today.rows) << c.what;
    }
}

}  // namespace
}  // namespace imvexa::test::png
