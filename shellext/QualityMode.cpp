#include "QualityMode.h"

#include "ModuleLifetime.h"
#include "RegistryLayout.h"

namespace imvexa {

bool ReadQualityMode(ModuleSettings& settings) {
    const bool quality = settings.UserSettingsKey.ReadBool(kQualityValue, true);
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
