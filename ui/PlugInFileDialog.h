#pragma once
// The open dialog that picks Susie plug-in files.
#include <windows.h>

#include <string>
#include <vector>

namespace imvexa::ui {

// The files the user chose, in the dialog's order, as full paths; empty
// when the dialog was cancelled.
std::vector<std::wstring> ChoosePlugInFiles(HWND owner);

// Splits the multiple-selection result "folder\0name\0name\0\0" (or
// "path\0\0" for one file) into full paths.
std::vector<std::wstring> SelectedPaths(const wchar_t* result);

}  // namespace imvexa::ui
