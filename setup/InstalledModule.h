#pragma once
// The installed Vignar.cpl, loaded by its path in the system folder for one
// self-registration call and freed again on every path.
#include <windows.h>

#include <memory>
#include <string>

namespace imvexa {

class InstalledModule {
public:
    explicit InstalledModule(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}

    bool Loaded() const { return module_ != nullptr; }
    // Calls DllRegisterServer or DllUnregisterServer: true when the entry
    // exists and returns S_OK.
    bool CallEntry(const char* name) const;

private:
    struct Free {
        void operator()(HMODULE module) const { FreeLibrary(module); }
    };
    std::unique_ptr<HINSTANCE__, Free> module_;
};

}  // namespace imvexa
