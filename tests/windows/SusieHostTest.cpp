// The plug-in host against the test plug-ins (tests/plugins).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "Bitmap.h"
#include "RuntimeErrors.h"
#include "TSPlug.h"
#include "WindowsTestSupport.h"

namespace imvexa {
namespace {

namespace fs = std::filesystem;

std::string PlugIn(const std::string& name) {
    return WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\" + name + IMVEXA_TEST_PLUGIN_SUFFIX;
}

class SusieHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("imvexa-susie-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        TFileStream file(path, FileMode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
        return path;
    }
    // A 2 × 1 picture: a red pixel, then a green one.
    std::string Ppm() { return WriteFile("picture.ppm", std::string("P6 2 1 255\n\xFF\x00\x00\x00\xFF\x00", 17)); }

    static COLORREF At(TBitmap& bitmap, int x, int y) { return GetPixel(bitmap.Canvas(), x, y); }

    fs::path folder_;
    TSusiePlugIn host_;
};

TEST_F(SusieHostTest, LoadsThePicturePlugInsOfAFolderAndRejectsTheRest) {
    // archive, no_support and pnm_foreign (the other architecture) are rejected;
    // crashing, crashing_check, failing, pnm and top_down are picture plug-ins
    // the host can call.
    EXPECT_EQ(host_.LoadPlugIns(PlugIn("*")), 5);
    ASSERT_EQ(host_.PlugInCount(), 5);
    for (int i = 0; i < host_.PlugInCount(); ++i) {
        const TPlug* plug = host_.GetPlugIn(i);
        ASSERT_NE(plug, nullptr);
        EXPECT_EQ(plug->ApiVersion, "00IN");
        EXPECT_EQ(plug->Extensions, "*.PPM;*.PGM");
        EXPECT_EQ(plug->Path.rfind(WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\", 0), 0u) << plug->Path;
    }
    EXPECT_EQ(host_.GetPlugIn(-1), nullptr);
    EXPECT_EQ(host_.GetPlugIn(5), nullptr);
    EXPECT_EQ(host_.LoadPlugIns(PlugIn("archive")), 0);
    EXPECT_EQ(host_.LoadPlugIns(PlugIn("no_support")), 0);
    EXPECT_EQ(host_.LoadPlugIns(PlugIn("pnm_foreign")), 0);
    EXPECT_EQ(host_.LoadPlugIns(WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\*.nothing"), 0);

    host_.UnloadPlugIns();
    EXPECT_EQ(host_.PlugInCount(), 0);
    EXPECT_EQ(host_.GetPlugIn(0), nullptr);
}

TEST_F(SusieHostTest, AcceptsAPathOnce) {
    ASSERT_EQ(host_.LoadPlugIns(PlugIn("pnm")), 1);
    const std::string filter = host_.Filter;
    EXPECT_EQ(filter, "AllType   [*.*]|*.*|Portable anymap   [*.PPM;*.PGM]|*.PPM;*.PGM|");
    EXPECT_EQ(host_.LoadPlugIns(PlugIn("pnm")), 0);
    EXPECT_EQ(host_.PlugInCount(), 1);
    EXPECT_EQ(host_.Filter, filter);
    TPlug copy;
    host_.CopyPlugIn(0, copy);
    EXPECT_EQ(copy.Path, PlugIn("pnm"));
    EXPECT_THROW(host_.CopyPlugIn(1, copy), std::out_of_range);
}

TEST_F(SusieHostTest, TheFirstPlugInThatDecodesWins) {
    const std::string file = Ppm();
    host_.LoadPlugIns(PlugIn("failing"));   // accepts and fails: passed over
    host_.LoadPlugIns(PlugIn("top_down"));  // decodes P6 files into its own picture
    host_.LoadPlugIns(PlugIn("pnm"));
    TBitmap bitmap;
    ASSERT_TRUE(host_.LoadPictureFromFile(file, bitmap));
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 2);  // the top-down picture, upright with a positive height
    EXPECT_EQ(At(bitmap, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(bitmap, 1, 1), RGB(0, 0, 255));

    TSusiePlugIn other;
    other.LoadPlugIns(PlugIn("pnm"));
    other.LoadPlugIns(PlugIn("top_down"));
    TBitmap picture;
    ASSERT_TRUE(other.LoadPictureFromFile(file, picture));
    EXPECT_EQ(picture.Height(), 1);
    EXPECT_EQ(At(picture, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(picture, 1, 0), RGB(0, 255, 0));
}

TEST_F(SusieHostTest, ConvertsEightBitPicturesIntoTheBitmapsFormat) {
    host_.LoadPlugIns(PlugIn("pnm"));
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    ASSERT_TRUE(host_.LoadPictureFromFile(WriteFile("grey.pgm", std::string("P5 3 2 255\n\x10\x80\xF0\x00\x40\xFF", 17)),
                                          bitmap));
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit24);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(At(bitmap, 1, 0), RGB(0x80, 0x80, 0x80));
    EXPECT_EQ(At(bitmap, 2, 1), RGB(0xFF, 0xFF, 0xFF));
}

TEST_F(SusieHostTest, FilesNoPlugInReadsLeaveTheBitmapAlone) {
    host_.LoadPlugIns(PlugIn("pnm"));
    host_.LoadPlugIns(PlugIn("crashing"));
    TBitmap bitmap;
    EXPECT_FALSE(host_.LoadPictureFromFile(WriteFile("empty.ppm", ""), bitmap));
    EXPECT_FALSE(host_.LoadPictureFromFile(WriteFile("text.ppm", "hello"), bitmap));
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_THROW(host_.LoadPictureFromFile((folder_ / "missing.ppm").string(), bitmap), Exception);
}

TEST_F(SusieHostTest, APlugInThatFaultsFailsOnlyItsOwnCall) {
    host_.LoadPlugIns(PlugIn("crashing"));        // faults in GetPicture
    host_.LoadPlugIns(PlugIn("crashing_check"));  // faults in IsSupported
    host_.LoadPlugIns(PlugIn("pnm"));
    TBitmap bitmap;
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(host_.LoadPictureFromFile(WriteFile("crash.ppm", "CRASH"), bitmap));
    // Both faulting plug-ins give up this picture; pnm, after them, decodes it.
    const std::string picture = WriteFile("crash.ppm", std::string("P6 2 1 255\nCRASH\x01", 17));
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(host_.LoadPictureFromFile(picture, bitmap));
        EXPECT_EQ(At(bitmap, 0, 0), RGB('C', 'R', 'A'));
        EXPECT_EQ(At(bitmap, 1, 0), RGB('S', 'H', 1));
    }
}

TEST_F(SusieHostTest, ReportsProgressToItsHandler) {
    host_.LoadPlugIns(PlugIn("pnm"));
    int reports = 0;
    host_.OnWorking = [&](TSusiePlugIn& sender, int numerator, int denominator) {
        EXPECT_EQ(&sender, &host_);
        EXPECT_EQ(numerator, 0);
        EXPECT_EQ(denominator, 1);
        ++reports;
    };
    TBitmap bitmap;
    ASSERT_TRUE(host_.LoadPictureFromFile(Ppm(), bitmap));
    EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace imvexa
