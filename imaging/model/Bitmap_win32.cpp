// The Windows-only face of TBitmap: its canvas and its GDI handle.
#include "BitmapSurface.h"
#include "RuntimeErrors.h"

namespace imvexa {

HDC TBitmap::Canvas() {
    if (!surface_) return nullptr;  // an empty bitmap has nothing to draw on
    if (!surface_->dc) {
        win32::MemoryDC dc(CreateCompatibleDC(nullptr));
        if (!dc) throw EOutOfResources("TBitmap: Cannot Create Memory DC");
        surface_->selection = win32::SelectedObject(dc.Get(), surface_->bitmap.Get());
        surface_->dc = std::move(dc);
    }
    return surface_->dc.Get();
}

HBITMAP TBitmap::Handle() const { return surface_ ? surface_->bitmap.Get() : nullptr; }

HBITMAP TBitmap::ReleaseHandle() {
    if (!surface_) return nullptr;
    if (surface_->dc) GdiFlush();
    // The bitmap is the caller's now; the surface lets go of its DC.
    const HBITMAP handle = surface_->bitmap.Release();
    surface_.reset();
    width_ = height_ = 0;
    return handle;
}

}  // namespace imvexa
