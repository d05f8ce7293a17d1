#pragma once
// Helpers of the Windows tests.
#include <windows.h>

#include <string>

namespace imvexa {

// A folder of the build tree as Wine sees it (through its Z: drive).
inline std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process to keys
// of its own for the object's lifetime, so tests can write settings freely.
class PrivateRegistry {
public:
    PrivateRegistry() {
        const std::string base = "Software\\ImvexaTests\\" + std::to_string(GetCurrentProcessId());
        base_ = base;
        RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &machine_, nullptr);
        RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\user").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user_,
                        nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
        RegOverridePredefKey(HKEY_CURRENT_USER, user_);
    }
    ~PrivateRegistry() {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(machine_);
        RegCloseKey(user_);
        RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    }
    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

private:
    std::string base_;
    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
};

}  // namespace imvexa
