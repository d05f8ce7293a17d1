// Module start and end as a host process sees them: the built Vignar.cpl
// loaded and freed with LoadLibrary and FreeLibrary, one test plug-in
// configured in a private registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>

#include "ClassFactory.h"
#include "RegistryLayout.h"
#include "WindowsTestSupport.h"

namespace imvexa {
namespace {

const std::string kPlugIn = WindowsPath(IMVEXA_TEST_PLUGINS_DIR) + "\\pnm" IMVEXA_TEST_PLUGIN_SUFFIX;
constexpr wchar_t kHost[] = L"VignarPlugHost64.exe";  // the test plug-ins are 64-bit ones
constexpr DWORD kEndWaitMs = 10000;

bool PlugInLoaded() { return GetModuleHandleA(kPlugIn.c_str()) != nullptr; }

class ModuleLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPlugInsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, kPlugIn.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        RegCloseKey(key);
        module_ = LoadLibraryA(WindowsPath(IMVEXA_DLL_PATH).c_str());
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    template <typename Function>
    Function Export(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    PrivateRegistry registry_;
    HMODULE module_ = nullptr;
};

TEST_F(ModuleLifetimeTest, AskingWhetherItCanUnloadStartsNothing) {
    const auto canUnloadNow = Export<HRESULT(WINAPI*)()>("DllCanUnloadNow");
    ASSERT_NE(canUnloadNow, nullptr);
    EXPECT_EQ(canUnloadNow(), S_OK);
    EXPECT_FALSE(PlugInLoaded());
}

TEST_F(ModuleLifetimeTest, PlugInsRunInAHostThatEndsWithTheModule) {
    const auto getClassObject = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_ExtractImage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    factory->Release();
    EXPECT_FALSE(PlugInLoaded());
    ASSERT_EQ(ChildProcesses(kHost).size(), 1u);

    FreeLibrary(std::exchange(module_, nullptr));
    for (DWORD waited = 0; !ChildProcesses(kHost).empty() && waited < kEndWaitMs; waited += 10) Sleep(10);
    EXPECT_TRUE(ChildProcesses(kHost).empty());
}

}  // namespace
}  // namespace imvexa
