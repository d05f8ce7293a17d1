#include "LoadSettings.h"

#include "AnsiText.h"
#include "AsciiCase.h"
#include "ExtensionLists.h"
#include "RegistryLayout.h"

namespace imvexa {

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
        settings.QualityMode = registry.ReadBool(kQualityValue, true);

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

}  // namespace imvexa
