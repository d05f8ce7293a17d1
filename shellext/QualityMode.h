#pragma once
#include "ModuleSettings.h"

namespace imvexa {

// Reads the per-user reduction mode afresh (true when absent) with an
// accessor of its own, and keeps it in QualityMode.
bool ReadQualityMode(ModuleSettings& settings);

}  // namespace imvexa
