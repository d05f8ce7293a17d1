#include "QualityMode.h"

#include "ModuleLifetime.h"
#include "RegistryLayout.h"

namespace imvexa {

bool ReadQualityMode(ModuleSettings& settings) {
    TRegistry registry(HKEY_CURRENT_USER);
    bool quality = true;
    if (registry.OpenKey(kSettingsKey, KeyAccess::Read) && registry.ValueExists(kQualityValue))
        quality = registry.ReadBool(kQualityValue);
    settings.QualityMode = quality;
    return quality;
}

bool QualityModeNow() {
    try {
        return ReadQualityMode(Settings());
    } catch (const ERegistryException&) {
        return true;
    }
}

}  // namespace imvexa
