#pragma once
// The process's cursors by identifier. Windows has no table of
// application-defined screen cursors, so the module keeps its own: a control
// names its cursor by identifier and shows whatever is registered under it.
#include <windows.h>

namespace imvexa::ui {

// Registers cursor under id, replacing what was registered before. The
// cursor must stay valid for the process (a shared cursor from LoadCursor).
void RegisterScreenCursor(int id, HCURSOR cursor);
// The cursor registered under id; null when there is none.
HCURSOR ScreenCursor(int id);

}  // namespace imvexa::ui
