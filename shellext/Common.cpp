#include "Common.h"

#include "AnsiText.h"
#include "AsciiCase.h"
#include "JPEG.h"
#include "Owners.h"

namespace imvexa {

namespace {

std::once_flag startOnce;
std::atomic<ModuleSettings*> module{nullptr};

}  // namespace

std::string ModuleSettings::TextExtensionList() const {
    std::shared_lock read(TextExtensionsLock);
    return TextExtensions;
}

void ModuleSettings::SetTextExtensionList(std::string list) {
    std::unique_lock write(TextExtensionsLock);
    TextExtensions = std::move(list);
}

void LoadSettings(ModuleSettings& settings) {
    try {
        settings.SettingsRegistry = std::make_unique<TRegistry>();
        TRegistry& registry = *settings.SettingsRegistry;

        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        registry.OpenKey(kSettingsKey, KeyAccess::Read);
        const std::string text =
            registry.ValueExists(kTextExtensionValue) ? registry.ReadString(kTextExtensionValue) : kDefaultTextExtensions;
        settings.SetTextExtensionList(WithAsciiCase(text, LetterCase::Upper, IsAnsiLeadByte));

        registry.SetRootKey(HKEY_CURRENT_USER);
        registry.OpenKey(kSettingsKey, KeyAccess::Read);
        settings.QualityMode = registry.ValueExists(kQualityValue) ? registry.ReadBool(kQualityValue) : true;

        settings.SusieHost = std::make_unique<TSusiePlugIn>();
        settings.SusieHost->AutoSusie = false;
        settings.PlugInNames = std::make_unique<std::vector<std::string>>();

        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        registry.OpenKey(kPlugInsKey, KeyAccess::Read);
        *settings.PlugInNames = registry.GetValueNames();
        registry.CloseKey();
        for (const std::string& name : *settings.PlugInNames)
            if (!name.empty()) settings.SusieHost->LoadPlugIns(name);
    } catch (...) {
        // Loading ends silently where it failed; what exists stays.
    }
}

namespace {

// JPEG pictures decode to 8 bits on a palette display, else to 24 bits.
void ChooseJpegPixelFormat() {
    const win32::ClientDC screen;
    if (!screen) return;
    SetDefaultJPEGPixelFormat(
        JPEGPixelFormatForDisplay(GetDeviceCaps(screen.Get(), BITSPIXEL), GetDeviceCaps(screen.Get(), PLANES)));
}

}  // namespace

ModuleSettings& Settings() {
    std::call_once(startOnce, [] {
        auto* settings = new ModuleSettings;
        LoadSettings(*settings);
        ChooseJpegPixelFormat();
        module = settings;
    });
    return *module.load();
}

bool StartModule() noexcept {
    try {
        Settings();
        return true;
    } catch (...) {
        return false;
    }
}

void EndModule() {
    const std::unique_ptr<ModuleSettings> settings(module.exchange(nullptr));
    if (settings && settings->SusieHost) settings->SusieHost->UnloadPlugInsAfterLoaderLock();
}

bool ReadQualityMode(ModuleSettings& settings) {
    TRegistry registry(HKEY_CURRENT_USER);
    bool quality = true;
    if (registry.OpenKey(kSettingsKey, KeyAccess::Read) && registry.ValueExists(kQualityValue))
        quality = registry.ReadBool(kQualityValue);
    settings.QualityMode = quality;
    return quality;
}

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
