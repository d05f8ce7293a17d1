#pragma once
// Sets the per-user reduction mode that the extractor reads on every Extract.
#include "Registry.h"
#include "RegistryLayout.h"

namespace imvexa::bench {

inline void SetQualityMode(bool quality) {
    TRegistry user(HKEY_CURRENT_USER);
    user.OpenKey(kSettingsKey, KeyAccess::Create);
    user.WriteBool(kQualityValue, quality);
}

}  // namespace imvexa::bench
