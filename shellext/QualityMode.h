#pragma once
#include "ModuleSettings.h"

namespace imvexa {

// Reads the per-user reduction mode afresh (true when absent) through the
// settings' kept user key, and keeps it in QualityMode.
bool ReadQualityMode(ModuleSettings& settings);

// The mode for the next thumbnail: ReadQualityMode of the module's settings.
// A value of the wrong type cannot be read and leaves the default, quality,
// rather than failing every thumbnail of a large picture.
bool QualityModeNow();

}  // namespace imvexa
