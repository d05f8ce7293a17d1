#pragma once
// The installed Vignar.cpl, loaded by its path in the system folder for one
// self-registration call and freed again on every path.
#include <windows.h>

#include <string>

#include "Owners.h"

namespace imvexa {

class InstalledModule {
public:
    explicit InstalledModule(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}

    bool Loaded() const { return static_cast<bool>(module_); }
    // Calls DllRegisterServer or DllUnregisterServer: true when the entry
    // exists and returns S_OK.
    bool CallEntry(const char* name) const;

private:
    win32::Module module_;
};

}  // namespace imvexa
