#include "QualityMode.h"

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

}  // namespace imvexa
