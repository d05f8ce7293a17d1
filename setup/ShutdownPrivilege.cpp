#include "ShutdownPrivilege.h"

#include <windows.h>

#include "Owners.h"

namespace imvexa {

bool EnableShutdownPrivilege() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return false;
    const win32::KernelHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled = false;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        BYTE previous[16];
        DWORD length = 0;
        enabled = AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof previous,
                                        reinterpret_cast<TOKEN_PRIVILEGES*>(previous), &length) != FALSE;
    }
    return enabled;
}

}  // namespace imvexa
