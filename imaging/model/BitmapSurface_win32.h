#pragma once
// What a bitmap's pixel memory holds on Windows: the DIB section and, once
// asked for, a memory device context with the section selected into it.
#include "BitmapSurface.h"
#include "Owners.h"

namespace imvexa {

struct TBitmap::Surface::Platform {
    win32::Bitmap bitmap;
    win32::MemoryDC dc;               // created on demand by BitmapCanvas
    win32::SelectedObject selection;  // bitmap in dc (restored before dc goes)
};

}  // namespace imvexa
