#include "Setup.h"

#include "SetupSystem.h"

namespace imvexa {

namespace {

// A folder as the system returns it into a buffer of MAX_PATH characters;
// empty when the call failed or the path did not fit.
template <class Query>
std::string Folder(Query query) {
    char buffer[MAX_PATH];
    const DWORD length = query(buffer, static_cast<DWORD>(sizeof buffer));
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// The 32-bit system folder's own name in a 32-bit process on 64-bit Windows,
// else the system folder.
std::string ListedSystemFolder(const std::string& systemFolder) {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return systemFolder;
    return Folder([](char* buffer, DWORD size) { return GetSystemWow64DirectoryA(buffer, size); });
}

SetupFolders RecordFolders() {
    const std::string system = Folder([](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); });
    return {
        Folder([](char* buffer, DWORD size) { return GetCurrentDirectoryA(size, buffer); }),
        system,
        Folder([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); }),
        ListedSystemFolder(system),
    };
}

// Recorded while the module is loaded, before either export runs: the
// current directory is the folder Setup.exe was started in.
const SetupFolders recordedFolders = RecordFolders();

DWORD PlatformId() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) ? version.dwPlatformId : VER_PLATFORM_WIN32_NT;
}

}  // namespace

std::string PathIn(const std::string& folder, const char* file) {
    if (folder.empty()) return {};
    // A drive's root already ends in a backslash.
    return folder.back() == '\\' ? folder + file : folder + '\\' + file;
}

SetupSystem ThisSystem() {
    return {recordedFolders, PlatformId(), [](const std::string& command) { WinExec(command.c_str(), SW_SHOW); }};
}

}  // namespace imvexa

// Nothing may leave an export: a failure ends the step silently.
extern "C" void WINAPI Install() {
    try {
        imvexa::RunInstall(imvexa::ThisSystem());
    } catch (...) {
    }
}

extern "C" void WINAPI Uninstall() {
    try {
        imvexa::RunUninstall(imvexa::ThisSystem());
    } catch (...) {
    }
}
