#pragma once
// The module that holds this code and its resources: Vignar.cpl when the
// code runs in it, the program itself when a test links the objects in.
#include <windows.h>

namespace imvexa::ui {

HINSTANCE ModuleInstance();

}  // namespace imvexa::ui
