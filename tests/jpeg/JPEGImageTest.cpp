// The graphic around the decoder: settings, shared data, assignment, saving,
// refusals and failures.
#include "JPEGLibrary.h"
#include "JPEGTestSupport.h"
#include "TestSupport.h"

namespace imvexa::test {
namespace {

const std::string kLibraryError = "JPEG \x83\x47\x83\x89\x81\x5B #";  // "JPEG エラー #" in Shift_JIS

TEST(JPEGImage, StartsEmptyWithTheDefaultSettings) {
    TJPEGImage image;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    const TJPEGSettings& settings = image.Settings();
    EXPECT_EQ(settings.CompressionQuality, 90);
    EXPECT_FALSE(settings.Grayscale);
    EXPECT_EQ(settings.Performance, TJPEGPerformance::BestQuality);
    EXPECT_EQ(settings.PixelFormat, TJPEGPixelFormat::Bit24);
    EXPECT_FALSE(settings.ProgressiveDisplay);
    EXPECT_FALSE(settings.ProgressiveEncoding);
    EXPECT_EQ(settings.Scale, TJPEGScale::FullSize);
    EXPECT_TRUE(settings.Smoothing);
}

TEST(JPEGImage, ThePaletteDisplaysMakeNewGraphicsEightBit) {
    const struct {
        int bits, planes;
        TJPEGPixelFormat format;
    } kDisplays[] = {{8, 1, TJPEGPixelFormat::Bit8},   {4, 1, TJPEGPixelFormat::Bit8},
                     {1, 4, TJPEGPixelFormat::Bit8},   {1, 16, TJPEGPixelFormat::Bit24},
                     {16, 1, TJPEGPixelFormat::Bit24}, {32, 1, TJPEGPixelFormat::Bit24}};
    for (const auto& display : kDisplays)
        EXPECT_EQ(JPEGPixelFormatForDisplay(display.bits, display.planes), display.format) << display.bits;

    SetDefaultJPEGPixelFormat(TJPEGPixelFormat::Bit8);
    TJPEGImage image;
    SetDefaultJPEGPixelFormat(TJPEGPixelFormat::Bit24);
    EXPECT_EQ(image.Settings().PixelFormat, TJPEGPixelFormat::Bit8);
    Load(image, ReadFixture("baseline.jpg"));
    EXPECT_EQ(Decode(image)->PixelFormat(), TPixelFormat::Bit8);
}

TEST(JPEGImage, LoadingReadsTheHeader) {
    TJPEGImage image;
    image.LoadFromFile(FixturePath("progressive.jpg"));
    EXPECT_FALSE(image.Empty());
    EXPECT_EQ(image.Width(), 45);
    EXPECT_EQ(image.Height(), 29);
    EXPECT_TRUE(image.Settings().ProgressiveEncoding);
    EXPECT_FALSE(image.Data()->Grayscale);
    Load(image, ReadFixture("grey.jpg"));
    EXPECT_FALSE(image.Settings().ProgressiveEncoding);
    EXPECT_TRUE(image.Data()->Grayscale);
}

TEST(JPEGImage, AssignedGraphicsShareTheirDataUntilOneLoadsAnother) {
    const Bytes baseline = ReadFixture("baseline.jpg");
    TJPEGImage first;
    Load(first, baseline);
    TJPEGSettings settings = first.Settings();
    settings.Scale = TJPEGScale::Half;
    first.SetSettings(settings);
    TJPEGImage second;
    second.Assign(&first);
    EXPECT_EQ(second.Data(), first.Data());
    EXPECT_EQ(second.Settings().Scale, TJPEGScale::Half);

    const auto shared = first.Data();
    Load(first, ReadFixture("grey.jpg"));
    EXPECT_NE(first.Data(), shared);
    EXPECT_EQ(second.Data(), shared);
    EXPECT_EQ(second.Data()->Bytes, baseline);
    EXPECT_EQ(Decode(second)->Width(), 23);

    TJPEGImage third;
    first.AssignTo(third);
    EXPECT_EQ(third.Data(), first.Data());
    EXPECT_TRUE(Colours(*Decode(third)).rgb == Colours(*Decode(first)).rgb);
}

TEST(JPEGImage, AssignsOnlyWithBitmapsAsTargets) {
    TJPEGImage image;
    Load(image, ReadFixture("baseline.jpg"));
    TBitmap bitmap;
    ExpectError<EConvertError>([&] { image.Assign(&bitmap); }, "Cannot assign a TBitmap to a TJPEGImage");
    ExpectError<EConvertError>([&] { image.Assign(nullptr); }, "Cannot assign a nil to a TJPEGImage");
    TZdDIB dib;
    ExpectError<EConvertError>([&] { dib.Assign(&image); }, "Cannot assign a TJPEGImage to a TZdDIB");
}

TEST(JPEGImage, ABitmapDecodedIntoKeepsNoPaletteOfItsEarlierPicture) {
    TJPEGImage image;
    Load(image, ReadFixture("baseline.jpg"));
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    bitmap.SetColorTable({{1, 2, 3, 0}});  // a truecolour picture's palette
    image.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_TRUE(bitmap.ColorTable().empty());
}

TEST(JPEGImage, RefusesToBeResized) {
    TJPEGImage image;
    Load(image, ReadFixture("baseline.jpg"));
    // "JPEG イメージのサイズは変更できません" in Shift_JIS.
    const std::string message =
        "JPEG \x83\x43\x83\x81\x81\x5B\x83\x57\x82\xCC\x83\x54\x83\x43\x83\x59\x82\xCD\x95\xCF\x8D\x58\x82\xC5\x82\xAB"
        "\x82\xDC\x82\xB9\x82\xF1";
    ExpectError<EInvalidGraphicOperation>([&] { image.SetWidth(10); }, message);
    ExpectError<EInvalidGraphicOperation>([&] { image.SetHeight(10); }, message);
    EXPECT_EQ(image.Width(), 45);
}

TEST(JPEGImage, SavesTheBytesItLoaded) {
    const Bytes file = ReadFixture("cmyk-adobe.jpg");
    TJPEGImage image;
    Load(image, file);
    Decode(image);
    TMemoryStream saved;
    image.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), file);
}

TEST(JPEGImage, ReportsProgressOfDecoding) {
    TJPEGImage image;
    Load(image, ReadFixture("progressive.jpg"));
    std::vector<std::pair<ProgressStage, int>> reports;
    image.OnProgress = [&](TGraphic&, ProgressStage stage, int percent, bool, const Rect&, const std::string&) {
        reports.emplace_back(stage, percent);
    };
    Decode(image);
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.front(), std::make_pair(ProgressStage::Starting, 0));
    EXPECT_EQ(reports.back(), std::make_pair(ProgressStage::Ending, 100));
}

// Failures: the header at loading, the rest at decoding; the library's
// context is released on every path (the sanitizer build checks for leaks).
TEST(JPEGImage, AnEmptyFileLoadsAndFailsToDecode) {
    TJPEGImage image;
    Load(image, Bytes{});
    EXPECT_TRUE(image.Empty());
    ExpectError<EJPEG>([&] { Decode(image); }, kLibraryError + std::to_string(JERR_INPUT_EMPTY));
}

TEST(JPEGImage, AFileThatIsNoJPEGFailsToLoadAndChangesNothing) {
    TJPEGImage image;
    Load(image, ReadFixture("baseline.jpg"));
    ExpectError<EJPEG>([&] { Load(image, ReadFixture("baseline.ppm")); }, kLibraryError + std::to_string(JERR_NO_SOI));
    EXPECT_EQ(image.Width(), 45);
    EXPECT_EQ(Decode(image)->Width(), 45);
}

TEST(JPEGImage, AFatalErrorPastTheHeaderFailsAtDecoding) {
    Bytes file = ReadFixture("progressive.jpg");
    // The second scan's last coefficient (Se) beyond the 64 of a block.
    const std::size_t scan = MarkerOffsets(file, 0xDA).at(1);
    const std::size_t components = file.at(scan + 4);
    file.at(scan + 5 + 2 * components + 1) = 80;
    TJPEGImage image;
    Load(image, file);
    ExpectError<EJPEG>([&] { Decode(image); }, kLibraryError + std::to_string(JERR_BAD_PROGRESSION));
}

TEST(JPEGImage, PicturesBeyondThePixelLimitsAreRefusedBeforeDecoding) {
    TJPEGImage image;
    Load(image, WithPictureSize(ReadFixture("baseline.jpg"), 65000, 65000));
    EXPECT_EQ(image.Width(), 65000);
    ExpectError<EJPEG>([&] { Decode(image); }, "JPEG image too large: 65000 x 65000 pixels");
}

// The limits bound the bitmap that decoding makes: an eighth of that picture fits.
TEST(JPEGImage, ThePixelLimitsBoundTheDecodedBitmap) {
    TJPEGImage image;
    Load(image, WithPictureSize(ReadFixture("baseline.jpg"), 20000, 18000));
    TJPEGSettings settings = image.Settings();
    settings.Scale = TJPEGScale::Eighth;
    image.SetSettings(settings);
    const auto bitmap = Decode(image);
    EXPECT_EQ(bitmap->Width(), 2500);
    EXPECT_EQ(bitmap->Height(), 2250);
}

TEST(JPEGImage, FilesOfMoreThan500ScansAreRefused) {
    const Bytes progressive = ReadFixture("progressive.jpg");
    const auto lastScan = progressive.begin() + static_cast<std::ptrdiff_t>(MarkerOffsets(progressive, 0xDA).back());
    const auto endOfImage = progressive.end() - 2;
    // The last scan again and again: a warning each time, which does not stop decoding.
    Bytes file(progressive.begin(), endOfImage);
    for (int i = 0; i < 600; ++i) file.insert(file.end(), lastScan, endOfImage);
    file.insert(file.end(), endOfImage, progressive.end());
    TJPEGImage image;
    Load(image, file);
    ExpectError<EJPEG>([&] { Decode(image); }, "JPEG image has more than 500 scans");
}

}  // namespace
}  // namespace imvexa::test
