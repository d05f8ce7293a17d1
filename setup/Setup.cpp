#include "Setup.h"

#include "Common.h"

// Installation and removal arrive with the setup work; the exports exist now
// so that the launcher binds to them by name.
extern "C" void WINAPI Install() { imvexa::StartModule(); }
extern "C" void WINAPI Uninstall() { imvexa::StartModule(); }
