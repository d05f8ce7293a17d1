// Decoding against djpeg's decode of the same files: the library is the same,
// so the adapter's pixels must be djpeg's exactly (blue-green-red where djpeg
// writes red-green-blue; palette colours where it writes quantized colours).
#include <algorithm>

#include "BitmapRows.h"
#include "CompressJPEG.h"
#include "JPEGDecode.h"
#include "JPEGTestSupport.h"

namespace imvexa::test {
namespace {

struct DecodeCase {
    const char* file;
    const char* expected;
    void (*adjust)(TJPEGSettings&);
    TPixelFormat format;
};

void Defaults(TJPEGSettings&) {}
void EightBit(TJPEGSettings& s) { s.PixelFormat = TJPEGPixelFormat::Bit8; }
void Fast(TJPEGSettings& s) { s.Performance = TJPEGPerformance::BestSpeed; }
void FastEightBit(TJPEGSettings& s) { Fast(s), EightBit(s); }
void Grey(TJPEGSettings& s) { s.Grayscale = true; }
void Half(TJPEGSettings& s) { s.Scale = TJPEGScale::Half; }
void Eighth(TJPEGSettings& s) { s.Scale = TJPEGScale::Eighth; }
void PassByPass(TJPEGSettings& s) { s.ProgressiveDisplay = true; }
void PassByPassEightBit(TJPEGSettings& s) { PassByPass(s), EightBit(s); }

constexpr auto k24 = TPixelFormat::Bit24;
constexpr auto k8 = TPixelFormat::Bit8;

const DecodeCase kCases[] = {
    {"baseline.jpg", "baseline.ppm", Defaults, k24},
    {"yuv444.jpg", "yuv444.ppm", Defaults, k24},
    {"rgb.jpg", "rgb.ppm", Defaults, k24},
    {"progressive.jpg", "progressive.ppm", Defaults, k24},
    {"progressive.jpg", "progressive.ppm", PassByPass, k24},
    {"progressive.jpg", "progressive-236.ppm", EightBit, k8},
    {"progressive.jpg", "progressive-236.ppm", PassByPassEightBit, k8},
    {"baseline.jpg", "baseline-236.ppm", EightBit, k8},
    {"baseline.jpg", "baseline-fast.ppm", Fast, k24},
    {"baseline.jpg", "baseline-fast-236.ppm", FastEightBit, k8},
    {"baseline.jpg", "baseline-grey.pgm", Grey, k8},
    {"grey.jpg", "grey.pgm", Defaults, k8},
    {"baseline.jpg", "baseline-half.ppm", Half, k24},
    {"baseline.jpg", "baseline-eighth.ppm", Eighth, k24},
    // Cut off in the entropy-coded data: full size, the missing part grey.
    {"truncated.jpg", "truncated.ppm", Defaults, k24},
    {"progressive-cut.jpg", "progressive-cut.ppm", Defaults, k24},
    // Damaged entropy-coded data is a warning, and warnings do not stop decoding.
    {"corrupt.jpg", "corrupt.ppm", Defaults, k24},
    // Inverted CMYK samples (Adobe marker), made into colours by the adapter.
    {"cmyk-adobe.jpg", "cmyk-adobe.ppm", Defaults, k24},
};

TEST(JPEGDecode, PixelsEqualTheLibrarysOwnDecode) {
    for (const DecodeCase& c : kCases) {
        SCOPED_TRACE(std::string(c.file) + " -> " + c.expected);
        TJPEGImage image;
        TJPEGSettings settings = image.Settings();
        c.adjust(settings);
        image.SetSettings(settings);
        Load(image, ReadFixture(c.file));
        const RgbPicture expected = ReadPnm(c.expected);
        EXPECT_EQ(image.Width(), expected.width);
        EXPECT_EQ(image.Height(), expected.height);

        const auto bitmap = Decode(image);
        EXPECT_EQ(bitmap->PixelFormat(), c.format);
        if (c.format == k8) {
            EXPECT_LE(bitmap->ColorTable().size(), 236u);
        }
        const RgbPicture decoded = Colours(*bitmap);
        EXPECT_EQ(decoded.width, expected.width);
        EXPECT_EQ(decoded.height, expected.height);
        EXPECT_TRUE(decoded.rgb == expected.rgb);
    }
}

// Checks the order of a sink's calls and reads the ends of every row (the
// sanitizers see a row shorter than its width); keeps the header, and the
// rows when asked to.
class RowLog : public TRowSink {
public:
    explicit RowLog(bool keepRows) : keepRows_(keepRows) {}

    void Begin(const PictureHeader& picture) override {
        EXPECT_EQ(begun++, 0);
        header = picture;
    }
    void Row(const std::uint8_t* pixels) override {
        ASSERT_EQ(begun, 1);
        ASSERT_LT(count, header.height);
        ++count;
        const std::size_t size = (static_cast<std::size_t>(header.width) * header.bitsPerPixel + 7) / 8;
        sum += pixels[0] + pixels[size - 1];
        if (keepRows_) rows.emplace_back(pixels, pixels + size);
    }

    PictureHeader header;
    int begun = 0;
    int count = 0;
    std::uint64_t sum = 0;
    std::vector<Bytes> rows;

private:
    bool keepRows_;
};

TEST(JPEGDecode, TheFunctionsRowsAreTheGraphicsBitmap) {
    for (const DecodeCase& c : kCases) {
        SCOPED_TRACE(c.file);
        TJPEGImage image;
        TJPEGSettings settings = image.Settings();
        c.adjust(settings);
        image.SetSettings(settings);
        const Bytes file = ReadFixture(c.file);
        Load(image, file);
        const auto bitmap = Decode(image);

        RowLog log(true);
        DecodeJPEG(file, settings, log);
        const JPEGOutput output = JPEGOutputOf(file, settings);
        EXPECT_EQ(log.header.width, output.size.width);
        EXPECT_EQ(log.header.height, output.size.height);
        EXPECT_EQ(log.header.bitsPerPixel, output.bitsPerPixel);
        EXPECT_EQ(log.header.order, TRowOrder::TopDown);
        EXPECT_EQ(PixelFormatForBits(log.header.bitsPerPixel), bitmap->PixelFormat());
        const auto sameColour = [](const PaletteEntry& a, const PaletteEntry& b) {
            return a.red == b.red && a.green == b.green && a.blue == b.blue;
        };
        EXPECT_TRUE(std::equal(log.header.colors.begin(), log.header.colors.end(), bitmap->ColorTable().begin(),
                               bitmap->ColorTable().end(), sameColour));
        ASSERT_EQ(log.count, bitmap->Height());
        for (int y = 0; y < bitmap->Height(); ++y)
            ASSERT_TRUE(std::equal(log.rows[y].begin(), log.rows[y].end(), bitmap->ScanLine(y))) << "row " << y;
    }
}

// 20000 × 20000 at 24 bits is more than a bitmap may hold: the rows stream
// through a sink, and the library holds no whole picture either, or it would
// have failed at its own memory limit, the same.
TEST(JPEGDecode, APictureNoBitmapMayHoldStreamsThroughASink) {
    const Bytes file = WithPictureSize(ReadFixture("baseline.jpg"), 20000, 20000);
    TJPEGImage image;
    Load(image, file);
    EXPECT_THROW(Decode(image), EJPEG);

    RowLog log(false);
    DecodeJPEG(file, image.Settings(), log);
    EXPECT_EQ(log.header.width, 20000);
    EXPECT_EQ(log.count, 20000);
    EXPECT_GT(log.sum, 0u);
}

// Block smoothing fills in the missing coefficients of a progressive file
// that ends early; complete files decode the same either way.
TEST(JPEGDecode, SmoothingChangesOnlyIncompleteProgressiveFiles) {
    const struct {
        const char* file;
        const char* smoothed;
        bool same;
    } kFiles[] = {{"progressive-cut.jpg", "progressive-cut.ppm", false}, {"progressive.jpg", "progressive.ppm", true}};
    for (const auto& file : kFiles) {
        TJPEGImage image;
        TJPEGSettings settings = image.Settings();
        settings.Smoothing = false;
        image.SetSettings(settings);
        Load(image, ReadFixture(file.file));
        EXPECT_EQ(Colours(*Decode(image)).rgb == ReadPnm(file.smoothed).rgb, file.same) << file.file;
    }
}

TEST(JPEGDecode, GreyFilesGetAPaletteOf236Greys) {
    TJPEGImage image;
    Load(image, ReadFixture("grey.jpg"));
    EXPECT_TRUE(image.Data()->Grayscale);
    const auto bitmap = Decode(image);
    ASSERT_EQ(bitmap->ColorTable().size(), 236u);
    for (const PaletteEntry& entry : bitmap->ColorTable()) {
        EXPECT_EQ(entry.green, entry.red);
        EXPECT_EQ(entry.blue, entry.red);
    }
}

// Files without an Adobe marker hold ink amounts; they give the colours of the
// inverted file made from the same picture (up to compression noise).
TEST(JPEGDecode, PlainCmykGivesTheColoursOfInvertedCmyk) {
    TJPEGImage image;
    Load(image, ReadFixture("cmyk-plain.jpg"));
    const RgbPicture decoded = Colours(*Decode(image));
    const RgbPicture expected = ReadPnm("cmyk-adobe.ppm");
    ASSERT_EQ(decoded.rgb.size(), expected.rgb.size());
    for (std::size_t i = 0; i < decoded.rgb.size(); ++i) ASSERT_NEAR(decoded.rgb[i], expected.rgb[i], 4) << i;
}

// Four flat patches of 16 × 16 pixels, as inverted CMYK samples (255 = no
// ink): red, green, blue, and white under half the black.
struct Patch {
    std::uint8_t samples[4];
    std::uint8_t rgb[3];
};
const Patch kPatches[] = {
    {{255, 0, 0, 255}, {255, 0, 0}},
    {{0, 255, 0, 255}, {0, 255, 0}},
    {{0, 0, 255, 255}, {0, 0, 255}},
    {{255, 255, 255, 128}, {128, 128, 128}},
};
constexpr int kPatchSize = 16;

Bytes CmykPatchFile(J_COLOR_SPACE stored, bool adobeMarker) {
    const int width = kPatchSize * 4;
    Bytes rows;
    for (int y = 0; y < kPatchSize; ++y) {
        for (int x = 0; x < width; ++x) {
            for (const std::uint8_t sample : kPatches[x / kPatchSize].samples)
                rows.push_back(adobeMarker ? sample : static_cast<std::uint8_t>(255 - sample));
        }
    }
    return CompressJPEG(rows.data(), width, kPatchSize,
                        CompressOptions{JCS_CMYK, 4, stored, adobeMarker, 95});
}

TEST(JPEGDecode, CmykAndYcckFilesBecomeTheirColours) {
    const struct {
        const char* name;
        J_COLOR_SPACE stored;
        bool adobeMarker;
    } kFiles[] = {{"inverted CMYK", JCS_CMYK, true}, {"plain CMYK", JCS_CMYK, false}, {"YCCK", JCS_YCCK, true}};
    for (const auto& file : kFiles) {
        SCOPED_TRACE(file.name);
        TJPEGImage image;
        Load(image, CmykPatchFile(file.stored, file.adobeMarker));
        const auto bitmap = Decode(image);
        ASSERT_EQ(bitmap->PixelFormat(), TPixelFormat::Bit24);
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t* centre = bitmap->ScanLine(kPatchSize / 2) + 3 * (i * kPatchSize + kPatchSize / 2);
            EXPECT_NEAR(centre[2], kPatches[i].rgb[0], 6) << "patch " << i;
            EXPECT_NEAR(centre[1], kPatches[i].rgb[1], 6) << "patch " << i;
            EXPECT_NEAR(centre[0], kPatches[i].rgb[2], 6) << "patch " << i;
        }
    }
}

}  // namespace
}  // namespace imvexa::test
