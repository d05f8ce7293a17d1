#include "QualityMode.h"

#include "ModuleLifetime.h"
#include "RegistryLayout.h"

namespace imvexa {

bool ReadQualityMode(ModuleSettings& settings) {
    // Read on every thumbnail, so one request: a missing value means quality.
    TRegistry registry(HKEY_CURRENT_USER);
    const bool quality = !registry.OpenKey(kSettingsKey, KeyAccess::Read) || registry.ReadBool(kQualityValue, true);
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
