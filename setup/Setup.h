#pragma once
// The setup exports of Vignar.cpl, called by the setup launcher.
#include <windows.h>

extern "C" {
void WINAPI Install();
void WINAPI Uninstall();
}
