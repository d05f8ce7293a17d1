// Module start's loading of the settings, against a private registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "Common.h"
#include "WindowsTestSupport.h"

namespace imvexa {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    static void Write(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY handle;
        ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(handle);
    }
    static void WriteString(HKEY root, const char* key, const char* name, const char* value) {
        Write(root, key, name, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1));
    }
    static void WriteDword(HKEY root, const char* key, const char* name, DWORD value) {
        Write(root, key, name, REG_DWORD, &value, sizeof value);
    }

    PrivateRegistry registry_;
    ModuleSettings settings_;
};

// Windows refuses a standard user, as whom Explorer runs, every write under
// HKEY_LOCAL_MACHINE; Wine refuses it while this object lives.
class StandardUser {
public:
    StandardUser() { TRegistry::DenyMachineWrites(true); }
    ~StandardUser() { TRegistry::DenyMachineWrites(false); }
    StandardUser(const StandardUser&) = delete;
    StandardUser& operator=(const StandardUser&) = delete;
};

TEST_F(SettingsTest, DefaultsApplyWhenNothingIsStored) {
    LoadSettings(settings_);
    EXPECT_EQ(settings_.TextExtensionList(), "DIC/EXC/INF/INI/LOG/SCP/TXT/WTX/PAS/INC/C/CPP/H/HPP");
    EXPECT_TRUE(settings_.QualityMode);
    ASSERT_NE(settings_.SusieHost, nullptr);
    EXPECT_FALSE(settings_.SusieHost->AutoSusie);
    EXPECT_EQ(settings_.SusieHost->PlugInCount(), 0);
    ASSERT_NE(settings_.PlugInNames, nullptr);
    EXPECT_TRUE(settings_.PlugInNames->empty());
    EXPECT_TRUE(ReadQualityMode(settings_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));  // reading creates no key
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

TEST_F(SettingsTest, StoredValuesAreReadAndTheTextListUpperCased) {
    WriteString(HKEY_LOCAL_MACHINE, kSettingsKey, "TextExtension", "txt/ Log /");
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Quality", 0);
    LoadSettings(settings_);
    EXPECT_EQ(settings_.TextExtensionList(), "TXT/ LOG /");
    EXPECT_FALSE(settings_.QualityMode);
    EXPECT_FALSE(ReadQualityMode(settings_));
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Quality", 7);
    EXPECT_TRUE(ReadQualityMode(settings_));  // read afresh every time
    EXPECT_TRUE(settings_.QualityMode);
}

// The user's settings key stays open from one thumbnail to the next; deleted
// (Setup removing the settings) and made again, it is opened anew.
TEST_F(SettingsTest, TheModeFollowsTheUserKeyDeletedAndMadeAgain) {
    EXPECT_TRUE(ReadQualityMode(settings_));  // no key yet
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Quality", 0);
    EXPECT_FALSE(ReadQualityMode(settings_));
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey), ERROR_SUCCESS);
    EXPECT_TRUE(ReadQualityMode(settings_));
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Quality", 0);
    EXPECT_FALSE(ReadQualityMode(settings_));
}

TEST_F(SettingsTest, PlugInsAreTheNamedValuesOfTheirKey) {
    const std::string mask = WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\pnm*" IMVEXA_TEST_PLUGIN_SUFFIX;
    WriteString(HKEY_LOCAL_MACHINE, kPlugInsKey, mask.c_str(), "");
    WriteString(HKEY_LOCAL_MACHINE, kPlugInsKey, "", "");  // the unnamed default value
    LoadSettings(settings_);
    ASSERT_NE(settings_.PlugInNames, nullptr);
    EXPECT_EQ(settings_.PlugInNames->size(), 2u);
    EXPECT_EQ(settings_.SusieHost->PlugInCount(), 1);  // pnm; pnm_foreign, of the other architecture, is rejected
}

TEST_F(SettingsTest, APlugInInAFolderWithAJapaneseNameLoads) {
    namespace fs = std::filesystem;
    // In code page 932 the path needs more bytes than it has UTF-16 units.
    const fs::path folder = fs::temp_directory_path() / (L"テスト" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path plugIn = folder / ("pnm" IMVEXA_TEST_PLUGIN_SUFFIX);
    fs::copy_file(fs::path(WindowsPath(IMVEXA_TEST_PLUGINS_DIR)) / ("pnm" IMVEXA_TEST_PLUGIN_SUFFIX), plugIn);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPlugInsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, plugIn.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    RegCloseKey(key);
    LoadSettings(settings_);
    ASSERT_NE(settings_.PlugInNames, nullptr);
    EXPECT_EQ(settings_.PlugInNames->size(), 1u);
    EXPECT_EQ(settings_.SusieHost->PlugInCount(), 1);
    settings_.SusieHost->UnloadPlugIns();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

TEST_F(SettingsTest, AStandardUserGetsTheStoredTextListAndPlugIns) {
    const std::string mask = WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\pnm*" IMVEXA_TEST_PLUGIN_SUFFIX;
    WriteString(HKEY_LOCAL_MACHINE, kSettingsKey, "TextExtension", "txt/log");
    WriteString(HKEY_LOCAL_MACHINE, kPlugInsKey, mask.c_str(), "");
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Quality", 0);
    StandardUser user;
    LoadSettings(settings_);
    EXPECT_EQ(settings_.TextExtensionList(), "TXT/LOG");
    EXPECT_FALSE(settings_.QualityMode);
    ASSERT_NE(settings_.SusieHost, nullptr);
    EXPECT_EQ(settings_.SusieHost->PlugInCount(), 1);
}

TEST_F(SettingsTest, AValueOfTheWrongTypeEndsLoadingAtItsStep) {
    WriteString(HKEY_CURRENT_USER, kSettingsKey, "Quality", "yes");
    LoadSettings(settings_);
    EXPECT_EQ(settings_.TextExtensionList(), "DIC/EXC/INF/INI/LOG/SCP/TXT/WTX/PAS/INC/C/CPP/H/HPP");
    EXPECT_EQ(settings_.SusieHost, nullptr);
    EXPECT_EQ(settings_.PlugInNames, nullptr);
    EXPECT_THROW(ReadQualityMode(settings_), ERegistryException);
    WriteString(HKEY_CURRENT_USER, kSettingsKey, "Quality", "longer than a number's four bytes");
    EXPECT_THROW(ReadQualityMode(settings_), ERegistryException);

    ModuleSettings other;
    const DWORD number = 5;
    Write(HKEY_LOCAL_MACHINE, kSettingsKey, "TextExtension", REG_DWORD, &number, sizeof number);
    LoadSettings(other);
    EXPECT_EQ(other.TextExtensionList(), "");
    EXPECT_NE(other.SettingsRegistry, nullptr);
    EXPECT_EQ(other.SusieHost, nullptr);
}

TEST(ShutdownPrivilegeTest, CanBeEnabledInThisProcess) { EXPECT_TRUE(EnableShutdownPrivilege()); }

}  // namespace
}  // namespace imvexa
