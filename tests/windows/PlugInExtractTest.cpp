// Extract hands every key without a built-in decoder to the configured plug-ins.
// This program's first use of the module reads the settings written here.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "ModuleLifetime.h"
#include "ProviderThumbnail.h"
#include "RegistryLayout.h"
#include "Stream.h"
#include "Thumbnail.h"
#include "WindowsTestSupport.h"

namespace imvexa {
namespace {

namespace fs = std::filesystem;

TEST(PlugInExtractTest, FilesOfOtherTypesGoToThePlugIns) {
    PrivateRegistry registry;
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPlugInsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string plugIn = WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\pnm" IMVEXA_TEST_PLUGIN_SUFFIX;
    RegSetValueExA(key, plugIn.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);

    const fs::path folder = fs::temp_directory_path() / ("imvexa-plugin-extract-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    // The picture's name holds a character that code page 932 lacks.
    const std::wstring picture = folder.wstring() + L"\\\uD55C.ppm", unread = folder.wstring() + L"\\other.ppm";
    for (const auto& [path, bytes] : {std::pair{picture, std::string("P6 1 1 255\n\xFF\x00\x00", 14)},
                                      std::pair{unread, std::string("not a picture")}}) {
        TFileStream file(path, FileMode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
    }

    ASSERT_EQ(Settings().SusieHost->PlugInCount(), 1);
    for (const auto& [path, expected] : {std::pair{picture, RGB(255, 0, 0)}, std::pair{unread, RGB(255, 255, 255)}}) {
        HBITMAP thumbnail = ExtractThumbnail(path, "PPM");
        ASSERT_NE(thumbnail, nullptr);
        EXPECT_EQ(PixelOf(thumbnail, 59, 59), expected) << path;  // a 1 × 1 picture lands at (59, 59)
        DeleteObject(thumbnail);
    }
    // The thumbnail provider: the picture at its own size, and none for a file no plug-in reads.
    const auto provided = [](const std::string& bytes) {
        return MakeProviderThumbnail({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, "PPM", 96);
    };
    const ProviderThumbnail fitted = provided(std::string("P6 1 1 255\n\xFF\x00\x00", 14));
    ASSERT_TRUE(fitted.bitmap);
    EXPECT_FALSE(fitted.hasAlpha);
    EXPECT_EQ(PixelOf(fitted.bitmap.Get(), 0, 0), RGB(255, 0, 0));
    EXPECT_FALSE(provided("not a picture").bitmap);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
}  // namespace imvexa
