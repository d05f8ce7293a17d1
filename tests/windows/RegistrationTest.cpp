// Self-registration and the per-extension handler keys, each test against a
// private registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ClassFactory.h"
#include "Registration.h"
#include "Registry.h"
#include "RegistryLayout.h"
#include "WindowsTestSupport.h"

extern "C" HRESULT WINAPI DllRegisterServer();
extern "C" HRESULT WINAPI DllUnregisterServer();

namespace imvexa {
namespace {

const std::string kForeign = "{11111111-2222-3333-4444-555555555555}";
const std::string kOther = "{99999999-8888-7777-6666-555555555555}";

std::optional<std::string> Value(HKEY root, const std::string& key, const char* name) {
    char data[512];
    DWORD size = sizeof data;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data);
}

void SetValue(HKEY root, const std::string& key, const char* name, const std::string& data) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
}

std::string Handler(const std::string& extension, const char* interfaceKey = kThumbnailHandlerKey) {
    return "." + extension + "\\Shellex\\" + interfaceKey;
}

class RegistrationTest : public ::testing::Test {
protected:
    PrivateRegistry registry_;
};

TEST_F(RegistrationTest, RegistersTheClassesAndEveryBuiltInAndTextExtension) {
    ASSERT_EQ(DllRegisterServer(), S_OK);
    for (const ThumbnailHandler& handler : kThumbnailHandlers) {
        const std::string classKey = std::string("CLSID\\") + handler.classText;
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, classKey, nullptr), "Imvexa");
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
        EXPECT_TRUE(Value(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", nullptr).has_value());
        for (const char* extension : {"bmp", "jfif", "mag", "txt", "hpp"}) {
            const std::string key = Handler(extension, handler.interfaceKey);
            EXPECT_EQ(Value(HKEY_CLASSES_ROOT, key, nullptr), handler.classText) << key;
            EXPECT_EQ(Value(HKEY_CLASSES_ROOT, key, kBackupValue), std::nullopt) << key;
        }
    }
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kExtensionsKey, "JFIF"), "");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Imvexa"));  // no ProgID

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    for (const ThumbnailHandler& handler : kThumbnailHandlers) {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string("CLSID\\") + handler.classText));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Handler("bmp", handler.interfaceKey)));
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".bmp\\Shellex"));
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kExtensionsKey, "JFIF"), "");  // the record stays
}

TEST_F(RegistrationTest, AForeignHandlerIsBackedUpOnceAndRestored) {
    SetValue(HKEY_CLASSES_ROOT, Handler("png"), nullptr, kForeign);
    RegisterHandler("PNG");
    RegisterHandler("PNG");  // the second run finds our class and keeps the backup
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png"), nullptr), kExtractorClassText);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png"), kBackupValue), kForeign);

    UnregisterAllHandlers();
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png"), nullptr), kForeign);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png"), kBackupValue), std::nullopt);
}

TEST_F(RegistrationTest, EachInterfaceKeepsAndGetsBackItsOwnForeignHandler) {
    SetValue(HKEY_CLASSES_ROOT, Handler("png", kThumbnailProviderKey), nullptr, kOther);
    RegisterHandler("PNG");  // the extractor's key had no handler before
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png", kThumbnailProviderKey), nullptr), kProviderClassText);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png", kThumbnailProviderKey), kBackupValue), kOther);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png"), kBackupValue), std::nullopt);

    UnregisterAllHandlers();
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png", kThumbnailProviderKey), nullptr), kOther);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png", kThumbnailProviderKey), kBackupValue), std::nullopt);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Handler("png")));
}

TEST_F(RegistrationTest, AHandlerInstalledLaterIsOverwrittenOnlyByABackup) {
    SetValue(HKEY_CLASSES_ROOT, Handler("png"), nullptr, kForeign);
    RegisterHandler("PNG");
    RegisterHandler("GIF");
    SetValue(HKEY_CLASSES_ROOT, Handler("png"), nullptr, kOther);  // another product took both over
    SetValue(HKEY_CLASSES_ROOT, Handler("gif"), nullptr, kOther);
    UnregisterAllHandlers();
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("png"), nullptr), kForeign);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("gif"), nullptr), kOther);
}

TEST_F(RegistrationTest, HandlersRecordedAfterAJapaneseExtensionAreRestored) {
    // Code page 932: 画像 needs four bytes for its two UTF-16 units; the
    // half-width ﾒﾓ, one byte each, is enumerated after it. The second bytes
    // of テキスト are the letters e, L, X and g, which are no letters there.
    const std::string text = "\x83\x65\x83\x4C\x83\x58\x83\x67", picture = "\x89\xE6\x91\x9C", memo = "\xD2\xD3";
    const std::vector<std::string> extensions = {"PNG", text, picture, memo};
    for (const std::string& extension : extensions) {
        SetValue(HKEY_CLASSES_ROOT, Handler(extension), nullptr, kForeign);
        RegisterHandler(extension);
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler(extension), nullptr), kExtractorClassText) << extension;
    }
    TRegistry record(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(record.OpenKey(kExtensionsKey, KeyAccess::Read));
    EXPECT_EQ(record.GetValueNames(), extensions);

    UnregisterAllHandlers();
    for (const std::string& extension : extensions)
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler(extension), nullptr), kForeign) << extension;
}

TEST_F(RegistrationTest, UnregisteringCreatesNoKey) {
    ASSERT_EQ(DllUnregisterServer(), S_OK);  // nothing recorded yet
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\VELKOR"));
    RegisterHandler("BMP");
    ASSERT_EQ(DllUnregisterServer(), S_OK);
    ASSERT_EQ(DllUnregisterServer(), S_OK);  // visits the record that stays
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Handler("bmp")));
}

TEST_F(RegistrationTest, TextListsAreCutIntoKeys) {
    RegisterHandlerList(" TXT / LOG /");
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("txt"), nullptr), kExtractorClassText);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, Handler("log"), nullptr), kExtractorClassText);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "."));
    HKEY record;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionsKey, 0, KEY_READ, &record), ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyA(record, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(record);
    EXPECT_EQ(values, 2u);
}

TEST_F(RegistrationTest, UnregisteringForgetsTheStoredTextList) {
    SetValue(HKEY_LOCAL_MACHINE, kSettingsKey, kTextExtensionValue, "TXT");
    RegisterHandler("TXT");
    UnregisterAllHandlers();
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kSettingsKey, kTextExtensionValue), std::nullopt);
}

TEST_F(RegistrationTest, NoWriteAccessStillReportsSuccessAndSkipsTheHandlers) {
    registry_.MakeClassesRootUnwritable();
    EXPECT_EQ(DllRegisterServer(), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, Handler("bmp")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kExtensionsKey));
}

TEST_F(RegistrationTest, AServerPathWithABlankIsRegisteredInItsShortForm) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("imvexa reg " + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path copy = folder / "Vignar.cpl";
    fs::copy_file(IMVEXA_DLL_PATH, copy, fs::copy_options::overwrite_existing);
    HMODULE module = LoadLibraryW(copy.wstring().c_str());
    ASSERT_NE(module, nullptr);
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), S_OK);
    const auto server =
        Value(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kExtractorClassText + "\\InprocServer32", nullptr);
    FreeLibrary(module);
    ASSERT_TRUE(server.has_value());
    EXPECT_EQ(server->find(' '), std::string::npos) << *server;
    char longPath[MAX_PATH];
    ASSERT_GT(GetLongPathNameA(server->c_str(), longPath, MAX_PATH), 0u);
    EXPECT_EQ(fs::path(longPath), copy);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
}  // namespace imvexa
