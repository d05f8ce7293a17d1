#pragma once

namespace imvexa {

// Enables SeShutdownPrivilege in the process token, so that Uninstall may
// restart the system; false when any step fails.
bool EnableShutdownPrivilege();

}  // namespace imvexa
