#pragma once
#include "ModuleSettings.h"

namespace imvexa {

// Module start's loading steps into settings; a failure ends loading at the
// step where it happens, keeping what was made so far.
void LoadSettings(ModuleSettings& settings);

}  // namespace imvexa
