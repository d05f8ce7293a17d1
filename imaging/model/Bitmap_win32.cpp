// The Windows-only face of TBitmap: its canvas and its GDI handle.
#include "BitmapSurface_win32.h"
#include "RuntimeErrors.h"

namespace imvexa {

HDC TBitmap::Canvas() {
    if (!surface_) return nullptr;  // an empty bitmap has nothing to draw on
    Surface::Platform& gdi = *surface_->platform;
    if (!gdi.dc) {
        win32::MemoryDC dc(CreateCompatibleDC(nullptr));
        if (!dc) throw EOutOfResources("TBitmap: Cannot Create Memory DC");
        gdi.selection = win32::SelectedObject(dc.Get(), gdi.bitmap.Get());
        gdi.dc = std::move(dc);
    }
    return gdi.dc.Get();
}

HBITMAP TBitmap::Handle() const { return surface_ ? surface_->platform->bitmap.Get() : nullptr; }

HBITMAP TBitmap::ReleaseHandle() {
    if (!surface_) return nullptr;
    if (surface_->platform->dc) GdiFlush();
    // The bitmap is the caller's now; the surface lets go of its DC.
    const HBITMAP handle = surface_->platform->bitmap.Release();
    surface_.reset();
    width_ = height_ = 0;
    return handle;
}

}  // namespace imvexa
