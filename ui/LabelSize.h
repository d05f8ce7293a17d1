#pragma once
// Labels that size themselves to their caption.
#include <windows.h>

#include <string>

namespace imvexa::ui {

// How label captions are drawn: on one line per line of text, "&" shown as it is.
constexpr UINT kLabelTextFormat = DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS;

// The window's caption.
std::wstring LabelCaption(HWND label);

// Resizes the window to its caption drawn in its font (WM_GETFONT), keeping
// its top-left corner.
void AutoSizeLabel(HWND label);

}  // namespace imvexa::ui
