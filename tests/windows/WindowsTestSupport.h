#pragma once
// Helpers of the Windows tests.
#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace imvexa {

// A folder of the build tree as Wine sees it (through its Z: drive).
inline std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline bool KeyExists(HKEY root, const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

// The processes of the program named (a file name, as "VignarPlugHost64.exe")
// that this process started.
inline std::vector<DWORD> ChildProcesses(const wchar_t* program) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiW(entry.szExeFile, program) == 0)
            children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}

// A path of ASCII characters as the shell passes it, in UTF-16.
inline std::wstring WidePath(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The colour of a bitmap (not selected anywhere) at (x, y), y = 0 at the top.
inline COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF color = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return color;
}

// Redirects HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_CLASSES_ROOT of
// this process to keys of its own for the object's lifetime, so tests can
// write settings and handler keys freely.
class PrivateRegistry {
public:
    PrivateRegistry() : base_("Software\\ImvexaTests\\" + std::to_string(GetCurrentProcessId())) {
        for (Root& root : roots_) {
            RegCreateKeyExA(HKEY_CURRENT_USER, (base_ + "\\" + root.name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &root.key, nullptr);
        }
        for (Root& root : roots_) RegOverridePredefKey(root.predefined, root.key);
    }
    ~PrivateRegistry() {
        for (Root& root : roots_) {
            RegOverridePredefKey(root.predefined, nullptr);
            RegCloseKey(root.key);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    }
    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

    // From now on nothing can be written under HKEY_CLASSES_ROOT. Wine does
    // not enforce key access rights or security, so the root becomes a key
    // that has been deleted, where every creation fails.
    void MakeClassesRootUnwritable() {
        HKEY key = nullptr;
        RegCreateKeyExA(roots_[1].key, "gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegDeleteKeyA(roots_[1].key, "gone");
        RegOverridePredefKey(HKEY_CLASSES_ROOT, key);
        RegCloseKey(roots_[2].key);
        roots_[2].key = key;
    }

private:
    struct Root {
        HKEY predefined;
        const char* name;
        HKEY key = nullptr;
    };
    std::string base_;
    Root roots_[3] = {{HKEY_LOCAL_MACHINE, "machine"}, {HKEY_CURRENT_USER, "user"}, {HKEY_CLASSES_ROOT, "classes"}};
};

}  // namespace imvexa
