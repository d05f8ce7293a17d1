// Uninstall: after the user's confirmation, unregisters the installed module,
// removes the uninstall entry and, on request, the settings, deletes the
// read-me copy, has the launcher and the module deleted at the next start of
// Windows and offers to restart.
#include "RegistryLayout.h"
#include "ShutdownPrivilege.h"
#include "DeleteAtRestart.h"
#include "InstalledModule.h"
#include "PlugInHostNames.h"
#include "Registry.h"
#include "SetupSystem.h"
#include "SetupTexts.h"

namespace imvexa {

namespace {

bool UserAgrees(const char* question) {
    return MessageBoxA(nullptr, question, kSetupCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// Deletes path below root with all its sub-keys: sub-keys first, from the
// last enumerated to the first. A key that does not exist is no error.
void DeleteKeyTree(HKEY root, const std::string& path) {
    TRegistry registry(root);
    std::vector<std::string> subKeys;
    if (registry.OpenKey(path, KeyAccess::Read)) subKeys = registry.GetKeyNames();
    registry.CloseKey();
    for (auto subKey = subKeys.rbegin(); subKey != subKeys.rend(); ++subKey) DeleteKeyTree(root, path + "\\" + *subKey);
    registry.DeleteKey(path);
}

// Unregisters the installed module and removes its registry entries; false
// when the module cannot be loaded or its unregistration failed.
bool UnregisterProduct(const std::string& modulePath) {
    const InstalledModule module(modulePath);
    if (!module.Loaded() || !module.CallEntry("DllUnregisterServer")) return false;
    TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kUninstallKey);
    if (UserAgrees(kMsgRemoveSettings)) {
        DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKey);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kSettingsKey);
    }
    return true;
}

void RestartWindows(DWORD platformId) {
    if (platformId == VER_PLATFORM_WIN32_NT) EnableShutdownPrivilege();
    ExitWindowsEx(EWX_REBOOT, 0);
}

}  // namespace

void RunUninstall(const SetupSystem& system) {
    if (!UserAgrees(kMsgConfirmUninstall)) return;
    const std::string& systemFolder = system.Folders.System;
    const std::string modulePath = PathIn(systemFolder, kModuleFile);
    // While handlers may still name the module, it stays, and so do the
    // launcher and the uninstall entry, so that the removal can be retried.
    if (!UnregisterProduct(modulePath)) return;
    DeleteFileA(PathIn(systemFolder, kReadMeFile).c_str());
    // The deletion happens outside this process: the files go by their own
    // names. Explorer may still run a plug-in host, so the hosts go then too.
    const std::string& listed = system.Folders.Listed;
    std::vector<std::string> files = {PathIn(listed, kLauncherFile), PathIn(listed, kModuleFile)};
    for (const char* host : kPlugInHosts) files.push_back(PathIn(listed, host));
    DeleteAtRestart(files, system.PlatformId, system.Folders.Windows);
    if (UserAgrees(kMsgRestart)) RestartWindows(system.PlatformId);
}

}  // namespace imvexa
