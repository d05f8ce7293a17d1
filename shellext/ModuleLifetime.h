#pragma once
// Module start and end: the module-wide settings exist from the first export
// that needs them until the module is unloaded.
#include "ModuleSettings.h"

namespace imvexa {

// Runs module start once per process (thread-safe), on the first call of an
// export that needs the settings: loading reads the registry and starts the
// plug-in hosts, which must not happen under the loader lock of DllMain.
ModuleSettings& Settings();
// Module start for the exports, which nothing may leave by an exception:
// false when it failed (it is tried again on the next call).
bool StartModule() noexcept;
// Module end: frees what module start created. Runs in DllMain when the
// module is unloaded, not when the process ends, and ends the plug-in hosts
// (their job ends them with the process otherwise).
void EndModule();

}  // namespace imvexa
