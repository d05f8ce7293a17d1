// Install: copies the product into the system folder, registers the installed
// module, lists it for removal, tells the user and opens the applet.
#include "InstalledModule.h"
#include "PlugInHostNames.h"
#include "Registry.h"
#include "SetupSystem.h"
#include "SetupTexts.h"

namespace imvexa {

namespace {

struct ProductFile {
    const char* source;     // in the folder Setup.exe runs from
    const char* installed;  // in the system folder
};
constexpr ProductFile kProductFiles[] = {
    {"ReadMe.txt", kReadMeFile},
    {"Setup.exe", kLauncherFile},
    {"Vignar.cpl", kModuleFile},
};

// Stops at the first copy that fails (a file missing beside Setup.exe, the
// installed module in use): registering whatever module is in the system
// folder then and announcing success would hide that the product was not
// installed.
bool CopyProductFile(const SetupFolders& folders, const char* source, const char* installed) {
    return CopyFileA(PathIn(folders.Source, source).c_str(), PathIn(folders.System, installed).c_str(), FALSE);
}

bool CopyProductFiles(const SetupFolders& folders) {
    for (const ProductFile& file : kProductFiles)
        if (!CopyProductFile(folders, file.source, file.installed)) return false;
    for (const char* host : kPlugInHosts)
        if (!CopyProductFile(folders, host, host)) return false;
    return true;
}

// Throws ERegistryException when the entry cannot be written; Install then
// ends before announcing success.
void WriteUninstallEntry(const std::string& listedFolder) {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(kUninstallKey, KeyAccess::Create))
        throw ERegistryException(kUninstallKey);
    registry.WriteString("DisplayName", kDisplayName);
    registry.WriteString("UninstallString", PathIn(listedFolder, kLauncherFile) + " /U");
    registry.WriteString("Publisher", kPublisher);
    registry.WriteString("DisplayVersion", kDisplayVersion);
    registry.WriteString("DisplayIcon", PathIn(listedFolder, kModuleFile));
}

}  // namespace

void RunInstall(const SetupSystem& system) {
    if (!CopyProductFiles(system.Folders)) return;
    const std::string modulePath = PathIn(system.Folders.System, kModuleFile);
    const InstalledModule module(modulePath);
    if (!module.Loaded() || !module.CallEntry("DllRegisterServer")) return;
    WriteUninstallEntry(system.Folders.Listed);
    MessageBoxA(nullptr, kMsgInstalled, kSetupCaption, MB_OK | MB_ICONINFORMATION);
    system.StartProgram("Control.exe " + modulePath);
}

}  // namespace imvexa
