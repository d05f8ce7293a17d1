// Setting the pixel format: the chains of steps between all formats, what
// widening and expansion keep, the key colour of black and white, progress
// reports and failures.
#include <functional>

#include "ConvertTestSupport.h"
#include "ZdDIBConvert.h"

namespace imvexa::test {
namespace {

constexpr TZdPixelFormat kStoredFormats[] = {zdPf1Bit, zdPf4Bit, zdPf4BitRLE, zdPf8Bit, zdPf8BitRLE, zdPf24Bit};

int BitsOf(TZdPixelFormat format) {
    constexpr int kBits[] = {1, 4, 4, 8, 8, 24};
    return kBits[format];
}

bool IsRle(TZdPixelFormat format) {
    return format == zdPf4BitRLE || format == zdPf8BitRLE;
}

// Black and white in runs of 8 pixels: every format holds the picture
// exactly, and RLE compresses it.
bool IsWhite(int x, int y) {
    return (x / 8 + y) % 2 == 1;
}

void MakeRunsPicture(TZdDIB& image, TZdPixelFormat format) {
    const int bits = BitsOf(format);
    Paint(image, 32, 5, bits, [&](int x, int y) -> std::uint32_t {
        return bits == 24 ? (IsWhite(x, y) ? 0xFFFFFF : 0) : IsWhite(x, y);
    });
    if (bits != 24) SetColors(image, {0x000000, 0xFFFFFF});
    if (IsRle(format)) image.SetPixelFormat(format);
}

TEST(PixelFormat, EveryStoredFormatConvertsToEveryOther) {
    for (const TZdConvertMode mode : {TZdConvertMode::Low, TZdConvertMode::High}) {
        for (const TZdPixelFormat from : kStoredFormats) {
            for (const TZdPixelFormat to : kStoredFormats) {
                TZdDIB image;
                image.ConvertMode = mode;
                MakeRunsPicture(image, from);
                image.SetPixelFormat(to);
                ASSERT_EQ(image.PixelFormat(), to) << from << " -> " << to;
                if (IsRle(to)) image.SetPixelFormat(to == zdPf4BitRLE ? zdPf4Bit : zdPf8Bit);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 32; ++x)
                        ASSERT_EQ(ColorAt(image, x, y), IsWhite(x, y) ? 0xFFFFFFu : 0u)
                            << from << " -> " << to << " at " << x << "," << y;
            }
        }
    }
}

// A colour table whose entries all differ.
std::vector<std::uint32_t> DistinctColors(int count) {
    std::vector<std::uint32_t> colors;
    for (int i = 0; i < count; ++i) colors.push_back(static_cast<std::uint32_t>(i * 0x0F1D2B % 0x1000000));
    return colors;
}

// Widening and expansion to 24 bits: with distinct table colours, equal
// colours mean equal indexes too.
TEST(PixelFormat, LosslessStepsKeepEveryColourAndTheColourTable) {
    const std::pair<int, TZdPixelFormat> cases[] = {{1, zdPf4Bit},  {1, zdPf8Bit},  {4, zdPf8Bit},
                                                    {1, zdPf24Bit}, {4, zdPf24Bit}, {8, zdPf24Bit}};
    for (const auto& [from, to] : cases) {
        for (const int height : {3, -3}) {
            TZdDIB image, original;
            Paint(image, 13, height, from, [&](int x, int y) { return (x * 5 + y * 3) % (1 << from); });
            SetColors(image, DistinctColors(1 << from));
            original.Assign(&image);
            image.SetPixelFormat(to);

            EXPECT_EQ(image.InternalDIB().Info.Header.biHeight, height);
            ASSERT_EQ(ColorCount(image), 1u << from);  // a 24-bit image keeps its palette
            for (int i = 0; i < 1 << from; ++i) EXPECT_EQ(TableColor(image, i), TableColor(original, i));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 13; ++x)
                    ASSERT_EQ(ColorAt(image, x, y), ColorAt(original, x, y)) << from << " -> " << to << " at " << x << "," << y;
        }
    }
}

TEST(PixelFormat, ExpandedPixelsAreBlueGreenRedBytes) {
    TZdDIB image;
    image.SetPixels(0, 0, 7);
    image.InternalDIB().Info.Colors[7] = RgbQuad{30, 20, 10, 0};  // red 10, green 20, blue 30
    image.SetPixelFormat(zdPf24Bit);
    EXPECT_EQ(MemoryRow(image, 0, 3), (Bytes{30, 20, 10}));
    EXPECT_EQ(ColorCount(image), 256u);

    TZdDIB fresh;  // one pixel of index 0 on an all-zero table
    fresh.SetPixelFormat(zdPf24Bit);
    EXPECT_EQ(fresh.Pixels(0, 0), 0u);
    EXPECT_EQ(ColorCount(fresh), 256u);
}

// MonoKeyColor as the image takes it: 0x00BBGGRR, or a system colour reference.
struct KeyCase {
    std::uint32_t key;
    std::uint32_t pixel;  // 0xRRGGBB
    bool white;
};

TEST(PixelFormat, BlackAndWhiteKeepsExactlyTheKeyColourWhite) {
    constexpr std::uint32_t kWindow = 0x80000005;  // white in the default scheme
    constexpr std::uint32_t kWindowText = 0x80000008;  // black
    const KeyCase cases[] = {
        {0xFFFFFF, 0xFFFFFF, true},  {0xFFFFFF, 0xFEFFFF, false},     {0xFFFFFF, 0xFFFFFE, false},
        {0xFFFFFF, 0x000000, false}, {Bgr(0x102030), 0x102030, true}, {Bgr(0x102030), 0x302010, false},
        {kWindow, 0xFFFFFF, true},   {kWindowText, 0x000000, true},   {kWindowText, 0xFFFFFF, false},
    };
    for (const int bits : {24, 8, 4}) {
        for (const KeyCase& c : cases) {
            TZdDIB image;
            image.MonoKeyColor = c.key;
            Paint(image, 1, 1, bits, [&](int, int) { return bits == 24 ? c.pixel : 0; });
            if (bits != 24) SetColors(image, {c.pixel, c.pixel ^ 0xFFFFFF});
            image.SetPixelFormat(zdPf1Bit);
            EXPECT_EQ(image.Pixels(0, 0), c.white ? 1u : 0u) << bits << " bits, key " << c.key << ", pixel " << c.pixel;
            EXPECT_EQ(ColorCount(image), 2u);
            EXPECT_EQ(TableColor(image, 0), 0x000000u);
            EXPECT_EQ(TableColor(image, 1), 0xFFFFFFu);
        }
    }
}

// --------------------------------------------------------------- progress

struct ReportCase {
    TZdPixelFormat from;
    TZdPixelFormat to;
    int total;
    const char* message;
};

std::vector<ProgressEvent> ExpectedReports(int total, const std::string& message) {
    std::vector<ProgressEvent> events{{ProgressStage::Starting, 0, false, message}};
    for (int count = 1; count < total; ++count)
        events.push_back({ProgressStage::Running, count * 100 / total, false, message});
    events.push_back({ProgressStage::Ending, 100, true, message});
    return events;
}

TEST(PixelFormat, PaletteComputingConversionsReportEveryLeaf) {
    const ReportCase cases[] = {
        {zdPf8Bit, zdPf4Bit, 16, "PixelFormat 8Bit -> 4Bit"},
        {zdPf8Bit, zdPf4BitRLE, 16, "PixelFormat 8Bit -> 4BitRLE"},
        {zdPf8BitRLE, zdPf4Bit, 16, "PixelFormat 8BitRLE -> 4Bit"},
        {zdPf8BitRLE, zdPf4BitRLE, 16, "PixelFormat 8BitRLE -> 4BitRLE"},
        {zdPf24Bit, zdPf4Bit, 16, "PixelFormat 24Bit -> 4Bit"},
        {zdPf24Bit, zdPf4BitRLE, 16, "PixelFormat 24Bit -> 4BitRLE"},
        {zdPf24Bit, zdPf8Bit, 256, "PixelFormat 24Bit -> 8Bit"},
        {zdPf24Bit, zdPf8BitRLE, 256, "PixelFormat 24Bit -> 8BitRLE"},
    };
    for (const TZdConvertMode mode : {TZdConvertMode::Low, TZdConvertMode::High}) {
        for (const ReportCase& c : cases) {
            TZdDIB image;
            image.ConvertMode = mode;
            MakeRunsPicture(image, c.from);
            std::vector<ProgressEvent> events;
            RecordProgress(image, events);
            image.SetPixelFormat(c.to);
            EXPECT_EQ(events, ExpectedReports(c.total, c.message)) << c.message;
        }
    }
}

TEST(PixelFormat, OtherConversionsDoNotReport) {
    const std::pair<TZdPixelFormat, TZdPixelFormat> cases[] = {
        {zdPf8Bit, zdPf24Bit}, {zdPf24Bit, zdPf1Bit},     {zdPf1Bit, zdPf4BitRLE},
        {zdPf8BitRLE, zdPf8Bit}, {zdPf24Bit, zdPfHalftone}, {zdPf4Bit, zdPfHalftoneBW},
    };
    for (const auto& [from, to] : cases) {
        TZdDIB image;
        MakeRunsPicture(image, from);
        std::vector<ProgressEvent> events;
        RecordProgress(image, events);
        image.SetPixelFormat(to);
        EXPECT_TRUE(events.empty()) << from << " -> " << to;
    }
}

// ---------------------------------------------------------------- failures

// A noisy picture: its 8-bit codes would not fit the uncompressed size.
void MakeNoise(TZdDIB& image) {
    Paint(image, 16, 16, 24, [](int x, int y) { return static_cast<std::uint32_t>((x * 37 + y * 101) * 0x010203 % 0x1000000); });
}

TEST(PixelFormat, AFailedConversionLeavesTheImageAndItsSharersAsTheyWere) {
    TZdDIB image, sharer;
    MakeNoise(image);
    sharer.Assign(&image);
    std::vector<ProgressEvent> events;
    RecordProgress(image, events);
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };

    ExpectError<EZdDIBCompressionFailed>([&] { image.SetPixelFormat(zdPf8BitRLE); },
                                         "Convert8BitRGBTo8BitRLE: Compression Failed");
    EXPECT_EQ(image.PixelFormat(), zdPf24Bit);
    EXPECT_EQ(image.InternalDIB().RefCount, 2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(events, ExpectedReports(256, "PixelFormat 24Bit -> 8BitRLE"));  // the ending report comes all the same
}

TEST(PixelFormat, InvalidTargetsAndConvertModesAreInternalErrors) {
    const std::string error = "TZdIntenalDIB.SetPixelsFormat: PixelFormat Error";
    TZdDIB image;
    MakeNoise(image);
    ExpectAssertion([&] { image.SetPixelFormat(static_cast<TZdPixelFormat>(8)); }, error);

    image.ConvertMode = static_cast<TZdConvertMode>(2);
    std::vector<ProgressEvent> events;
    RecordProgress(image, events);
    ExpectAssertion([&] { image.SetPixelFormat(zdPf8Bit); }, error);
    ExpectAssertion([&] { image.SetPixelFormat(zdPf4Bit); }, error);
    EXPECT_EQ(events.size(), 4u);  // a start and an end each
    EXPECT_EQ(image.PixelFormat(), zdPf24Bit);
    image.SetPixelFormat(zdPf1Bit);  // conversions that do not reduce colours ignore the mode
}

TEST(PixelFormat, AnInvalidStorageIsReportedBeforeAnythingChanges) {
    TZdDIB image;
    image.InternalDIB().Info.Header.biBitCount = 16;
    ExpectError<EZdDIBInvalidDIB>([&] { image.SetPixelFormat(zdPf24Bit); },
                                  "TZdInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
}

// Steps called directly with a source of the wrong format.
struct WrongSourceCase {
    std::function<TZdDIBInfo(const TZdDIBInfo&)> step;
    int bits;  // of the right source; the test feeds another one
    const char* message;
};

TEST(ConversionSteps, RejectSourcesOfAnotherFormat) {
    const auto key = [](auto step) { return [step](const TZdDIBInfo& s) { return step(s, false, 0xFFFFFF); }; };
    const auto reporting = [](auto step) { return [step](const TZdDIBInfo& s) { return step(s, false, {}); }; };
    const auto plain = [](auto step) { return [step](const TZdDIBInfo& s) { return step(s, false); }; };
    const WrongSourceCase cases[] = {
        {plain(Convert1BitRGBTo4BitRGB), 1, "Convert1BitRGBTo4BitRGB: Invalid Bitcount & Compression Combination"},
        {plain(Convert1BitRGBTo8BitRGB), 1, "Convert1BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {plain(Convert4BitRGBTo8BitRGB), 4, "Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination"},
        {plain(Convert1BitRGBToTrueColor), 1, "Convert1BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {plain(Convert4BitRGBToTrueColor), 4, "Convert4BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {plain(Convert8BitRGBToTrueColor), 8, "Convert8BitRGBToTrueColor: Invalid Bitcount & Compression Combination"},
        {reporting(ConvertTrueColorTo8BitRGBLow), 24, "ConvertTrueColorTo8BitRGBLow: Invalid Bitcount"},
        {reporting(ConvertTrueColorTo8BitRGBHigh), 24, "ConvertTrueColorTo8BitRGBHigh: Invalid Bitcount"},
        {reporting(ConvertTrueColorTo4BitRGBLow), 24, "ConvertTrueColorTo4BitRGBLow: Invalid Bitcount"},
        {reporting(ConvertTrueColorTo4BitRGBHigh), 24, "ConvertTrueColorTo4BitRGBHigh: Invalid Bitcount"},
        {reporting(Convert8BitRGBTo4BitRGB), 8, "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression"},
        {key(ConvertTrueColorTo1BitRGB), 24, "ConvertTrueColorTo1BitRGB: Invalid Bitcount"},
        {key(Convert8BitTo1BitRGB), 8, "Convert8BitTo1BitRGB: Invalid Bitcount or Compression"},
        {key(Convert4BitRGBTo1BitRGB), 4, "Convert4BitRGBTo1BitRGB: Invalid Bitcount"},
    };
    for (const WrongSourceCase& c : cases) {
        TZdDIB wrongBits, compressed;
        wrongBits.SetBitCount(c.bits == 24 ? 8 : 24);
        compressed.SetBitCount(c.bits);
        TZdDIBInfo compressedInfo = compressed.InternalDIB().Info;
        compressedInfo.Header.biCompression = c.bits == 4 ? kBiRle4 : kBiRle8;
        ExpectError<EZdDIBBadDIBType>([&] { c.step(wrongBits.InternalDIB().Info); }, c.message);
        ExpectError<EZdDIBBadDIBType>([&] { c.step(compressedInfo); }, c.message);
    }
}

TEST(ConversionSteps, HalftonesAssertAnUncompressedSourceOfAKnownDepth) {
    using Halftone = TZdDIBInfo (*)(const TZdDIBInfo&, bool);
    const std::pair<Halftone, std::string> steps[] = {{ConvertToHalfTone, "ConvertToHalfTone"},
                                                      {ConvertToHalfToneBW, "ConvertToHalfToneBW"}};
    for (const auto& [step, name] : steps) {
        TZdDIB image;
        TZdDIBInfo info = image.InternalDIB().Info;
        info.Header.biCompression = kBiRle8;
        ExpectAssertion([&] { step(info, false); }, name + ": Invalid DIB Format");
        info.Header.biCompression = kBiRgb;
        info.Header.biBitCount = 16;
        ExpectAssertion([&] { step(info, false); }, name + ": Invalid Bit Count");
    }
}

TEST(ConversionSteps, NeverReadPastAShortPixelBlock) {
    TZdDIB image;
    image.SetBitCount(24);
    image.SetWidth(10);
    image.SetHeight(10);
    TZdDIBInfo info = image.InternalDIB().Info;
    info.BitsSize -= 1;
    ExpectError<EZdDIBInvalidDIB>([&] { ConvertToHalfTone(info, false); }, "ConvertToHalfTone: Invalid Width or Height");
    ExpectError<EZdDIBInvalidDIB>([&] { ConvertTrueColorTo8BitRGBHigh(info, false, {}); },
                                  "ConvertTrueColorTo8BitRGBHigh: Invalid Width or Height");
    info.BitsSize += 1;
    info.Header.biHeight = -11;
    ExpectError<EZdDIBInvalidDIB>([&] { ConvertTrueColorTo1BitRGB(info, false, 0); },
                                  "ConvertTrueColorTo1BitRGB: Invalid Width or Height");
}

TEST(ConversionSteps, RefuseResultsBeyondThePixelLimits) {
    TZdDIB image;
    image.SetBitCount(1);
    image.SetWidth(1 << 24);
    image.SetHeight(32);  // 64 MiB of 1-bit rows would take 1.5 GiB at 24 bits
    ExpectError<EOutOfMemory>([&] { image.SetPixelFormat(zdPf24Bit); }, "Convert1BitRGBToTrueColor: Picture Too Large");
    EXPECT_EQ(image.PixelFormat(), zdPf1Bit);
}

}  // namespace
}  // namespace imvexa::test
