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
constexpr char kUnloadedBy[] = "IMVEXA_PLUGIN_UNLOADED_BY";  // set by the plug-in's DllMain
constexpr DWORD kUnloadWaitMs = 10000;

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

TEST_F(ModuleLifetimeTest, PlugInsAreFreedAfterTheModuleByAnotherThread) {
    const auto getClassObject = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_ExtractImage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    factory->Release();
    ASSERT_TRUE(PlugInLoaded());

    SetEnvironmentVariableA(kUnloadedBy, nullptr);
    FreeLibrary(std::exchange(module_, nullptr));
    for (DWORD waited = 0; PlugInLoaded() && waited < kUnloadWaitMs; waited += 10) Sleep(10);
    EXPECT_FALSE(PlugInLoaded());
    char thread[16] = "";
    GetEnvironmentVariableA(kUnloadedBy, thread, sizeof thread);
    EXPECT_STRNE(thread, "");
    EXPECT_STRNE(thread, std::to_string(GetCurrentThreadId()).c_str());  // not inside the module's DllMain
}

}  // namespace
}  // namespace imvexa
