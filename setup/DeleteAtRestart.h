#pragma once
// Deleting files that are in use now (the running launcher, the loaded
// module) when Windows next starts.
#include <windows.h>

#include <string>
#include <vector>

namespace imvexa {

// On the Windows 95 family the paths go into a new [rename] section at the
// end of windowsFolder\WININIT.INI; on every other platform to MoveFileExA.
void DeleteAtRestart(const std::vector<std::string>& paths, DWORD platformId, const std::string& windowsFolder);

}  // namespace imvexa
