#pragma once
// What installation and removal take from the system, gathered in one record
// so that tests can point them at folders of their own, choose the platform
// and see the command lines that would be started.
#include <windows.h>

#include <functional>
#include <string>

namespace imvexa {

struct SetupFolders {
    std::string Source;   // the current directory when the module was loaded
    std::string System;   // where the product is installed
    std::string Windows;  // where WININIT.INI lives
    // The system folder as every program names it, for the uninstall entry
    // and the deletion at restart: 64-bit Windows shows a 32-bit process its
    // 32-bit system folder under the 64-bit folder's name, but the uninstall
    // command is started by a 64-bit process, and the deletion happens at
    // restart, where that name means the 64-bit folder.
    std::string Listed;
};

struct SetupSystem {
    SetupFolders Folders;
    DWORD PlatformId;                                      // VER_PLATFORM_WIN32_NT or _WINDOWS
    std::function<void(const std::string&)> StartProgram;  // runs a command line, does not wait
};

// The folders recorded when this module was loaded, this platform, and WinExec.
SetupSystem ThisSystem();

// file in folder; empty when the folder is unknown, so that nothing is read
// from or written to a root folder by mistake.
std::string PathIn(const std::string& folder, const char* file);

void RunInstall(const SetupSystem& system);
void RunUninstall(const SetupSystem& system);

}  // namespace imvexa
